// The main window with a library document: the controller owns the tree and
// the window's commands reach it, and every change is on disk at once.
#include <QAction>
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
