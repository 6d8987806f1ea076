#pragma once
// Small synthetic pictures for the editing tests: every pixel tells where it
// came from, so a cut or a copy can be checked pixel by pixel.

#include <cstdint>

#include "imaging/FastDIB.h"
#include "support/SamePixels.h"

namespace kelta::testing {

inline TBGRColor PatternPixel(int x, int y) {
  return {std::uint8_t(x), std::uint8_t(y), std::uint8_t((x * 7 + y * 13) & 0xFF)};
}

inline void FillPattern(TFastDIB& dib, int width, int height) {
  dib.SetSize(width, height, 24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const TBGRColor c = PatternPixel(x, y);
      std::uint8_t* p = dib.PixelPtr(x, y);
      p[0] = c.Blue;
      p[1] = c.Green;
      p[2] = c.Red;
    }
}

inline TBGRColor PixelXY(const TFastDIB& dib, int x, int y) {
  const std::uint8_t* p = dib.PixelPtr(x, y);
  return {p[0], p[1], p[2]};
}

using test::SamePixels;

}  // namespace kelta::testing
