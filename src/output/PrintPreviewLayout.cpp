#include "output/PrintPreviewLayout.h"

#include <cmath>

namespace kelta {

int TPreviewLayout::ShownPageWidth() const { return std::max(1, int(std::lround(PageWidth * Zoom_))); }

int TPreviewLayout::ShownPageHeight() const { return std::max(1, int(std::lround(PageHeight * Zoom_))); }

double TPreviewLayout::FitPageZoom() const {
  if (PageWidth <= 0 || PageHeight <= 0) return 1.0;
  // The whole page fits: no scroll bar takes room.
  const double across = double(OuterWidth - 2 * Gap) / PageWidth;
  const double down = double(OuterHeight - 2 * Gap) / PageHeight;
  return std::clamp(std::min(across, down), MinZoom, MaxZoom);
}

double TPreviewLayout::FitWidthZoom() const {
  if (PageWidth <= 0) return 1.0;
  // A page taller than the panel brings the vertical bar, which takes width.
  return std::clamp(double(OuterWidth - BarExtent - 2 * Gap) / PageWidth, MinZoom, MaxZoom);
}

void TPreviewLayout::LayoutOnce() {
  const int pw = ShownPageWidth(), ph = ShownPageHeight();
  if (PageCount <= 0) {
    SelectedPage = -1;
    HorzPos = VertPos = 0;
    HorzMax_ = VertMax_ = 0;
    HorzBarShown = VertBarShown = false;
    Columns_ = 1;
    Rows_ = 0;
    LeftOffset_ = 0;
    return;
  }
  Columns_ = 1;
  int room = ClientWidth() - (pw + 2 * Gap);
  // No more columns than pages: a small page stays centred rather than left.
  while (room > pw + Gap && Columns_ < PageCount) {
    ++Columns_;
    room -= pw + Gap;
  }
  Rows_ = (PageCount + Columns_ - 1) / Columns_;

  HorzBarShown = GridWidth() > ClientWidth();
  if (!HorzBarShown) HorzPos = 0;
  VertBarShown = GridHeight() > ClientHeight();
  if (!VertBarShown) VertPos = 0;

  const int cw = ClientWidth(), ch = ClientHeight();
  LeftOffset_ = std::max(0, (cw - GridWidth()) / 2);
  HorzMax_ = std::max(0, GridWidth() - cw);
  VertMax_ = std::max(0, GridHeight() - ch);
  // Bring the last clicked point to the middle of the view where possible.
  const int hotX = int(std::lround(HotX_ * Zoom_)), hotY = int(std::lround(HotY_ * Zoom_));
  if (HorzBarShown)
    HorzPos = std::max(0, std::min(HorzMax_, (pw + Gap) * (HotPage_ % Columns_) + hotX - cw / 2 + Gap));
  if (VertBarShown)
    VertPos = std::max(0, std::min(VertMax_, (ph + Gap) * (HotPage_ / Columns_) + hotY - ch / 2 + Gap));
}

void TPreviewLayout::Layout() {
  // A shown or hidden bar resizes the client area, which lays out again; three
  // rounds always settle (each bar can only follow the other once).
  for (int round = 0; round < 3; ++round) {
    const bool h = HorzBarShown, v = VertBarShown;
    LayoutOnce();
    if (h == HorzBarShown && v == VertBarShown) break;
  }
}

TPreviewRect TPreviewLayout::PageRect(int index) const {
  const int pw = ShownPageWidth(), ph = ShownPageHeight();
  return {(index % Columns_) * (pw + Gap) + LeftOffset_ - HorzPos + Gap,
          (index / Columns_) * (ph + Gap) - VertPos + Gap, pw, ph};
}

bool TPreviewLayout::HitTest(int x, int y) {
  const int pw = ShownPageWidth(), ph = ShownPageHeight();
  const int xs = x + HorzPos - LeftOffset_, ys = y + VertPos;
  if (xs < 0 || ys < 0) {
    HotPage_ = HotX_ = HotY_ = -1;
    return false;
  }
  const int cell = xs / (pw + Gap) + (ys / (ph + Gap)) * Columns_;
  const int px = xs % (pw + Gap) - Gap, py = ys % (ph + Gap) - Gap;
  // A point beside the last page of a short row lies in no page.
  if (px >= 0 && px < pw && py >= 0 && py < ph && xs / (pw + Gap) < Columns_ && cell < PageCount) {
    HotPage_ = cell;
    HotX_ = int(px / Zoom_);
    HotY_ = int(py / Zoom_);
    SelectedPage = cell;
    return true;
  }
  HotPage_ = HotX_ = HotY_ = -1;
  return false;
}

}  // namespace kelta
