#pragma once
// Black bars inside a video frame: a film wider than the frame (2.35:1 in a
// 16:9 frame) sits between black rows above and below it, a narrower one (4:3
// in a 16:9 frame) between black columns, and many DVD frames carry a few
// black columns either side of the 704 that hold the picture. The bars are
// judged over the frame and frames near it, so that a dark scene is not
// taken for a bar.

#include <span>

#include "imaging/FastDIB.h"

namespace kelta {

// The part of the frame inside its black bars, in picture coordinates (y
// down from the top row); the whole frame when it has none. frames[0] is the
// frame, the others frames near it; those of another size are left out.
//
// A row (a column) is bar when, in every frame, none of its pixels has a luma
// above 32 of 255 and its darkest and lightest pixels lie within 12 of each
// other: a bar is uniformly black, a dark scene has texture and, over a few
// frames, movement. Bars grow inward from the edges. A bar is at least 4
// lines and 1 % of the side; shorter ones are none. Bars on opposite sides
// are cut only as a pair that matches within 4 lines or an eighth of the
// larger one (a film is centred, a dark part of a scene seldom is), and only
// when at least 40 % of the side remains between them (a fade to black or a
// title on black is no letterboxed film). Columns are judged over the rows
// between the top and bottom bars, so a film framed both ways loses both.
// Nothing is cut unless the picture then reaches every edge of what is kept.
TRect AreaInsideBlackBars(std::span<const TFastDIB* const> frames);

}  // namespace kelta
