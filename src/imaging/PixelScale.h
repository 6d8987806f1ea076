#pragma once
// TPixelScale: maps a widget's logical coordinates onto the device pixels of
// a screen scaled by `Ratio`, for widgets that paint their own buffers. Edges
// are rounded one by one, so neighbouring boxes share their edges and lines
// stay whole device pixels wide at 1.25 or 1.5 instead of being resampled.

#include <algorithm>
#include <cmath>

#include "imaging/FastDIB.h"

namespace kelta {

struct TPixelScale {
  double Ratio = 1.0;

  int At(int logical) const { return int(std::lround(logical * Ratio)); }
  TRect Of(const TRect& logical) const {
    return TRect{At(logical.Left), At(logical.Top), At(logical.Right), At(logical.Bottom)};
  }
  // Device pixels of a line one logical pixel wide: as even as the ratio lets
  // it be, never thinner than one.
  int Line() const { return std::max(1, int(std::lround(Ratio))); }
};

}  // namespace kelta
