#pragma once
// Resizing a picture: every resize resamples bilinearly from the image as
// loaded, so repeated resizes never compound their blur; and the "Constrain"
// arithmetic that keeps the proportions of the image shown.

#include <cstdint>

#include "editing/ImageDocument.h"

namespace kelta {

// numerator / denominator rounded to the nearest integer, an exact half to the
// even neighbour; computed exactly in integers. denominator must not be 0.
std::int64_t RoundHalfEven(std::int64_t numerator, std::int64_t denominator);

// The side that keeps a picture's proportions: value × other / side, rounded
// half to even. A picture without a size gives 0.
std::int32_t ConstrainedSide(std::int32_t value, std::int32_t other, std::int32_t side);

class TResizeEditor {
 public:
  explicit TResizeEditor(TImageDocument& document) : Document_(document) {}

  // False when (width, height) is the work image's size already. A size the
  // pixel buffer refuses leaves an empty work image; Revert brings it back.
  bool Resize(std::int32_t width, std::int32_t height);
  // False when the work image has the loaded size already (nothing to do).
  bool Revert();

 private:
  TImageDocument& Document_;
};

}  // namespace kelta
