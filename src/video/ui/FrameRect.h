#pragma once
// TFrameRect: one cell of the frame bar's strip of eight thumbnails.

#include <cstdint>
#include <functional>

#include "imaging/FastDIB.h"
#include "imaging/PixelScale.h"

namespace kelta {

class TFrameRect {
 public:
  COLORREF FrameColor = 0xC5C5C5;
  // Where the cell lies in the bar, in the bar's own (logical) pixels.
  TRect Rect;
  // Where it is painted in the bar's buffer, in the screen's pixels.
  TRect DeviceRect;
  // Byte position of the cell's frame, as the decoder reported it right after
  // seeking there.
  std::int64_t Position = 0;
  bool Pressed = false;
  bool Selected = false;
  std::function<void(TFrameRect* sender)> OnClick;
  // The cell's picture in the screen's pixels, two line widths inside the
  // cell on every side (4 pixels narrower and lower at scale 1).
  TFastDIB Thumb;

  // Places the cell. The thumbnail keeps its pixels when its size is
  // unchanged; a new scale resamples the picture it has.
  void SetRect(const TRect& rect, TPixelScale scale = {});
  // Outline, fill (blue when pressed or selected), grey edge lines and the
  // thumbnail, at DeviceRect and lines of the scale's width.
  void Draw(TFastDIB& target, TPixelScale scale = {});
  void Click();
  bool Contains(int x, int y) const;
};

}  // namespace kelta
