#pragma once
// Finds the cuts of a video from its decoded pictures. Each picture is
// reduced to the mean colour of the blocks of a coarse grid; two pictures
// differ by the mean distance of their blocks. A cut is a difference that
// stands far above the differences around it: a fade or a pan changes every
// picture a little, one after another, and stays below; a cut changes one
// picture a lot between quiet neighbours.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "codec/FrameView.h"

namespace kelta {

inline constexpr int SketchColumns = 32;
inline constexpr int SketchRows = 18;

using TFrameSketch = std::array<float, SketchColumns * SketchRows * 3>;

// The picture's blocks' mean blue, green and red.
TFrameSketch SketchFrame(const FrameView& frame);
// 0 (alike) to 255: the mean difference of the blocks' channels.
double SketchDifference(const TFrameSketch& a, const TFrameSketch& b);

struct TSceneCut {
  std::int64_t Frame = 0;  // the first picture after the cut
  double Score = 0;        // its difference to the one before
};

// The cuts, given for each picture (from 0) its difference to the one
// before (the first picture's is not read).
std::vector<TSceneCut> FindSceneCuts(std::span<const double> differences);

}  // namespace kelta
