#pragma once
// A DVD subtitle drawn onto a frame: the picture the decoder plugin gives
// for the frame on screen, laid over it where the disc places it. The frame
// bar draws it over every frame it shows, after the still is made, so that
// what is seen, saved, copied or exported holds the line of dialogue too.

#include <cstdint>
#include <vector>

#include "imaging/FastDIB.h"

namespace kelta {

// A subtitle's picture: its box in the frame (counted from the top left) and
// 4 bytes a pixel inside it, blue, green, red and opacity (0 to 255, the
// colours not multiplied by it), top row first.
struct TSubtitleImage {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<std::uint8_t> Pixels;
  bool Empty() const { return Width <= 0 || Height <= 0 || Pixels.size() < std::size_t(Width) * std::size_t(Height) * 4; }
};

// Lays the subtitle over a 24-bit frame, clipped to it: every pixel becomes
// the rounded mix (colour x opacity + picture x (255 - opacity)) / 255, so an
// opaque pixel is the colour exactly and a clear one leaves the picture as
// it was. Frames of another depth and empty subtitles are left alone.
void DrawSubtitle(const TSubtitleImage& subtitle, TFastDIB& frame);

}  // namespace kelta
