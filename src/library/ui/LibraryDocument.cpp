#include "library/ui/LibraryDocument.h"

#include <QApplication>
#include <cstdlib>

#include "imaging/ui/ShowException.h"
#include "library/FilmManager.h"
#include "library/LibraryPaths.h"
#include "library/StoreMaintenance.h"

namespace kelta {

TFilmManager* FilmManager = nullptr;

std::unique_ptr<TFilmManager> OpenLibraryDocument(const std::filesystem::path& libraryFile,
                                                  const std::function<void(const QString&)>& report) {
  try {
    return std::make_unique<TFilmManager>(libraryFile);
  } catch (const ELibraryFileError& error) {
    // The manager never existed, so nothing writes over the unreadable file.
    if (report) report(QString::fromStdString(error.what()));
    return nullptr;
  }
}

void ShowLibraryFileError(const QString& message) {
  // Start-up creates the document before the application object.
  std::unique_ptr<QApplication> ownApp;
  if (QCoreApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "kelta";
    static char* argv[] = {name, nullptr};
    ownApp = std::make_unique<QApplication>(argc, argv);
  }
  ShowErrorMessage(message);
}

void CreateFilmManager() {
  // Only this instance runs now, so temporary files of earlier writes are
  // leftovers of a crash.
  RemoveStaleTempFiles(LibraryFilePath(), DataFolderPath());
  std::unique_ptr<TFilmManager> document = OpenLibraryDocument(LibraryFilePath(), ShowLibraryFileError);
  if (!document) std::exit(1);
  FilmManager = document.release();
}

void DestroyFilmManager() {
  delete FilmManager;
  FilmManager = nullptr;
}

}  // namespace kelta
