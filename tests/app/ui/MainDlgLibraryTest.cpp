// The main window with a library document: the controller owns the tree and
// the window's commands reach it, and every change is on disk at once.
#include <QAction>
#include <QApplication>
#include <QHash>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QMenu>
#include <QListWidget>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/ui/MainDlg.h"
#include "library/FilmManager.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryDocument.h"
#include "support/ui/ModalAnswer.h"
#include "library/ui/NewCategoryDlg.h"
#include "library/ui/PictureGrid.h"

namespace kelta {

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

class MainDlgLibraryTest : public QObject {
  Q_OBJECT

 private slots:
  void controllerBuildsTheTreeAndTakesTheCommands() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::filesystem::path config = std::filesystem::path(dir.path().toStdString()) / "config";
    TFilmManager films(config);
    FilmManager = &films;
    {
      TMainDlg window(nullptr, QStringLiteral(KELTA_PROGRAM_DIR));
      QVERIFY(LibraryManager != nullptr);
      QCOMPARE(window.imageTree->topLevelItemCount(), 1);
      QVERIFY(window.imageTree->topLevelItem(0)->text(0).startsWith(QStringLiteral("My Library")));
      for (const auto* command : {&window.Commands.NewCategory, &window.Commands.NewFilm, &window.Commands.SaveImage,
                                  &window.Commands.DeleteNode, &window.Commands.EditNode, &window.Commands.ViewFrame,
                                  &window.Commands.ExportFrame, &window.Commands.CropFrame,
                                  &window.Commands.ResizeFrame, &window.Commands.ViewImage,
                                  &window.Commands.CropImage, &window.Commands.ResizeImage,
                                  &window.Commands.PrintImage, &window.Commands.CheckUpdate})
        QVERIFY(static_cast<bool>(*command));
      QVERIFY(static_cast<bool>(window.Commands.ExportImage));

      window.imageTree->setCurrentItem(window.imageTree->topLevelItem(0));
      test::WhenModal<TnewCategoryDlg>([](TnewCategoryDlg* dialog) {
        dialog->etCategoryName->setText(QStringLiteral("Holidays"));
        dialog->btOk->click();
      });
      window.tbiNewCategory->trigger();
      QCOMPARE(window.imageTree->topLevelItem(0)->childCount(), 1);
      QVERIFY(window.imageTree->topLevelItem(0)->child(0)->text(0).startsWith(QStringLiteral("Holidays")));
      QVERIFY(ReadFile(config).find("Holidays") != std::string::npos);
    }
    // The window takes its controller with it; the document stays.
    QVERIFY(LibraryManager == nullptr);
    FilmManager = nullptr;
    QCOMPARE(test::UnansweredModals(), 0);
  }

  // The thumbnail opens its image on a left click released over it only.
  void thumbnailClickOpensTheImageOnce_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("releasedAt");  // from the box's centre
    QTest::addColumn<int>("views");
    QTest::newRow("left click") << int(Qt::LeftButton) << QPoint(0, 0) << 1;
    QTest::newRow("released outside") << int(Qt::LeftButton) << QPoint(400, 0) << 0;
    QTest::newRow("right click") << int(Qt::RightButton) << QPoint(0, 0) << 0;
  }
  void thumbnailClickOpensTheImageOnce() {
    QFETCH(int, button);
    QFETCH(QPoint, releasedAt);
    QFETCH(int, views);
    FilmManager = nullptr;
    TMainDlg window(nullptr, QStringLiteral(KELTA_PROGRAM_DIR));
    window.show();
    int opened = 0;
    window.Commands.ViewImage = [&opened] { ++opened; };
    const QPoint centre = window.imgThumb->rect().center();
    QTest::mousePress(window.imgThumb, Qt::MouseButton(button), {}, centre);
    QTest::mouseRelease(window.imgThumb, Qt::MouseButton(button), {}, centre + releasedAt);
    QCOMPARE(opened, views);
  }

  // A command that cannot act is either disabled or says why in the status
  // line; none does nothing silently. No video is open here. (An image whose
  // picture file is missing says so in a message box: the picture command
  // tests cover that.)
  void commandsThatCannotActSaySo_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("focused");  // none, root, category, film, image
    QTest::addColumn<QString>("said");     // empty: the item is disabled
    QTest::newRow("New Film, nothing focused") << "tbiNewFilm" << "none" << "New Film: select a category";
    QTest::newRow("New Film, root") << "tbiNewFilm" << "root" << "New Film: select a category";
    QTest::newRow("Delete, root") << "tbiDelete" << "root" << "Delete: select";
    QTest::newRow("Edit, nothing focused") << "tbiEdit" << "none" << "Edit: select";
    QTest::newRow("Crop, category") << "TBXItem1" << "category" << "Crop: select an image";
    QTest::newRow("Resize, film") << "TBXItem2" << "film" << "Resize: select an image";
    QTest::newRow("View, root") << "pmiView" << "root" << "View: select an image";
    QTest::newRow("Save Image, film") << "pmiSaveImageHere" << "film" << "Save Image: open a video first";
    QTest::newRow("Copy Frame") << "tbiCopyFrame" << "image" << "";
    QTest::newRow("Play") << "tbiPlay" << "film" << "";
    QTest::newRow("Forward More") << "tbiForwardMore" << "film" << "";
    QTest::newRow("Forward Step") << "tbiMoveStep" << "film" << "";
  }
  void commandsThatCannotActSaySo() {
    QFETCH(QString, action);
    QFETCH(QString, focused);
    QFETCH(QString, said);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TFilmManager films(std::filesystem::path(dir.path().toStdString()) / "config");
    films.AddCategory(u"Holidays");
    films.AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    films.AddImage(0, 0, TImageLibraryImageData{u"Beach", u"gone.bmp", u"gone_thumbnail.bmp", u""});
    FilmManager = &films;
    {
      TMainDlg window(nullptr, QStringLiteral(KELTA_PROGRAM_DIR));
      QTreeWidgetItem* root = window.imageTree->topLevelItem(0);
      const QHash<QString, QTreeWidgetItem*> nodes = {{"none", nullptr},
                                                      {"root", root},
                                                      {"category", root->child(0)},
                                                      {"film", root->child(0)->child(0)},
                                                      {"image", root->child(0)->child(0)->child(0)}};
      window.imageTree->setCurrentItem(nodes.value(focused));
      window.lbStatus->clear();
      auto* item = window.findChild<QAction*>(action);
      QVERIFY(item != nullptr);
      if (said.isEmpty()) {
        QVERIFY(!item->isEnabled());
      } else {
        QVERIFY(test::NoModalDuring([item] { item->trigger(); }));
        QVERIFY2(window.lbStatus->text().startsWith(said), qPrintable(window.lbStatus->text()));
      }
    }
    FilmManager = nullptr;
  }

  // A key whose command opens a dialog moves the focus away; the same key on
  // its way up to the window must not run the command again.
  void keyThatOpensADialogRunsItsCommandOnce() {
    FilmManager = nullptr;
    TMainDlg window(nullptr, QStringLiteral(KELTA_PROGRAM_DIR));
    window.show();
    QApplication::setActiveWindow(&window);
    window.btPlay->setEnabled(true);  // frame keys work once a video is open
    int saves = 0;
    window.Commands.SaveImage = [&window, &saves] {
      ++saves;
      QDialog dialog(&window);
      QTimer::singleShot(0, &dialog, &QDialog::reject);
      dialog.exec();
      if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
    };
    window.imageTree->setFocus();
    QTest::keyClick(window.imageTree, Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(saves, 1);
    // The next key is a key of its own.
    window.imageTree->setFocus();
    QTest::keyClick(window.imageTree, Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(saves, 2);
  }

  // The Delete key in the tree is File > Delete: the same one question, and
  // on Yes the film goes with its image, from the tree and the library file.
  void deleteKeyInTheTreeDeletesLikeTheMenu() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::filesystem::path config = std::filesystem::path(dir.path().toStdString()) / "config";
    TFilmManager films(config);
    films.AddCategory(u"Holidays");
    films.AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    // Not a name of the image store: no file anywhere is touched.
    films.AddImage(0, 0, TImageLibraryImageData{u"Beach", u"gone.bmp", u"gone_thumbnail.bmp", u""});
    FilmManager = &films;
    {
      TMainDlg window(nullptr, QStringLiteral(KELTA_PROGRAM_DIR));
      window.show();
      QApplication::setActiveWindow(&window);
      QTreeWidgetItem* category = window.imageTree->topLevelItem(0)->child(0);
      window.imageTree->setCurrentItem(category->child(0));
      window.imageTree->setFocus();
      test::TBoxSeen seen;
      test::AnswerBox(seen, QMessageBox::Yes);
      QTest::keyClick(window.imageTree, Qt::Key_Delete);
      QCOMPARE(seen.Text, QStringLiteral("Delete the film 'Summer' and its 1 image?"));
      QCOMPARE(category->childCount(), 0);
      QVERIFY(ReadFile(config).find("Summer") == std::string::npos);
    }
    FilmManager = nullptr;
    QCOMPARE(test::UnansweredModals(), 0);
  }

  // Tools > Picture Grid (and the toggle on the pane's title) puts the grid
  // of the chosen film's pictures in the video area's place and back; the
  // search in the window filters it; the Delete key in it deletes the
  // picture chosen, as in the tree.
  void thePictureGridTakesTheVideoAreasPlace() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::filesystem::path config = std::filesystem::path(dir.path().toStdString()) / "config";
    TFilmManager films(config);
    films.AddCategory(u"Holidays");
    films.AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    films.AddImage(0, 0, TImageLibraryImageData{u"Beach", u"gone.bmp", u"gone_thumbnail.bmp", u""});
    films.AddImage(0, 0, TImageLibraryImageData{u"Pier", u"gone2.bmp", u"gone2_thumbnail.bmp", u""});
    FilmManager = &films;
    {
      TMainDlg window(nullptr, QStringLiteral(KELTA_PROGRAM_DIR));
      window.show();
      QApplication::setActiveWindow(&window);
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      QVERIFY(!window.PictureGrid->isVisible());
      auto* toggle = window.Panel3->findChild<QToolButton*>(QStringLiteral("btPictureGrid"));
      QVERIFY(toggle != nullptr && toggle->isVisible());
      QVERIFY(window.tbTools->actions().contains(window.tbiPictureGrid));
      QCOMPARE(window.tbiPictureGrid->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
      QTreeWidgetItem* summer = window.imageTree->topLevelItem(0)->child(0)->child(0);
      window.imageTree->setCurrentItem(summer);
      toggle->click();
      QVERIFY(window.PictureGrid->isVisible());
      QVERIFY(!window.FlatPanel1->isVisible());
      QCOMPARE(window.PictureGrid->geometry(), window.FlatPanel1->geometry());
      QCOMPARE(window.PictureGrid->count(), 2);
      window.resize(1000, 700);
      QCOMPARE(window.PictureGrid->geometry(), window.FlatPanel1->geometry());

      QTest::keyClicks(window.etSearch, "pie");
      window.PictureGrid->Refresh();
      QTest::qWait(1);
      window.PictureGrid->Refresh();
      QCOMPARE(window.PictureGrid->count(), 1);
      QCOMPARE(window.PictureGrid->item(0)->text(), QStringLiteral("Pier"));
      QTest::keyClick(window.etSearch, Qt::Key_Escape);

      window.PictureGrid->setFocus();
      window.PictureGrid->Refresh();
      window.PictureGrid->setCurrentItem(window.PictureGrid->item(0));
      QCOMPARE(window.imageTree->currentItem(), summer->child(0));
      test::TBoxSeen seen;
      test::AnswerBox(seen, QMessageBox::Yes);
      QTest::keyClick(window.PictureGrid, Qt::Key_Delete);
      QCOMPARE(seen.Text, QStringLiteral("Delete the image 'Beach'?"));
      QCOMPARE(summer->childCount(), 1);

      window.tbiPictureGrid->trigger();
      QVERIFY(!window.PictureGrid->isVisible());
      QVERIFY(window.FlatPanel1->isVisible());
    }
    FilmManager = nullptr;
    QCOMPARE(test::UnansweredModals(), 0);
  }

  void withoutDocumentTheLibraryCommandsStayEmpty() {
    FilmManager = nullptr;
    TMainDlg window(nullptr, QStringLiteral(KELTA_PROGRAM_DIR));
    QVERIFY(LibraryManager == nullptr);
    QVERIFY(!window.Commands.NewCategory);
    QVERIFY(static_cast<bool>(window.Commands.CheckUpdate));
  }
};

}  // namespace kelta

QTEST_MAIN(kelta::MainDlgLibraryTest)
#include "MainDlgLibraryTest.moc"
