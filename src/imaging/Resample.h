#pragma once
// Scaling of one 24-bit buffer into another, in 16.16 fixed point. The caller
// sizes the destination first; the routines fill all of it (or the rectangle
// given) and do nothing when either buffer is empty.

#include "imaging/FastDIB.h"

namespace kelta {

void ResampleBilinear(const TFastDIB& source, TFastDIB& dest);
void ResampleNearest(const TFastDIB& source, TFastDIB& dest);

// The same into one rectangle of dest (picture coordinates, clipped to dest),
// leaving the rest of it as it is: a picture drawn with bars beside it costs
// no more than the picture.
void ResampleBilinearInto(const TFastDIB& source, TFastDIB& dest, const TRect& area);
void ResampleNearestInto(const TFastDIB& source, TFastDIB& dest, const TRect& area);

}  // namespace kelta
