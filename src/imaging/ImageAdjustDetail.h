#pragma once
// Internal: the fused adjustments without their vector kernel, so that tests
// can hold both paths to the same pixels.

#include <cstdint>

#include "imaging/FastDIB.h"

namespace kelta::detail {

void ApplyAdjustmentsPortable(TFastDIB& dib, std::int32_t lightness, std::int32_t contrast,
                              std::int32_t saturation, std::int32_t red, std::int32_t green,
                              std::int32_t blue);

}  // namespace kelta::detail
