// The library controller with untrusted library files and failed writes: an
// entry that names a file outside the data folder reads as missing, a capture
// whose entry cannot be saved is not kept, any other change that cannot be
// written is not made at all, and pictures that no entry names are offered
// back once.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "imaging/FastDIB.h"
#include "library/CodePage.h"
#include "library/FilmManager.h"
#include "library/LibraryStoreChanges.h"
#include "library/StoreMaintenance.h"
#include "library/XmlDocument.h"
#include "library/ui/EditImageDlg.h"
#include "library/ui/NewCategoryDlg.h"
#include "library/ui/NewFilmDlg.h"
#include "library/ui/RecoverPicturesDlg.h"
#include "library/ui/SaveImageDlg.h"
#include "support/ui/LibraryTestBase.h"
#include "support/ui/ModalAnswer.h"

using namespace kelta;
using namespace kelta::test;
namespace fs = std::filesystem;

namespace {

void WritePicture(const fs::path& file, int width, int height) {
  TFastDIB picture;
  picture.SetSize(width, height, 24);
  picture.Fill(TBGRColor{200, 100, 50});
  if (!picture.SaveToFile(file.string())) throw std::runtime_error("cannot write " + file.string());
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The library file's place taken by a folder: every write of it fails.
void BlockLibraryFile(const fs::path& config) {
  fs::remove(config);
  fs::create_directory(config);
  std::ofstream(config / "block") << "x";
}

void UnblockLibraryFile(const fs::path& config) { fs::remove_all(config); }

// Every row of the tree, indented by its depth.
void TreeRows(const QTreeWidgetItem* node, int depth, QStringList& rows) {
  rows << QString(depth * 2, ' ') + node->text(0);
  for (int i = 0; i < node->childCount(); ++i) TreeRows(node->child(i), depth + 1, rows);
}

QStringList TreeRows(const QTreeWidget& tree) {
  QStringList rows;
  for (int i = 0; i < tree.topLevelItemCount(); ++i) TreeRows(tree.topLevelItem(i), 0, rows);
  return rows;
}

template <class TDlg>
void AnswerName(QLineEdit* TDlg::*edit, const QString& name) {
  WhenModal<TDlg>([edit, name](TDlg* dialog) {
    (dialog->*edit)->setText(name);
    dialog->btOk->click();
  });
}

enum class TChange { NewCategory, NewFilm, RenameCategory, RenameFilm, EditImage, DeleteImage, DeleteFilm, DeleteCategory };


}  // namespace

Q_DECLARE_METATYPE(TChange)

class LibrarySafetyTest : public TLibraryTestBase {
  Q_OBJECT

  QTreeWidgetItem* Node(std::initializer_list<int> path) {
    QTreeWidgetItem* node = Tree->topLevelItem(0);
    for (int i : path) node = node->child(i);
    return node;
  }
  void Open() {
    OpenLibrary(*Host, nullptr);
    Tree->expandAll();
  }

 private slots:
  void init() {
    UnansweredModals() = 0;
    QVERIFY(SetUpLibrary());
    fs::create_directory(DataFolder);
  }
  void cleanup() {
    TearDownLibrary();
    QCOMPARE(UnansweredModals(), 0);
  }

  void entriesNamingOutsideFilesTouchNothing() {
    const fs::path outside = TempPath() / "outside.bmp";
    WritePicture(outside, 40, 30);
    const std::string before = Bytes(outside);
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    Films->AddImage(0, 0, {u"Up", u"../outside.bmp", u"../outside.bmp", u""});
    Films->AddImage(0, 0, {u"Absolute", AnsiToWide(outside.string()), AnsiToWide(outside.string()), u""});
    Open();
    for (int image : {0, 1}) {
      Tree->setCurrentItem(Node({0, 0, image}));
      Manager->TreeClick();
      // The double-click opens nothing; each command says the picture cannot be read.
      QVERIFY(NoModalDuring([this] { Manager->TreeDblClick(); }));
      const TShown shown = ShownDuring([this] {
        Manager->ViewImage();
        Manager->CropImage();
        Manager->ResizeImage();
      });
      QCOMPARE(shown.Windows, 0);
      QCOMPARE(shown.Messages.size(), 3);
      for (const QString& message : shown.Messages)
        QVERIFY2(message.contains("cannot be read: its name is not one of the image folder's own"),
                 qPrintable(message));
    }
    QCOMPARE(Host->Thumbnails, 0);
    for (int image : {1, 0}) {
      Tree->setCurrentItem(Node({0, 0, image}));
      TBoxSeen seen;
      AnswerBox(seen, QMessageBox::Yes);
      Manager->DeleteNode();
      QVERIFY(seen.Shown);
    }
    QCOMPARE(Node({0, 0})->childCount(), 0);
    QCOMPARE(Bytes(outside), before);
  }

  void aCaptureWhoseEntryCannotBeSavedIsNotKept() {
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    Host->IsOpened = true;
    Host->Frame.SetSize(320, 240, 24);
    Host->Frame.Fill(TBGRColor{1, 2, 3});
    Open();
    Tree->setCurrentItem(Node({0, 0}));
    BlockLibraryFile(ConfigFile);
    // The save dialog says why and stays open; here it is given up.
    TBoxSeen seen;
    bool stillOpen = false;
    WhenModal<TSaveImageDlg>([&](TSaveImageDlg* dialog) {
      dialog->etName->setText("Beach");
      AnswerBox(seen);
      dialog->btOk->click();
      stillOpen = dialog->isVisible();
      dialog->btCancel->click();
    });
    Manager->SaveImage();
    QVERIFY(seen.Shown);
    QCOMPARE(seen.Icon, QMessageBox::Critical);
    QVERIFY(stillOpen);
    QCOMPARE(Node({0, 0})->childCount(), 0);
    QVERIFY(Films->Document().Root.Children[0].Children[0].Children.empty());
    QVERIFY(fs::is_empty(DataFolder));
  }

  void unnamedPicturesAreAddedToTheRecoveredFilm() {
    Films->AddCategory(u"Holidays");
    Open();
    WritePicture(DataFolder / "Aa1_5.bmp", 400, 300);
    WritePicture(DataFolder / "Aa1_5_thumbnail.bmp", 200, 150);
    WritePicture(DataFolder / "Bb2_-7.bmp", 320, 240);
    std::ofstream(DataFolder / "Cc3_9.bmp") << "damaged";
    std::ofstream(DataFolder / "Dd4_2.bmp") << "damaged beside a good thumbnail";
    WritePicture(DataFolder / "Dd4_2_thumbnail.bmp", 200, 150);
    const fs::path leftAlone = TempPath() / "left-alone";
    QString offered;
    TBoxSeen unreadable;
    WhenModal<TRecoverPicturesDlg>([&](TRecoverPicturesDlg* dialog) {
      offered = dialog->lbText()->text();
      QCOMPARE(dialog->etFilmName->text(), QString("Recovered"));
      // The box comes after the pictures are read and thumbnails written,
      // which a busy disk may make slow.
      WhenModal<QMessageBox>(
          [&unreadable](QMessageBox* box) {
            unreadable = {true, box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
            box->button(QMessageBox::Ok)->click();
          },
          60000);
      dialog->btAdd()->click();
    });
    Manager->OfferUnreferencedPictures(leftAlone);
    QVERIFY2(offered.startsWith("4 pictures"), qPrintable(offered));
    // The two that cannot be read are named, once.
    QVERIFY(unreadable.Shown);
    QCOMPARE(unreadable.Icon, QMessageBox::Warning);
    QVERIFY2(unreadable.Text.contains("2 pictures") && unreadable.Text.contains("cannot be read") &&
                 unreadable.Text.contains("\nCc3_9.bmp\nDd4_2.bmp\n"),
             qPrintable(unreadable.Text));
    QCOMPARE(Node({1})->text(0), QString("Recovered (1)"));
    QCOMPARE(Node({1, 0})->text(0), QString("Recovered (2)"));
    QCOMPARE(Node({1, 0, 0})->text(0), QString("Aa1_5"));
    QCOMPARE(Node({1, 0, 1})->text(0), QString("Bb2_-7"));
    TFastDIB thumbnail;
    QVERIFY(thumbnail.LoadFromFile((DataFolder / "Bb2_-7_thumbnail.bmp").string()));
    QCOMPARE(thumbnail.Width(), 200);
    const TFilmManager reread(ConfigFile);
    const TXmlNode& film = reread.Document().Root.Children.at(1).Children.at(0);
    QCOMPARE(film.Children.size(), std::size_t(2));
    QCOMPARE(film.Children[1].Attribute("thumbnail"), std::string("Bb2_-7_thumbnail.bmp"));
    // The damaged ones stay as they were, and are not offered again.
    QVERIFY(fs::exists(DataFolder / "Cc3_9.bmp"));
    QVERIFY(fs::exists(DataFolder / "Dd4_2.bmp"));
    QCOMPARE(FindUnreferencedPictures(Films->Document(), DataFolder),
             (std::vector<TUnreferencedPicture>{{"Cc3_9.bmp", ""}, {"Dd4_2.bmp", "Dd4_2_thumbnail.bmp"}}));
    QVERIFY(NoModalDuring([&] { Manager->OfferUnreferencedPictures(leftAlone); }));
    QCOMPARE(Node({1, 0})->childCount(), 2);
  }

  void picturesLeftAloneAreNotOfferedAgain() {
    Open();
    WritePicture(DataFolder / "Aa1_5.bmp", 40, 30);
    const fs::path leftAlone = TempPath() / "left-alone";
    WhenModal<TRecoverPicturesDlg>([](TRecoverPicturesDlg* dialog) { dialog->reject(); });
    Manager->OfferUnreferencedPictures(leftAlone);
    QVERIFY(!fs::exists(leftAlone));
    WhenModal<TRecoverPicturesDlg>([](TRecoverPicturesDlg* dialog) { dialog->btLeaveAlone()->click(); });
    Manager->OfferUnreferencedPictures(leftAlone);
    QVERIFY(NoModalDuring([&] { Manager->OfferUnreferencedPictures(leftAlone); }));
    QCOMPARE(Tree->topLevelItem(0)->childCount(), 0);
    QVERIFY(fs::exists(DataFolder / "Aa1_5.bmp"));
    // A new one is offered on its own.
    WritePicture(DataFolder / "Bb2_6.bmp", 40, 30);
    QString offered;
    WhenModal<TRecoverPicturesDlg>([&offered](TRecoverPicturesDlg* dialog) {
      offered = dialog->lbText()->text();
      dialog->reject();
    });
    Manager->OfferUnreferencedPictures(leftAlone);
    QVERIFY2(offered.startsWith("1 picture "), qPrintable(offered));
  }

  // A change the library file cannot take (a read-only folder, a full disk)
  // is reported and not made: the tree stays as it was, no file goes, and the
  // change is not written later with the next one either.
  void aChangeThatCannotBeWrittenIsNotMade_data() {
    QTest::addColumn<TChange>("change");
    QTest::newRow("new category") << TChange::NewCategory;
    QTest::newRow("new film") << TChange::NewFilm;
    QTest::newRow("rename category") << TChange::RenameCategory;
    QTest::newRow("rename film") << TChange::RenameFilm;
    QTest::newRow("edit image") << TChange::EditImage;
    QTest::newRow("delete image") << TChange::DeleteImage;
    QTest::newRow("delete film") << TChange::DeleteFilm;
    QTest::newRow("delete category") << TChange::DeleteCategory;
  }
  void aChangeThatCannotBeWrittenIsNotMade() {
    QFETCH(TChange, change);
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    Films->AddImage(0, 0, {u"Beach", u"Aa1_5.bmp", u"Aa1_5_thumbnail.bmp", u"sand"});
    WritePicture(DataFolder / "Aa1_5.bmp", 40, 30);
    WritePicture(DataFolder / "Aa1_5_thumbnail.bmp", 20, 15);
    Open();
    const QStringList rowsBefore = TreeRows(*Tree);
    const std::string before = WriteXml(Films->Document());
    BlockLibraryFile(ConfigFile);
    TBoxSeen question;
    switch (change) {
      case TChange::NewCategory:
        Tree->setCurrentItem(Tree->topLevelItem(0));
        AnswerName(&TnewCategoryDlg::etCategoryName, "Trips");
        QVERIFY_THROWS_EXCEPTION(ELibraryFileError, Manager->NewCategory());
        break;
      case TChange::NewFilm:
        Tree->setCurrentItem(Node({0}));
        AnswerName(&TnewFilmDlg::etFilmName, "Autumn");
        QVERIFY_THROWS_EXCEPTION(ELibraryFileError, Manager->NewFilm());
        break;
      case TChange::RenameCategory:
        Tree->setCurrentItem(Node({0}));
        AnswerName(&TnewCategoryDlg::etCategoryName, "Trips");
        QVERIFY_THROWS_EXCEPTION(ELibraryFileError, Manager->EditNode());
        break;
      case TChange::RenameFilm:
        Tree->setCurrentItem(Node({0, 0}));
        AnswerName(&TnewFilmDlg::etFilmName, "Autumn");
        QVERIFY_THROWS_EXCEPTION(ELibraryFileError, Manager->EditNode());
        break;
      case TChange::EditImage:
        Tree->setCurrentItem(Node({0, 0, 0}));
        AnswerName(&TeditImageDlg::etImageName, "Dunes");
        QVERIFY_THROWS_EXCEPTION(ELibraryFileError, Manager->EditNode());
        break;
      case TChange::DeleteImage:
      case TChange::DeleteFilm:
      case TChange::DeleteCategory:
        Tree->setCurrentItem(change == TChange::DeleteImage ? Node({0, 0, 0})
                             : change == TChange::DeleteFilm ? Node({0, 0})
                                                             : Node({0}));
        AnswerBox(question, QMessageBox::Yes);
        QVERIFY_THROWS_EXCEPTION(ELibraryFileError, Manager->DeleteNode());
        QVERIFY(question.Shown);
        break;
    }
    QCOMPARE(TreeRows(*Tree), rowsBefore);
    QCOMPARE(WriteXml(Films->Document()), before);
    QVERIFY(fs::exists(DataFolder / "Aa1_5.bmp"));
    QVERIFY(fs::exists(DataFolder / "Aa1_5_thumbnail.bmp"));

    UnblockLibraryFile(ConfigFile);
    Films->AddCategory(u"Later");
    TFilmManager reread(ConfigFile);
    QCOMPARE(reread.Document().Root.Children.size(), std::size_t(2));
    TXmlDocument written = reread.Document();
    written.Root.Children.pop_back();
    QCOMPARE(WriteXml(written), before);
  }
};

QTEST_MAIN(LibrarySafetyTest)
#include "LibrarySafetyTest.moc"
