#pragma once
// Internal: the bilinear resampler without its vector kernel, so that tests
// can hold both paths to the same pixels.

#include "imaging/FastDIB.h"

namespace kelta::detail {

void ResampleBilinearPortable(const TFastDIB& source, TFastDIB& dest, const TRect& area);

}  // namespace kelta::detail
