// Kelta's entry point.
#include "app/ui/Startup.h"

int main(int argc, char** argv) {
  // The library document is created and destroyed through these hooks, first
  // and last around the windows.
  kelta::TLibraryDocumentHooks library;
  return kelta::RunKelta(argc, argv, library);
}
