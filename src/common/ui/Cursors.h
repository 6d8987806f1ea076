#pragma once
// Kelta's own mouse cursors, numbered as the windows ask for them:
// 250 plain arrow, 251 arrow with a small dashed selection rectangle, 252 arrow
// with a four-way move cross, 253 thin cross-hair, 254 and 255 diagonal double
// arrows (top-left to bottom-right, top-right to bottom-left), 256 plain arrow
// with its hot spot at (2, 2). They are drawn in code on 32 x 32 pixmaps.

#include <QCursor>

namespace kelta {

constexpr int FirstKeltaCursor = 250;
constexpr int LastKeltaCursor = 256;

// Makes the cursors once; later calls do nothing. Needs a GUI application.
void RegisterCursors();

// The cursor of that number (registering first when needed); numbers outside
// 250 .. 256 give the plain arrow.
QCursor KeltaCursor(int number);

}  // namespace kelta
