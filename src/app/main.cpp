// Kelta's entry point.
#include <unistd.h>

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/ui/Startup.h"
#include "capture/CaptureCommand.h"
#include "library/LibraryPaths.h"
#include "library/ui/LibraryDocument.h"

int main(int argc, char** argv) {
  // Stills without the window: no display, no lock, no library document.
  if (argc > 1 && std::string_view(argv[1]) == "capture")
    return kelta::RunCaptureCommand(std::vector<std::string>(argv + 2, argv + argc), kelta::ProgramFolder(), std::cout,
                                    std::cerr, isatty(STDERR_FILENO) != 0);
  // The library document is created and destroyed through these hooks, first
  // and last around the windows.
  kelta::TLibraryDocumentHooks library;
  library.Create = kelta::CreateFilmManager;
  library.Destroy = kelta::DestroyFilmManager;
  return kelta::RunKelta(argc, argv, library);
}
