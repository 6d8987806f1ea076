#pragma once
// Closing the program while the library file lags behind the library: a write
// failed (full disk, read-only folder), so the latest changes exist only in
// memory. The user hears so and may retry, close anyway or stay.

class QWidget;

namespace kelta {

class TFilmManager;

// True when the program may close: nothing is unsaved, a retry saved it, or
// the user chose to close without it. False keeps the program open.
bool LibraryMayClose(QWidget* owner, TFilmManager& films);

}  // namespace kelta
