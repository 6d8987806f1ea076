#pragma once
// Why a file that the decoder refused cannot be opened, in words a person can
// act on: it cannot be read, it is empty, it is a container or file of a kind
// Kelta does not read (named), it is no video Kelta reads at all, it holds no
// video stream, its video is coded in a way Kelta does not decode (named), or
// it is damaged beyond use. A newer decoder says which of these it found; the
// file's first bytes tell the rest apart.

#include <string>

#include "codec/CodecApi.h"

namespace kelta {

// "It cannot be read: <reason>", "The file is empty", "It is an AVI file.
// Kelta opens …", "It is not a video Kelta reads. Kelta opens …", "It holds
// no video stream, only sound or data" or "It is damaged beyond use",
// to follow a sentence that names the file.
std::string WhyVideoCannotOpen(const std::string& path);

// The same with what the decoder said (getOpenFailure): its codec, picture
// format and lack of video first, the file's bytes for the rest.
std::string WhyVideoCannotOpen(const std::string& path, KeltaCodecOpenFailure failure, const std::string& detail);

}  // namespace kelta
