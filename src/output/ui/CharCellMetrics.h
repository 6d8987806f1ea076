#pragma once
// The character cell of the text-art pages, measured from the program's
// default user-interface font.

#include "output/HTMLExporter.h"

namespace kelta {

// Height plus external leading, and average character width, of the
// application's default font on the screen.
TCharCell DefaultCharCell();

}  // namespace kelta
