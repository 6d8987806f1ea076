#pragma once
// The decoded pictures of a file's first video stream, as FFmpeg hands them
// out (planes, flags, colour signalling), for tests and benchmarks that feed
// the plugin's converter with real frames.

#include <string>
#include <vector>

#include "codec/FFmpegPtr.h"

namespace kelta::test {

// Up to `limit` pictures from the start; throws std::runtime_error when the
// file has no decodable video.
std::vector<codec::FramePtr> DecodePictures(const std::string& path, int limit);

}  // namespace kelta::test
