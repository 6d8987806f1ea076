#pragma once
// The process-wide library document `FilmManager`: created first at start-up
// from the program folder's `config`, destroyed last (which writes it once
// more). A library file that cannot be read is shown with its path and the
// reader's message, and the program ends without touching the file.

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>

namespace kelta {

class TFilmManager;

// Null before start-up has created it and after it is destroyed.
extern TFilmManager* FilmManager;

// Opens the library file. On failure `report` gets the message (naming the
// file) and null is returned; the file is left as it is.
std::unique_ptr<TFilmManager> OpenLibraryDocument(const std::filesystem::path& libraryFile,
                                                  const std::function<void(const QString&)>& report);

// Start-up's pair: creates `FilmManager` from the program folder's library
// file, or shows the error box and ends the process with exit code 1 when
// the file cannot be read (a window system connection is made for the box if
// the application object does not exist yet). Destroy writes and frees it.
void CreateFilmManager();
void DestroyFilmManager();

// The error box: application title, error icon, the message.
void ShowLibraryFileError(const QString& message);

}  // namespace kelta
