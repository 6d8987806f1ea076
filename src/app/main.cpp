// Kelta's entry point.
#include <string_view>

#include "app/ui/Startup.h"
#include "capture/ui/CaptureMain.h"
#include "library/ui/LibraryDocument.h"

int main(int argc, char** argv) {
  // Stills without the window: no display, no lock, no library document.
  if (argc > 1 && std::string_view(argv[1]) == "capture") return kelta::RunCapture(argc, argv);
  // The library document is created and destroyed through these hooks, first
  // and last around the windows.
  kelta::TLibraryDocumentHooks library;
  library.Create = kelta::CreateFilmManager;
  library.Destroy = kelta::DestroyFilmManager;
  return kelta::RunKelta(argc, argv, library);
}
