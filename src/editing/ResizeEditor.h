#pragma once
// Resizing a picture: every resize resamples bilinearly from the image as
// loaded, so repeated resizes never compound their blur; and the "Constrain"
// arithmetic that keeps the proportions of the image shown.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "editing/ImageDocument.h"

namespace kelta {

// numerator / denominator rounded to the nearest integer, an exact half to the
// even neighbour; computed exactly in integers. denominator must not be 0.
std::int64_t RoundHalfEven(std::int64_t numerator, std::int64_t denominator);

// The side that keeps a picture's proportions: value × other / side, rounded
// half to even. A picture without a size gives 0.
std::int32_t ConstrainedSide(std::int32_t value, std::int32_t other, std::int32_t side);

// The sizes a picture may be resized to: each side 1 .. 32767 pixels, and at
// most 100 million pixels in all (300 MB at 24 bits), so that the picture,
// the copy it is resampled from and an export of it fit in memory.
constexpr std::int32_t MaxResizeSide = 32767;
constexpr std::int64_t MaxResizePixels = 100'000'000;

// Why a picture cannot be made at that size, as a sentence for the user;
// empty when it can.
std::string ResizeSizeProblem(std::int64_t width, std::int64_t height);

// A size that cannot be made; what() says why.
class EResizeRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TResizeEditor {
 public:
  explicit TResizeEditor(TImageDocument& document) : Document_(document) {}

  // False when (width, height) is the work image's size already. Throws
  // EResizeRefused for a size outside the limits, or one whose memory cannot
  // be had (the loaded picture is then shown again); never leaves an empty
  // picture.
  bool Resize(std::int32_t width, std::int32_t height);
  // False when the work image has the loaded size already (nothing to do).
  bool Revert();

 private:
  TImageDocument& Document_;
};

}  // namespace kelta
