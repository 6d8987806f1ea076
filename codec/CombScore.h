#pragma once
// How combed the frame woven from two fields looks: the teeth that a moving
// edge leaves when its two fields were taken at different moments. A row
// pixel combs when it lies beyond both rows of the other field around it,
// well past what a sharp but still edge gives (the rows two above and below,
// of its own field, lie close to it), and the pixel below it lies beyond its
// own neighbours the other way: a thin line of one row is no comb. Such pixels are counted in blocks of
// 16 x 16; one block with many of them makes the frame combed, so that a
// small moving thing counts as much as a pan.

#include "FFmpegPtr.h"

namespace kelta::codec {

// The most combed pixels in any 16 x 16 luma block of the frame whose even
// rows come from `evenRows` and odd rows from `oddRows` (both the same size).
int CombScore(const AVFrame* evenRows, const AVFrame* oddRows);

// A score above this is a frame that shows combs (of the 256 pixels of a
// block): a moving edge three pixels wide down a whole block.
constexpr int CombedBlockPixels = 48;
// The same where the frame is coded interlaced and combs are to be
// expected: an edge moving a pixel is enough, since motion-adaptive
// deinterlacing leaves what does not move as it is.
constexpr int CombedInterlacedBlockPixels = 16;

inline bool Combed(int score, int limit = CombedBlockPixels) { return score > limit; }

}  // namespace kelta::codec
