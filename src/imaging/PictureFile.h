#pragma once
// Reading a picture file of the library: a BMP that loads as a non-empty
// 24-bit picture, the only kind the windows and writers work on. Anything else
// (missing, damaged, another bit depth) is no picture.

#include <string>

#include "imaging/FastDIB.h"

namespace kelta {

// False when the file holds no such picture; `picture` then stays as it was,
// and `why` (when given) says in a few words what is wrong with the file.
bool LoadPictureFile(const std::string& fileName, TFastDIB& picture, std::string* why = nullptr);

}  // namespace kelta
