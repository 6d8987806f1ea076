#pragma once
// Scaling of one 24-bit buffer into another, in 16.16 fixed point. The caller
// sizes the destination first; both routines fill all of it and do nothing
// when either buffer is empty.

#include "imaging/FastDIB.h"

namespace kelta {

void ResampleBilinear(const TFastDIB& source, TFastDIB& dest);
void ResampleNearest(const TFastDIB& source, TFastDIB& dest);

}  // namespace kelta
