#pragma once
// A frame with a film inside black bars: black with the few levels of noise
// decoded bars carry, and a scene of random colours inside `picture`.

#include <cstdint>
#include <random>

#include "imaging/FastDIB.h"

namespace kelta::test {

inline TFastDIB LetterboxedFrame(TRect picture, std::uint32_t seed, int width = 720, int height = 576) {
  TFastDIB frame;
  frame.SetSize(width, height, 24);
  std::mt19937 random(seed);
  for (int y = 0; y < frame.RowCount(); ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = frame.PixelPtr(x, y);
      const bool inside = x >= picture.Left && x < picture.Right && y >= picture.Top && y < picture.Bottom;
      for (int c = 0; c < 3; ++c) p[c] = std::uint8_t(inside ? 30 + random() % 200 : random() % 5);
    }
  return frame;
}

}  // namespace kelta::test
