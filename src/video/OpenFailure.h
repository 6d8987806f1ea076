#pragma once
// Why a file that the decoder refused cannot be opened, in words a person can
// act on: it cannot be read, it is empty, it is no MPEG video at all, it holds
// no video stream, or its video is damaged beyond use. The decoder says only
// yes or no; this looks at the file's first bytes to tell the cases apart.

#include <string>

namespace kelta {

// "It cannot be read: <reason>", "The file is empty", "It is not an MPEG
// video", "It holds no video stream" or "It is damaged beyond use", to follow
// a sentence that names the file.
std::string WhyVideoCannotOpen(const std::string& path);

}  // namespace kelta
