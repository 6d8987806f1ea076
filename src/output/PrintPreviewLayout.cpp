#include "output/PrintPreviewLayout.h"

#include <cmath>

namespace kelta {

int TPreviewLayout::ShownPageWidth() const { return std::max(1, int(std::lround(PageWidth * Zoom))); }

int TPreviewLayout::ShownPageHeight() const { return std::max(1, int(std::lround(PageHeight * Zoom))); }

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
    HorzMax = VertMax = 0;
    HorzBarShown = VertBarShown = false;
    Columns = 1;
    Rows = 0;
    LeftOffset = 0;
    return;
  }
  Columns = 1;
  int room = ClientWidth() - (pw + 2 * Gap);
  // No more columns than pages: a small page stays centred rather than left.
  while (room > pw + Gap && Columns < PageCount) {
    ++Columns;
    room -= pw + Gap;
  }
  Rows = (PageCount + Columns - 1) / Columns;

  HorzBarShown = GridWidth() > ClientWidth();
  if (!HorzBarShown) HorzPos = 0;
  VertBarShown = GridHeight() > ClientHeight();
  if (!VertBarShown) VertPos = 0;

  const int cw = ClientWidth(), ch = ClientHeight();
  LeftOffset = std::max(0, (cw - GridWidth()) / 2);
  HorzMax = std::max(0, GridWidth() - cw);
  VertMax = std::max(0, GridHeight() - ch);
  // Bring the last clicked point to the middle of the view where possible.
  const int hotX = int(std::lround(HotX * Zoom)), hotY = int(std::lround(HotY * Zoom));
  if (HorzBarShown)
    HorzPos = std::max(0, std::min(HorzMax, (pw + Gap) * (HotPage % Columns) + hotX - cw / 2 + Gap));
  if (VertBarShown)
    VertPos = std::max(0, std::min(VertMax, (ph + Gap) * (HotPage / Columns) + hotY - ch / 2 + Gap));
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
  return {(index % Columns) * (pw + Gap) + LeftOffset - HorzPos + Gap,
          (index / Columns) * (ph + Gap) - VertPos + Gap, pw, ph};
}

bool TPreviewLayout::HitTest(int x, int y) {
  const int pw = ShownPageWidth(), ph = ShownPageHeight();
  const int xs = x + HorzPos - LeftOffset, ys = y + VertPos;
  if (xs < 0 || ys < 0) {
    HotPage = HotX = HotY = -1;
    return false;
  }
  const int cell = xs / (pw + Gap) + (ys / (ph + Gap)) * Columns;
  const int px = xs % (pw + Gap) - Gap, py = ys % (ph + Gap) - Gap;
  // A point beside the last page of a short row lies in no page.
  if (px >= 0 && px < pw && py >= 0 && py < ph && xs / (pw + Gap) < Columns && cell < PageCount) {
    HotPage = cell;
    HotX = int(px / Zoom);
    HotY = int(py / Zoom);
    SelectedPage = cell;
    return true;
  }
  HotPage = HotX = HotY = -1;
  return false;
}

}  // namespace kelta
