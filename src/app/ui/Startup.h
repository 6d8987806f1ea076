#pragma once
// The program's start, run and stop.

#include <functional>

class QApplication;

namespace kelta {

// The library document's life: created before any window, destroyed (which
// writes the library file) after the message loop, also when a later step
// fails. Empty until the library document is wired in.
struct TLibraryDocumentHooks {
  std::function<void()> Create;
  std::function<void()> Destroy;
};

// Names the application (without a display name, which the window system
// would append to every window's caption), sets its icon and theme.
void ConfigureApplication(QApplication& app);

// Reads the command line (--version and --help print and end at once). Runs
// Kelta: single-instance test, library document, splash for at least
// 1000 ms, main window centred and shown, message loop, teardown. Returns the
// process exit code. A second start hands its video (or a request to come to
// the front) to the running instance and returns 0 without a window.
int RunKelta(int argc, char** argv, const TLibraryDocumentHooks& library);

}  // namespace kelta
