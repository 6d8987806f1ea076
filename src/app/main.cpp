// Kelta's entry point.
#include "app/ui/Startup.h"
#include "library/ui/LibraryDocument.h"

int main(int argc, char** argv) {
  // The library document is created and destroyed through these hooks, first
  // and last around the windows.
  kelta::TLibraryDocumentHooks library;
  library.Create = kelta::CreateFilmManager;
  library.Destroy = kelta::DestroyFilmManager;
  return kelta::RunKelta(argc, argv, library);
}
