#pragma once
// Comparing two frames in the plugin's layout pixel by pixel, row padding
// aside, for tests that see the plugin as the program does (without the
// program's picture classes). When they differ, both are written as bitmaps
// where failed pictures go (FailedPictures.h) and the paths printed.

#include <string>

#include "codec/FrameView.h"

namespace kelta::test {

bool SameFrame(const FrameView& expected, const FrameView& actual, const std::string& what = "frame");

}  // namespace kelta::test
