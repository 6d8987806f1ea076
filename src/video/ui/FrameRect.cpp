#include "video/ui/FrameRect.h"

namespace kelta {

void TFrameRect::SetRect(const TRect& rect) {
  Rect = rect;
  Thumb.SetSize(rect.Right - rect.Left - 4, rect.Bottom - rect.Top - 4, 24);
}

void TFrameRect::Draw(TFastDIB& target) {
  const COLORREF fill = (Pressed || Selected) ? COLORREF(0xFF0000) : COLORREF(0xFFFFFF);
  target.SelectBrush(TBrushStyle::Solid, 0, fill);
  target.SelectPen(TPenStyle::Solid, 1, FrameColor);
  target.Rectangle(Rect);
  target.SelectPen(TPenStyle::Solid, 1, 0xCECECE);
  target.MoveTo(Rect.Left, Rect.Bottom);
  target.LineTo(Rect.Right, Rect.Bottom);
  target.MoveTo(Rect.Right, Rect.Top);
  target.LineTo(Rect.Right, Rect.Bottom);
  if (!Thumb.Empty()) Thumb.Draw(target, Rect.Left + 2, Rect.Top + 2);
}

void TFrameRect::Click() {
  if (OnClick) OnClick(this);
}

bool TFrameRect::Contains(int x, int y) const {
  return x >= Rect.Left && x < Rect.Right && y >= Rect.Top && y < Rect.Bottom;
}

}  // namespace kelta
