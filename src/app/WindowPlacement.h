#pragma once
// Where the main window goes: centred on the work area at start, and kept
// inside it while it is dragged. Work-area sizes are measured from the
// screen origin.

#include "imaging/FastDIB.h"

namespace kelta {

// X = (work width - window width) / 2, Y likewise, as signed halves: a window
// larger than the work area overhangs both edges.
TPoint CenteredPosition(int workWidth, int workHeight, int windowWidth, int windowHeight);

// The proposed window rectangle of a move, pulled back inside the work area
// edge by edge (left, right, top, bottom, in that order).
TRect ClampMovedRect(TRect proposed, int workWidth, int workHeight);

}  // namespace kelta
