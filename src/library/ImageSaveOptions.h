#pragma once
// What the save image dialog decides about a captured frame: its shape and
// the part of it kept, the colour adjustments applied before it is stored,
// and its name and memo.

#include <cstdint>
#include <string>

#include "imaging/FastDIB.h"

namespace kelta {

// The library file records none of these: a stored picture's shape is its
// pixel size, so a new choice changes nothing an older program reads.
enum class TAspectRatio : std::int32_t {
  AsCaptured = 0,
  Ratio4x3 = 1,      // stretched to width × 3/4
  Ratio16x9 = 2,     // stretched to width × 9/16
  Ratio185 = 3,      // 1.85:1, the middle band of the frame, unscaled
  SquarePixels = 4,  // resampled to the frame's display aspect at its height
  // As SquarePixels, with the aspect given to the middle 704 of 720 columns
  // (see ItuFrameAspect): every column kept in the ITU pixel shape.
  SquarePixelsItu = 5,
};

struct TImageSaveOptions {
  TAspectRatio AspectRatio = TAspectRatio::AsCaptured;
  // The part of the frame stored (its black bars cut off), in picture
  // coordinates; empty: the whole frame. The aspect choice shapes that part
  // as it would shape the whole frame.
  TRect Kept;
  std::int32_t Lightness = 0;     // -255 .. 255
  std::int32_t Contrast = 0;      // -128 .. 128
  std::int32_t Saturation = 255;  // 0 .. 510, 255 leaves colours as they are
  std::int32_t Red = 0;           // -255 .. 255, added to the channel
  std::int32_t Green = 0;
  std::int32_t Blue = 0;
  std::u16string Name;
  std::u16string Memo;
};

}  // namespace kelta
