#pragma once
// TFrameRect: one cell of the frame bar's strip of eight thumbnails.

#include <cstdint>
#include <functional>

#include "imaging/FastDIB.h"

namespace kelta {

class TFrameRect {
 public:
  COLORREF FrameColor = 0xC5C5C5;
  TRect Rect;
  // Byte position of the cell's frame, as the decoder reported it right after
  // seeking there.
  std::int64_t Position = 0;
  bool Pressed = false;
  bool Selected = false;
  std::function<void(TFrameRect* sender)> OnClick;
  // The cell's picture, 4 pixels narrower and lower than the cell.
  TFastDIB Thumb;

  // Places the cell; the thumbnail keeps its pixels when its size is unchanged.
  void SetRect(const TRect& rect);
  // Outline, fill (blue when pressed or selected), grey edge lines and the
  // thumbnail at (Left + 2, Top + 2).
  void Draw(TFastDIB& target);
  void Click();
  bool Contains(int x, int y) const;
};

}  // namespace kelta
