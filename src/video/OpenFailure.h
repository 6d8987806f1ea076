#pragma once
// Why a file that the decoder refused cannot be opened, in words a person can
// act on: it cannot be read, it is empty, it is a container or file of a kind
// Kelta does not read (named), it is no MPEG video at all, it holds no video
// stream, or its video is damaged beyond use. The decoder says only yes or
// no; this looks at the file's first bytes to tell the cases apart.

#include <string>

namespace kelta {

// "It cannot be read: <reason>", "The file is empty", "It is a Matroska or
// WebM file. Kelta opens …", "It is not an MPEG video. Kelta opens …", "It
// holds no video stream, only sound or data" or "It is damaged beyond use",
// to follow a sentence that names the file.
std::string WhyVideoCannotOpen(const std::string& path);

}  // namespace kelta
