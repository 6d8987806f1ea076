#include "library/AspectChoice.h"

#include <cmath>

namespace kelta {

namespace {

bool SameShape(double ratio, double shape) { return std::abs(ratio / shape - 1.0) <= 0.01; }

}  // namespace

TAspectRatio MatchingAspectChoice(std::int32_t width, std::int32_t height, TDisplayAspect aspect) {
  if (!aspect.Known()) return TAspectRatio::Ratio16x9;
  const double ratio = aspect.Ratio();
  if (SameShape(ratio, 4.0 / 3.0)) return TAspectRatio::Ratio4x3;
  if (SameShape(ratio, 16.0 / 9.0)) return TAspectRatio::Ratio16x9;
  if (width > 0 && height > 0 && SameShape(ratio, double(width) / double(height))) return TAspectRatio::AsCaptured;
  return TAspectRatio::SquarePixels;
}

}  // namespace kelta
