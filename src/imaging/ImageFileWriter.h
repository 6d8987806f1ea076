#pragma once
// Single-image export through FreeImage: BMP, JPEG, PNG and GIF, the format
// taken from the file name's extension.

#include <string>

#include "imaging/FastDIB.h"

namespace kelta {

// Writes the picture under fileName; for a GIF the picture is first reduced
// to an 8-bit palette with Wu's quantiser. Writes nothing and answers false
// for an empty buffer, an extension FreeImage does not write, or a failure.
bool WriteImageFile(const TFastDIB& dib, const std::string& fileName, bool gif);

// The bytes WriteImageFile would write, for callers that write files their
// own way; empty where WriteImageFile would answer false.
std::string EncodeImageFile(const TFastDIB& dib, const std::string& fileName, bool gif);

}  // namespace kelta
