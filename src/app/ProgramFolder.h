#pragma once
// The program folder: the folder of the running executable. The library file
// config, data/, export/, help/help.html and codec.so lie there.

#include <string>

namespace kelta {

// Absolute path without a trailing slash; empty if the executable's path
// cannot be read.
std::string ProgramFolder();

}  // namespace kelta
