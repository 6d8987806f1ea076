#include "editing/CropEditor.h"

#include <utility>

namespace kelta {

bool IsEmptyRect(const TRect& rect) { return rect.Right <= rect.Left || rect.Bottom <= rect.Top; }

bool PtInRect(const TRect& rect, TPoint point) {
  return point.X >= rect.Left && point.X < rect.Right && point.Y >= rect.Top && point.Y < rect.Bottom;
}

TCropEditor::TCropEditor(TImageDocument& document) : Document_(document) {}

TRect TCropEditor::OutlineRect() const {
  // While a selection is being drawn its corners may lie either way round.
  TRect r = CropRect;
  if (r.Right < r.Left) std::swap(r.Left, r.Right);
  if (r.Bottom < r.Top) std::swap(r.Top, r.Bottom);
  return r;
}

void TCropEditor::PlaceHandles(const TRect& rect) {
  const int cw = ClientWidth(), ch = ClientHeight(), s = CropHandleSize;
  const auto leftX = [&](int l) { return l == 0 ? std::pair{0, s} : std::pair{l - s, l}; };
  const auto rightX = [&](int r) { return r == cw ? std::pair{r - s, r} : std::pair{r, r + s}; };
  const auto [x0a, x0b] = leftX(rect.Left);
  const auto [y0a, y0b] = leftX(rect.Top);
  const auto [x1a, x1b] = rightX(rect.Right);
  const int yb = rect.Bottom;
  const auto [y2a, y2b] = yb == ch ? std::pair{yb - s, yb} : std::pair{yb, yb + s};
  HandleRects[0] = {x0a, y0a, x0b, y0b};
  HandleRects[1] = {x1a, y0a, x1b, y0b};
  HandleRects[2] = {x1a, y2a, x1b, y2b};
  HandleRects[3] = {x0a, y2a, x0b, y2b};
}

int TCropEditor::HandleAt(TPoint point) {
  // Handles exist only around a selection; the squares of an emptied one are gone.
  if (IsEmptyRect(CropRect)) return -1;
  for (int i = 0; i < 4; ++i) {
    if (PtInRect(HandleRects[std::size_t(i)], point)) {
      ActiveHandle = std::uint8_t(i);
      return i;
    }
  }
  return -1;
}

void TCropEditor::Normalize() {
  if (CropRect.Right < CropRect.Left) std::swap(CropRect.Left, CropRect.Right);
  if (CropRect.Bottom < CropRect.Top) std::swap(CropRect.Top, CropRect.Bottom);
}

void TCropEditor::KeepInside(bool keepSize) {
  const int cw = ClientWidth(), ch = ClientHeight();
  TRect& r = CropRect;
  if (keepSize) {
    const int w = r.WidthOf(), h = r.HeightOf();
    if (r.Left <= 0) { r.Left = 0; r.Right = w; }
    if (r.Top <= 0) { r.Top = 0; r.Bottom = h; }
    if (r.Right >= cw) { r.Right = cw; r.Left = cw - w; }
    if (r.Bottom >= ch) { r.Bottom = ch; r.Top = ch - h; }
    return;
  }
  if (r.Left <= 0) r.Left = 0;
  if (r.Left >= cw) r.Left = cw - 5;
  if (r.Top <= 0) r.Top = 0;
  if (r.Top >= ch) r.Top = ch - 5;
  if (r.Right >= cw) r.Right = cw;
  if (r.Right <= 0) r.Right = 5;
  if (r.Bottom >= ch) r.Bottom = ch;
  if (r.Bottom <= 0) r.Bottom = 5;
}

void TCropEditor::MouseDown(int x, int y) {
  DownPoint = {x, y};
  const bool inside = PtInRect(CropRect, DownPoint);
  if (HandleAt(DownPoint) >= 0) {
    State = TCropState::Sizing;
    const TPoint corner = {ActiveHandle == 0 || ActiveHandle == 3 ? CropRect.Left : CropRect.Right,
                           ActiveHandle <= 1 ? CropRect.Top : CropRect.Bottom};
    GrabOffset_ = {corner.X - x, corner.Y - y};
    return;
  }
  if (inside) {
    State = TCropState::Moving;
    return;
  }
  State = TCropState::Drawing;
  CropRect = {x, y, x, y};
}

int TCropEditor::MouseMove(int x, int y) {
  switch (State) {
    case TCropState::Idle:
      if (HandleAt({x, y}) >= 0) return CursorSizeAll;
      return PtInRect(CropRect, {x, y}) ? CursorCropInside : CursorCropCross;
    case TCropState::Drawing: {
      const int cw = ClientWidth(), ch = ClientHeight();
      if (x >= cw) x = cw; else if (x <= 0) x = 0;
      if (y >= ch) y = ch; else if (y <= 0) y = 0;
      CropRect.Right = x;
      CropRect.Bottom = y;
      return 0;
    }
    case TCropState::Moving: {
      const int dx = x - DownPoint.X, dy = y - DownPoint.Y;
      CropRect = {SavedRect.Left + dx, SavedRect.Top + dy, SavedRect.Right + dx, SavedRect.Bottom + dy};
      KeepInside(true);
      PlaceHandles(CropRect);
      return 0;
    }
    case TCropState::Sizing: {
      CropRect = SavedRect;
      x += GrabOffset_.X;
      y += GrabOffset_.Y;
      switch (ActiveHandle) {
        case 0: CropRect.Left = x; CropRect.Top = y; break;
        case 1: CropRect.Right = x; CropRect.Top = y; break;
        case 2: CropRect.Right = x; CropRect.Bottom = y; break;
        case 3: CropRect.Left = x; CropRect.Bottom = y; break;
        default: break;
      }
      Normalize();
      KeepInside(false);
      PlaceHandles(CropRect);
      return 0;
    }
  }
  return 0;
}

void TCropEditor::MouseUp() {
  if (State == TCropState::Drawing) {
    Normalize();
    if (!IsEmptyRect(CropRect)) PlaceHandles(CropRect);
  }
  SavedRect = CropRect;
  State = TCropState::Idle;
}

bool TCropEditor::Crop() {
  if (IsEmptyRect(CropRect)) return false;
  const int l = CropRect.Left, t = CropRect.Top;
  const int w = CropRect.WidthOf(), h = CropRect.HeightOf();
  CropRect = {};
  TFastDIB& work = Document_.WorkImage;
  work.SetSize(w, h, std::uint8_t(Document_.LoadedImage.BitCount()));
  Source.DrawRegion(work, 0, 0, w, h, l, t);
  CopyImage(work, Source);
  return true;
}

void TCropEditor::Revert() {
  CropRect = {};
  Document_.RevertToLoaded();
  CopyImage(Document_.LoadedImage, Source);
}

void TCropEditor::RefreshSource() { CopyImage(Document_.LoadedImage, Source); }

}  // namespace kelta
