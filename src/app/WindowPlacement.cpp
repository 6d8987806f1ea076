#include "app/WindowPlacement.h"

namespace kelta {

TPoint CenteredPosition(int workWidth, int workHeight, int windowWidth, int windowHeight) {
  return TPoint{(workWidth - windowWidth) / 2, (workHeight - windowHeight) / 2};
}

TRect ClampMovedRect(TRect r, int workWidth, int workHeight) {
  const int w = r.Right - r.Left;
  const int h = r.Bottom - r.Top;
  if (r.Left <= 0) {
    r.Left = 0;
    r.Right = w;
  }
  if (r.Right >= workWidth) {
    r.Left = workWidth - w;
    r.Right = workWidth;
  }
  if (r.Top <= 0) {
    r.Top = 0;
    r.Bottom = h;
  }
  if (r.Top >= workHeight - h) {
    r.Top = workHeight - h;
    r.Bottom = workHeight;
  }
  return r;
}

}  // namespace kelta
