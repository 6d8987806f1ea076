// The main window with a library document: the controller owns the tree and
// the window's commands reach it, and every change is on disk at once.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/ui/MainDlg.h"
#include "library/FilmManager.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryDocument.h"
#include "support/ui/ModalAnswer.h"
#include "library/ui/NewCategoryDlg.h"

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

  void thumbnailClickOpensTheImageOnce() {
    FilmManager = nullptr;
    TMainDlg window(nullptr, QStringLiteral(KELTA_PROGRAM_DIR));
    window.show();
    int views = 0;
    window.Commands.ViewImage = [&views] { ++views; };
    QTest::mouseClick(window.imgThumb, Qt::LeftButton);
    QCOMPARE(views, 1);
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
