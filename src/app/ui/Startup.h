#pragma once
// The program's start, run and stop.

#include <functional>

namespace kelta {

// The library document's life: created before any window, destroyed (which
// writes the library file) after the message loop, also when a later step
// fails. Empty until the library document is wired in.
struct TLibraryDocumentHooks {
  std::function<void()> Create;
  std::function<void()> Destroy;
};

// Runs Kelta: single-instance test, library document, splash for at least
// 1000 ms, main window centred and shown, message loop, teardown. Returns the
// process exit code; a second start returns 0 at once without a window.
int RunKelta(int argc, char** argv, const TLibraryDocumentHooks& library);

}  // namespace kelta
