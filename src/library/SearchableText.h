#pragma once
// What the library search looks through for each node of the tree: one
// string per node, its parts separated by line feeds so that no match runs
// from one part into the next.

#include <string>

#include "library/LibraryNodeData.h"

namespace kelta {

// A category's or film's name; an image's name and memo. `level` is the
// node's level (see LibraryNodeData.h); the root gives nothing.
std::u16string SearchableText(const TImageLibraryNodeData& data, int level);

}  // namespace kelta
