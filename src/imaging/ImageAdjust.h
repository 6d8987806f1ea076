#pragma once
// The four colour adjustments of a saved frame (lightness, contrast,
// saturation, colour shift) in one pass over the pixels, with exactly the
// result of AdjustLightness, AdjustContrast, AdjustSaturation and ShiftColors
// applied in that order. The save dialog's live preview and the image store
// use it.

#include <cstdint>

#include "imaging/FastDIB.h"

namespace kelta {

// lightness -255 .. 255 (0 neutral), contrast -128 .. 255 (0 neutral),
// saturation 0 .. 510 (255 neutral), red/green/blue any offset (0 neutral).
// Nothing is touched when every value is neutral.
void ApplyAdjustments(TFastDIB& dib, std::int32_t lightness, std::int32_t contrast,
                      std::int32_t saturation, std::int32_t red, std::int32_t green,
                      std::int32_t blue);

}  // namespace kelta
