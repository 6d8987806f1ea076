#include "video/ActualSizeWindow.h"

#include <algorithm>
#include <cmath>

namespace kelta {

int LogicalLength(int devicePixels, double ratio) {
  if (devicePixels <= 0) return 0;
  if (!(ratio > 0.0)) return devicePixels;
  // A hair below a whole number is that number: 720 / 1.5 must stay 480.
  return int(std::ceil(double(devicePixels) / ratio - 1e-9));
}

TRect ActualSizeWindowRect(TPictureSize content, const TRect& workArea, const TWindowMargins& decoration) {
  const int roomWidth = std::max(1, workArea.WidthOf() - decoration.Left - decoration.Right);
  const int roomHeight = std::max(1, workArea.HeightOf() - decoration.Top - decoration.Bottom);
  const int width = std::clamp(content.Width, 1, roomWidth);
  const int height = std::clamp(content.Height, 1, roomHeight);
  // The decorated window is centred; the client area sits inside its decoration.
  const int outerWidth = width + decoration.Left + decoration.Right;
  const int outerHeight = height + decoration.Top + decoration.Bottom;
  const int left = workArea.Left + std::max(0, (workArea.WidthOf() - outerWidth) / 2) + decoration.Left;
  const int top = workArea.Top + std::max(0, (workArea.HeightOf() - outerHeight) / 2) + decoration.Top;
  return TRect{left, top, left + width, top + height};
}

}  // namespace kelta
