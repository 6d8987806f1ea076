#pragma once
// FFmpeg's own filters over decoded pictures, as the references a
// deinterlacer is held against: "bwdif=mode=send_frame", "yadif" and the like.

#include <string>
#include <vector>

#include "codec/FFmpegPtr.h"

namespace kelta::bench {

// Runs the pictures in order through the filter chain `description`
// (libavfilter syntax) and returns what comes out, all of it once the input
// ends. Aborts when the chain cannot be built: benchmarks name their own.
std::vector<codec::FramePtr> RunFilter(const std::vector<codec::FramePtr>& pictures, const std::string& description);

}  // namespace kelta::bench
