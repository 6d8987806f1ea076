#pragma once
// Frames near a frame, decoded as they are, for what is judged over several
// frames: black bars are bars only where they stay black while the scene
// moves.

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/FastDIB.h"

namespace kelta {

class TMPEG2Decoder;

// Half a second and a second either way at `rate` frames a second: far
// enough apart for a scene to have moved, near enough to be the same film
// between the same bars.
std::vector<std::int64_t> BarJudgingOffsets(double rate);

// Frames `offsets` away from frame `number` (in display order), decoded as
// they are at width x height; offsets outside the video's `count` frames, and
// frames that cannot be reached, are left out. The decoder is left having
// returned frame `number` again, so that a still of it or the next step is
// what it would have been. Nothing without frame navigation.
std::vector<TFastDIB> DecodeFramesNear(TMPEG2Decoder& decoder, std::int64_t number, std::int64_t count,
                                       std::span<const std::int64_t> offsets, std::int32_t width, std::int32_t height);

}  // namespace kelta
