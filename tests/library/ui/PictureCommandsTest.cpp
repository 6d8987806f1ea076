// The picture commands over a small library: captions, the viewer stepping
// through a film, missing pictures, and a crop saved back into the store.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>

#include "editing/EditingFixtures.h"
#include "editing/ui/ImageCropDlg.h"
#include "editing/ui/ImageResizeDlg.h"
#include "editing/ui/ImageViewDlg.h"
#include "editing/ui/ViewDlg.h"
#include "library/FilmManager.h"
#include "library/ImageSaveManager.h"
#include "library/XmlDocument.h"
#include "library/ui/EditImageDlg.h"
#include "library/ui/LibraryTreeItem.h"
#include "library/ui/LibraryHost.h"
#include "library/ui/ImageLibraryManager.h"
#include "output/ui/ExportForm.h"
#include "output/ui/PrintPreviewDlg.h"
#include "support/LetterboxedFrame.h"
#include "support/ui/FakeLibraryHost.h"
#include "support/ui/LibraryTestBase.h"
#include "support/ui/ModalAnswer.h"
#include "common/ui/VideoOutPanel.h"

using namespace kelta;
using kelta::test::TFakeLibraryHost;
using kelta::test::TLibraryTestBase;
using kelta::testing::FillPattern;
using kelta::testing::PatternPixel;
using kelta::testing::PixelXY;
using kelta::testing::SamePixels;
namespace fs = std::filesystem;

namespace {

// Runs `act` on the next modal window once it shows, then closes it.
template <typename Window>
void WhenShown(std::function<void(Window*)> act, bool* seen) {
  QTimer::singleShot(0, [act, seen] {
    auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
    if (!window) return;
    *seen = true;
    act(window);
    if (window->isVisible()) window->reject();
  });
}

}  // namespace

class PictureCommandsTest : public TLibraryTestBase {
  Q_OBJECT

  QTreeWidgetItem* Film() { return Tree->topLevelItem(0)->child(0)->child(0); }

  void WritePicture(const char* name, int w, int h) {
    TFastDIB picture;
    FillPattern(picture, w, h);
    QVERIFY(picture.SaveToFile((DataFolder / name).string()));
  }

 private slots:
  void init() {
    QVERIFY(SetUpLibrary());
    fs::create_directories(DataFolder);
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer 2005", 0});
    Films->AddImage(0, 0, {u"Beach", u"Kq3xZb7T_81234567.bmp", u"Kq3xZb7T_81234567_thumbnail.bmp", u"sunny"});
    Films->AddImage(0, 0, {u"Dunes", u"Dn4_12.bmp", u"Dn4_12_thumbnail.bmp", u""});
    Films->AddImage(0, 0, {u"Gone", u"Gn5_3.bmp", u"Gn5_3_thumbnail.bmp", u""});
    WritePicture("Kq3xZb7T_81234567.bmp", 120, 90);
    WritePicture("Kq3xZb7T_81234567_thumbnail.bmp", 40, 30);
    WritePicture("Dn4_12.bmp", 64, 48);
    OpenLibrary(*Host, &Host->MainWindow);
  }

  void cleanup() { TearDownLibrary(); }

  void libraryPathText() {
    QCOMPARE(TImageLibraryManager::LibraryPathText(Film()->child(0)),
             QString("~/library/Holidays/Summer 2005/Kq3xZb7T_81234567.bmp"));
  }

  void viewer_stepsThroughTheFilmAndStopsAtTheEnds() {
    Tree->setCurrentItem(Film()->child(0));
    Host->IsPlaying = true;
    bool seen = false;
    QStringList statuses, captions;
    WhenShown<TimageViewDlg>(
        [&](TimageViewDlg* viewer) {
          auto note = [&] {
            statuses << viewer->lbStatus()->text();
            captions << viewer->windowTitle();
          };
          note();
          viewer->tbiPreClick();  // first picture: nothing before it
          note();
          viewer->tbiNextClick();
          note();
          // Its file is missing: said once, and the viewer stays on Dunes.
          const test::TShown shown = test::ShownDuring([viewer] { viewer->tbiNextClick(); });
          QCOMPARE(shown.Messages.size(), 1);
          note();
        },
        &seen);
    Manager->ViewImage();
    QVERIFY(seen);
    QCOMPARE(statuses, (QStringList{"1/3 - [120x90] - Beach", "1/3 - [120x90] - Beach", "2/3 - [64x48] - Dunes",
                                    "2/3 - [64x48] - Dunes"}));
    QCOMPARE(captions.first(), QString("View Image - ~/library/Holidays/Summer 2005/Kq3xZb7T_81234567.bmp"));
    QCOMPARE(captions.last(), QString("View Image - ~/library/Holidays/Summer 2005/Dn4_12.bmp"));
    QCOMPARE(Host->Pauses, 1);
    QCOMPARE(Host->Plays, 1);
  }

  void missingPicture_saysSoOnce_viewStaysPaused_cropRunsOn() {
    Tree->setCurrentItem(Film()->child(2));
    Host->IsPlaying = true;
    test::TShown shown = test::ShownDuring([this] { Manager->ViewImage(); });
    QCOMPARE(shown.Windows, 0);
    QCOMPARE(shown.Messages,
             QStringList{"The picture file \"Gn5_3.bmp\" of \"Gone\" cannot be read: the file is missing."});
    QVERIFY(!Host->IsPlaying);
    Host->IsPlaying = true;
    shown = test::ShownDuring([this] { Manager->CropImage(); });
    QCOMPARE(shown.Windows, 0);
    QCOMPARE(shown.Messages.size(), 1);
    QVERIFY(Host->IsPlaying);
  }

  // Every picture command treats a file it cannot read like a missing one:
  // one clear message, no window.
  void unreadablePicture_oneMessageNoWindow_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    TFastDIB picture;
    FillPattern(picture, 30, 20);
    const std::string bmp = picture.SaveToMemory();
    TFastDIB palette;
    palette.SetSize(30, 20, 8);
    QByteArray random(900, '\0');
    for (int i = 0; i < random.size(); ++i) random[i] = char((i * 7919 + 13) % 251);
    QTest::newRow("zero bytes") << QByteArray() << "the file is empty";
    QTest::newRow("random bytes") << random << "damaged";
    QTest::newRow("truncated") << QByteArray(bmp.data(), int(bmp.size() / 2)) << "damaged";
    QTest::newRow("8-bit bitmap") << QByteArray::fromStdString(palette.SaveToMemory()) << "24-bit";
  }
  void unreadablePicture_oneMessageNoWindow() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    {
      std::ofstream out(DataFolder / "Dn4_12.bmp", std::ios::binary | std::ios::trunc);
      out.write(bytes.constData(), bytes.size());
    }
    Tree->setCurrentItem(Film()->child(1));
    const std::vector<std::pair<const char*, std::function<void()>>> commands = {
        {"view", [this] { Manager->ViewImage(); }},
        {"crop", [this] { Manager->CropImage(); }},
        {"resize", [this] { Manager->ResizeImage(); }},
        {"print", [this] { Manager->PrintImage(&Host->MainWindow); }},
        {"export", [this] { Manager->ExportImage(4, &Host->MainWindow); }}};
    for (const auto& [name, command] : commands) {
      const test::TShown shown = test::ShownDuring(command);
      QVERIFY2(shown.Windows == 0, name);
      QVERIFY2(shown.Messages.size() == 1, name);
      QVERIFY2(shown.Messages[0].startsWith("The picture file \"Dn4_12.bmp\" of \"Dunes\" cannot be read: "), name);
      QVERIFY2(shown.Messages[0].contains(reason), qPrintable(shown.Messages[0]));
    }
    // Stepping the viewer onto it says so and stays on the picture shown.
    Tree->setCurrentItem(Film()->child(0));
    bool seen = false;
    QStringList messages;
    QString status;
    WhenShown<TimageViewDlg>(
        [&](TimageViewDlg* viewer) {
          messages = test::ShownDuring([viewer] { viewer->tbiNextClick(); }).Messages;
          status = viewer->lbStatus()->text();
        },
        &seen);
    Manager->ViewImage();
    QVERIFY(seen);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(status, QString("1/3 - [120x90] - Beach"));
  }

  // The thumbnail follows the saved crop (it stayed uncropped before).
  void cropSaved_replacesPictureAndRemakesThumbnail() {
    Tree->setCurrentItem(Film()->child(0));
    bool seen = false;
    QString caption, status;
    WhenShown<TimageCropDlg>(
        [&](TimageCropDlg* crop) {
          caption = crop->windowTitle();
          status = crop->lbStatus()->text();
          TImageControl* control = crop->Control();
          control->OnMouseDown(Qt::LeftButton, {}, 10, 20);
          control->OnMouseMove({}, 60, 50);
          control->OnMouseUp(Qt::LeftButton, {}, 60, 50);
          crop->tbiCropClick();
          crop->tbiSaveClick();
        },
        &seen);
    const int thumbnailsBefore = Host->Thumbnails;
    Manager->CropImage();
    QVERIFY(seen);
    QCOMPARE(caption, QString("Crop Image - ~/library/Holidays/Summer 2005/Kq3xZb7T_81234567.bmp"));
    QCOMPARE(status, QString("[120x90] - Beach"));
    TFastDIB saved, thumbnail;
    QVERIFY(saved.LoadFromFile((DataFolder / "Kq3xZb7T_81234567.bmp").string()));
    QCOMPARE(saved.Width(), 50);
    QCOMPARE(saved.RowCount(), 30);
    QVERIFY(PixelXY(saved, 0, 0) == PatternPixel(10, 20));
    QVERIFY(thumbnail.LoadFromFile((DataFolder / "Kq3xZb7T_81234567_thumbnail.bmp").string()));
    QCOMPARE(thumbnail.Width(), 200);
    QCOMPARE(thumbnail.RowCount(), 120);
    TFastDIB expected;
    TimageSaveManager::MakeThumbnail(saved, expected);
    QVERIFY(SamePixels(expected, thumbnail));
    // The box beside the tree shows the new thumbnail at once.
    QCOMPARE(Host->Thumbnails, thumbnailsBefore + 1);
    QCOMPARE(Host->Thumbnail.size(), QSize(200, 120));
    for (const auto& entry : fs::directory_iterator(DataFolder))
      QVERIFY2(entry.path().filename().string().find(".tmp") == std::string::npos, entry.path().c_str());
  }

  void saveAsNewImage_addsAnEntryAndTwoFilesAndKeepsTheOriginal() {
    Tree->setCurrentItem(Film()->child(0));
    const TFastDIB* original = nullptr;
    TFastDIB before;
    QVERIFY(before.LoadFromFile((DataFolder / "Kq3xZb7T_81234567.bmp").string()));
    const auto filesBefore = std::distance(fs::directory_iterator(DataFolder), fs::directory_iterator());
    bool seen = false;
    QString suggested, refusal;
    WhenShown<TimageResizeDlg>(
        [&](TimageResizeDlg* resize) {
          resize->ckbConstrain()->setChecked(false);
          resize->SetEdits(60, 40);
          resize->tbiResizeClick();
          original = &resize->Control()->WorkImage();
          // First a name the film has, refused in the dialog; then a new one.
          test::WhenModal<TeditImageDlg>([&](TeditImageDlg* dialog) {
            suggested = dialog->etImageName->text();
            dialog->etImageName->setText("Dunes");
            test::WhenModal<QMessageBox>([&](QMessageBox* box) {
              refusal = box->text();
              box->button(QMessageBox::Ok)->click();
              dialog->etImageName->setText("Beach small");
              dialog->btOk->click();
            });
            dialog->btOk->click();
          });
          resize->tbiSaveAsNewClick();
        },
        &seen);
    Manager->ResizeImage();
    QVERIFY(seen);
    QVERIFY(original);
    QCOMPARE(suggested, QString("Beach (resized)"));
    QVERIFY(!refusal.isEmpty());
    // A fourth node in the film, named as typed, with the memo of the original.
    QCOMPARE(Film()->childCount(), 4);
    const TImageLibraryNodeData* added = TLibraryTreeItem::Record(Film()->child(3));
    QCOMPARE(QString::fromStdU16String(added->Image.Name), QString("Beach small"));
    QCOMPARE(QString::fromStdU16String(added->Image.Memo), QString("sunny"));
    QCOMPARE(TLibraryTreeItem::Record(Film())->Film.Count, 4);
    // In the library file too, which was written.
    TFilmManager reread(ConfigFile);
    QCOMPARE(int(reread.Document().Root.Children[0].Children[0].Children.size()), 4);
    // Two new files: the picture as resized and its thumbnail.
    QCOMPARE(std::distance(fs::directory_iterator(DataFolder), fs::directory_iterator()), filesBefore + 2);
    TFastDIB stored, thumbnail;
    QVERIFY(stored.LoadFromFile(
        (DataFolder / QString::fromStdU16String(added->Image.FileName).toStdString()).string()));
    QCOMPARE(stored.Width(), 60);
    QCOMPARE(stored.RowCount(), 40);
    QVERIFY(thumbnail.LoadFromFile(
        (DataFolder / QString::fromStdU16String(added->Image.Thumbnail).toStdString()).string()));
    QCOMPARE(thumbnail.Width(), 200);
    // The original is untouched.
    TFastDIB after;
    QVERIFY(after.LoadFromFile((DataFolder / "Kq3xZb7T_81234567.bmp").string()));
    QVERIFY(SamePixels(before, after));
  }

  // Closed with the change discarded: the question names the image, and its
  // picture stays as it was.
  void resizeClosedWithoutSaving_leavesPicture() {
    Tree->setCurrentItem(Film()->child(1));
    bool seen = false;
    QString edits;
    test::TBoxSeen question;
    WhenShown<TimageResizeDlg>(
        [&](TimageResizeDlg* resize) {
          edits = resize->WidthEdit()->text() + "x" + resize->HeightEdit()->text();
          resize->WidthEdit()->setText("32");
          resize->tbiResizeClick();
          test::WhenModal<QMessageBox>([&question](QMessageBox* box) {
            question.Shown = true;
            question.Text = box->text();
            for (QAbstractButton* button : box->buttons())
              if (button->text().remove('&') == "Discard") button->click();
          });
          resize->close();
          QVERIFY(!resize->isVisible());
        },
        &seen);
    Manager->ResizeImage();
    QVERIFY(seen);
    QCOMPARE(edits, QString("64x48"));
    QCOMPARE(question.Text, QString("Save changes to Dunes before closing?"));
    TFastDIB kept;
    QVERIFY(kept.LoadFromFile((DataFolder / "Dn4_12.bmp").string()));
    QCOMPARE(kept.Width(), 64);
  }

  void frameWindows_haveSaveDisabledAndFrameSizes() {
    FillPattern(Host->Frame, 720, 576);
    bool seen = false;
    bool saveEnabled = true;
    WhenShown<TimageCropDlg>([&](TimageCropDlg* crop) { saveEnabled = crop->tbiSave()->isEnabled(); }, &seen);
    Manager->CropFrame();
    QVERIFY(seen);
    QVERIFY(!saveEnabled);
    seen = false;
    QString status;
    WhenShown<TimageResizeDlg>(
        [&](TimageResizeDlg* resize) {
          saveEnabled = resize->tbiSave()->isEnabled();
          status = resize->lbStatus()->text();
        },
        &seen);
    Manager->ResizeFrame();
    QVERIFY(seen);
    QVERIFY(!saveEnabled);
    QCOMPARE(status, QString("Original: [720x576] - Resize: [720x576]"));
    seen = false;
    QSize panel, client;
    WhenShown<TViewDlg>(
        [&](TViewDlg* view) {
          panel = view->Panel()->size();
          client = view->size();
        },
        &seen);
    Manager->ViewFrame();
    QVERIFY(seen);
    QCOMPARE(panel, QSize(731, 416));
    QCOMPARE(client, QSize(751, 436));
  }

  // The frame commands work on the frame at square pixels for its display
  // aspect: a 16:9 frame is viewed, cropped, resized and exported unsqueezed.
  // With the aspect unknown they work on it as stored (the view at 16:9).
  // They follow the aspect last saved with: the ITU shape there is the ITU
  // shape here, any other choice leaves them at square pixels.
  void frameWindows_workOnTheFrameInItsShape_data() {
    QTest::addColumn<QSize>("aspect");
    QTest::addColumn<QByteArray>("saved");  // the save-aspect file; "-" none
    QTest::addColumn<QSize>("picture");     // crop, resize and export
    QTest::addColumn<QSize>("view");        // the view's panel
    QTest::newRow("16:9") << QSize(16, 9) << QByteArray("-") << QSize(1024, 576) << QSize(1035, 587);
    QTest::newRow("4:3") << QSize(4, 3) << QByteArray("-") << QSize(768, 576) << QSize(779, 587);
    QTest::newRow("unknown") << QSize() << QByteArray("-") << QSize(720, 576) << QSize(731, 416);
    QTest::newRow("16:9 after 1.85:1") << QSize(16, 9) << QByteArray("1.85:1\n") << QSize(1024, 576)
                                       << QSize(1035, 587);
    QTest::newRow("16:9 after ITU") << QSize(16, 9) << QByteArray("square-pixels-itu\n") << QSize(1048, 576)
                                    << QSize(1059, 587);
    QTest::newRow("4:3 after ITU") << QSize(4, 3) << QByteArray("square-pixels-itu\n") << QSize(786, 576)
                                   << QSize(797, 587);
    QTest::newRow("unknown after ITU") << QSize() << QByteArray("square-pixels-itu\n") << QSize(720, 576)
                                       << QSize(731, 416);
  }
  void frameWindows_workOnTheFrameInItsShape() {
    QFETCH(QSize, aspect);
    QFETCH(QByteArray, saved);
    QFETCH(QSize, picture);
    QFETCH(QSize, view);
    if (saved != "-") std::ofstream(TempPath() / "save-aspect", std::ios::binary) << saved.toStdString();
    FillPattern(Host->Frame, 720, 576);
    Host->Aspect = TDisplayAspect{aspect.width(), aspect.height()};
    bool seen = false;
    QSize cropped;
    WhenShown<TimageCropDlg>(
        [&](TimageCropDlg* crop) {
          cropped = QSize(crop->Control()->WorkImage().Width(), crop->Control()->WorkImage().RowCount());
        },
        &seen);
    Manager->CropFrame();
    QVERIFY(seen);
    QCOMPARE(cropped, picture);
    seen = false;
    QString status;
    WhenShown<TimageResizeDlg>([&](TimageResizeDlg* resize) { status = resize->lbStatus()->text(); }, &seen);
    Manager->ResizeFrame();
    QVERIFY(seen);
    QCOMPARE(status, QString("Original: [%1x%2] - Resize: [%1x%2]").arg(picture.width()).arg(picture.height()));
    seen = false;
    QSize panel;
    WhenShown<TViewDlg>([&](TViewDlg* dialog) { panel = dialog->Panel()->size(); }, &seen);
    Manager->ViewFrame();
    QVERIFY(seen);
    QCOMPARE(panel, view);
    seen = false;
    QSize exported;
    WhenShown<TExportDlg>(
        [&](TExportDlg* dialog) { exported = QSize(dialog->Frame().Width(), dialog->Frame().RowCount()); }, &seen);
    Manager->ExportFrame();
    QVERIFY(seen);
    QCOMPARE(exported, picture);
  }

  // The frame export's Crop black bars cuts the bars found over the frame
  // and the frames near it, and exports what remains in the shape the frame
  // is shown at.
  void frameExport_cropsTheBlackBars_data() {
    QTest::addColumn<QByteArray>("saved");  // the save-aspect file; "-" none
    QTest::addColumn<QSize>("exported");
    QTest::newRow("square pixels") << QByteArray("-") << QSize(1024, 432);
    QTest::newRow("after ITU") << QByteArray("square-pixels-itu\n") << QSize(1048, 432);
  }
  void frameExport_cropsTheBlackBars() {
    QFETCH(QByteArray, saved);
    QFETCH(QSize, exported);
    if (saved != "-") std::ofstream(TempPath() / "save-aspect", std::ios::binary) << saved.toStdString();
    const TRect film{0, 72, 720, 504};
    Host->Frame = kelta::test::LetterboxedFrame(film, 1);
    Host->Nearby.push_back(kelta::test::LetterboxedFrame(film, 2));
    Host->Aspect = TDisplayAspect{16, 9};
    bool seen = false;
    QSize whole, cropped;
    WhenShown<TExportDlg>(
        [&](TExportDlg* dialog) {
          whole = QSize(dialog->Frame().Width(), dialog->Frame().RowCount());
          dialog->ckbCropBars->click();
          cropped = QSize(dialog->Frame().Width(), dialog->Frame().RowCount());
        },
        &seen);
    Manager->ExportFrame();
    QVERIFY(seen);
    QCOMPARE(whole, QSize(exported.width(), 576));
    QCOMPARE(cropped, exported);
    QCOMPARE(Host->NearbyAsked, 1);
  }

  void print_captionAndRecord() {
    Tree->setCurrentItem(Film()->child(0));
    bool seen = false;
    QString caption;
    QRect image;
    WhenShown<TprintDlg>(
        [&](TprintDlg* print) {
          caption = print->windowTitle();
          image = print->PageGeometry().Image;
        },
        &seen);
    Manager->PrintImage(&Host->MainWindow);
    QVERIFY(seen);
    QCOMPARE(caption, QString("Print Preview - ~/library/Holidays/Summer 2005/Kq3xZb7T_81234567.bmp"));
    // The 120 x 90 picture in its proportions, whatever the printer's paper.
    QVERIFY(image.width() > 500);
    QVERIFY(qAbs(image.width() * 90 - image.height() * 120) <= 120);
  }
};

QTEST_MAIN(PictureCommandsTest)
#include "PictureCommandsTest.moc"
