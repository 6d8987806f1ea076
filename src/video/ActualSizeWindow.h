#pragma once
// The size and place of the window that shows a paused frame at 100 %: one
// frame pixel to one device pixel, so at a scale factor of 2 a 720-pixel
// frame needs 360 logical pixels. The window holds the frame whole when the
// screen's work area has room for it, and never reaches off that area.

#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"

namespace kelta {

// What the window system adds around a window's client area, in logical
// pixels.
struct TWindowMargins {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

// The logical length that holds `devicePixels` at `ratio` device pixels to
// one logical pixel, rounded up so that no frame pixel is left out.
int LogicalLength(int devicePixels, double ratio);

// The window's client rectangle in desktop coordinates: `content` (the frame
// at 100 % and the window's own controls, logical pixels), shrunk to what
// `workArea` holds less the `decoration`, and centred on the work area with
// its decoration inside it.
TRect ActualSizeWindowRect(TPictureSize content, const TRect& workArea, const TWindowMargins& decoration);

}  // namespace kelta
