#include "video/ui/FrameRect.h"

#include <utility>

#include "imaging/Resample.h"

namespace kelta {

namespace {
void FillBox(TFastDIB& target, const TRect& box, COLORREF colour) {
  target.SelectBrush(TBrushStyle::Solid, 0, colour);
  target.FillRect(box);
}
}  // namespace

void TFrameRect::SetRect(const TRect& rect, TPixelScale scale) {
  Rect = rect;
  DeviceRect = scale.Of(rect);
  const int inset = 2 * scale.Line();
  const int width = DeviceRect.WidthOf() - 2 * inset;
  const int height = DeviceRect.HeightOf() - 2 * inset;
  if (Thumb.Width() == width && Thumb.RowCount() == height) return;
  TFastDIB previous = std::move(Thumb);
  Thumb = TFastDIB();
  Thumb.SetSize(width, height, 24);
  if (Thumb.Empty()) return;
  Thumb.Fill(TBGRColor{0, 0, 0});
  // On another screen's scale the cell shows what it showed until the next
  // open makes its picture at the new size.
  if (!previous.Empty()) ResampleBilinearInto(previous, Thumb, TRect{0, 0, width, height});
}

void TFrameRect::Draw(TFastDIB& target, TPixelScale scale) {
  const int line = scale.Line();
  const TRect& d = DeviceRect;
  const COLORREF fill = (Pressed || Selected) ? COLORREF(0xFF0000) : COLORREF(0xFFFFFF);
  FillBox(target, d, FrameColor);
  FillBox(target, TRect{d.Left + line, d.Top + line, d.Right - line, d.Bottom - line}, fill);
  // The grey edge just outside the bottom and the right.
  FillBox(target, TRect{d.Left, d.Bottom, d.Right, d.Bottom + line}, 0xCECECE);
  FillBox(target, TRect{d.Right, d.Top, d.Right + line, d.Bottom}, 0xCECECE);
  if (!Thumb.Empty()) Thumb.Draw(target, d.Left + 2 * line, d.Top + 2 * line);
}

void TFrameRect::Click() {
  if (OnClick) OnClick(this);
}

bool TFrameRect::Contains(int x, int y) const {
  return x >= Rect.Left && x < Rect.Right && y >= Rect.Top && y < Rect.Bottom;
}

}  // namespace kelta
