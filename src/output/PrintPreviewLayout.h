#pragma once
// Geometry of the page preview, free of any widget: the page grid (columns
// that fit the client width, rows for the pages), the scroll ranges, the view
// brought to the last clicked point, page rectangles and the hit test. Grid
// sizes are screen pixels: a page is its page pixels times the zoom wide;
// the hot point is kept in page pixels, so it survives a change of zoom.

#include <algorithm>

namespace kelta {

struct TPreviewRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  friend bool operator==(const TPreviewRect&, const TPreviewRect&) = default;
};

class TPreviewLayout {
 public:
  static constexpr int Gap = 30;  // around and between pages
  static constexpr int LineStep = 5;
  static constexpr int PageStep = 20;

  static constexpr double MinZoom = 0.1;
  static constexpr double MaxZoom = 4.0;

  int PageWidth = 816;    // 8.5 x 11 inches at 96 pixels per inch
  int PageHeight = 1056;
  int PageCount = 0;

  // The area inside the panel's border with no scroll bar shown, and the
  // thickness a shown scroll bar takes from it.
  int OuterWidth = 0;
  int OuterHeight = 0;
  int BarExtent = 0;
  bool HorzBarShown = false;
  bool VertBarShown = false;

  int HorzPos = 0, VertPos = 0;
  int SelectedPage = -1;

  // Screen pixels per page pixel; see SetZoom.
  double Zoom() const { return Zoom_; }
  // The grid and the scroll ranges as the last Layout left them.
  int Columns() const { return Columns_; }
  int Rows() const { return Rows_; }
  int HorzMax() const { return HorzMax_; }
  int VertMax() const { return VertMax_; }
  // Last left click: page and point in page pixels; all -1 after a miss.
  int HotPage() const { return HotPage_; }
  int HotX() const { return HotX_; }
  int HotY() const { return HotY_; }

  int ClientWidth() const { return OuterWidth - (VertBarShown ? BarExtent : 0); }
  int ClientHeight() const { return OuterHeight - (HorzBarShown ? BarExtent : 0); }
  // A page's size on the screen at the current zoom.
  int ShownPageWidth() const;
  int ShownPageHeight() const;
  int GridWidth() const { return Columns_ * (ShownPageWidth() + Gap) + Gap; }
  int GridHeight() const { return Rows_ * (ShownPageHeight() + Gap) + Gap; }

  // The zoom at which a whole page, or the page's width, fits the panel.
  double FitPageZoom() const;
  double FitWidthZoom() const;
  // Any zoom within MinZoom .. MaxZoom; lay out again afterwards.
  void SetZoom(double zoom) { Zoom_ = std::clamp(zoom, MinZoom, MaxZoom); }

  // Lays the pages out for the current client size. Showing or hiding a
  // scroll bar changes the client size, which lays out again until stable.
  void Layout();

  TPreviewRect PageRect(int index) const;

  // A left press at client point (x, y): true when it hit a page, which
  // becomes the selected page and the hot point; a miss makes the hot point -1.
  bool HitTest(int x, int y);

  // Scroll positions always stay within 0 .. maximum.
  void ScrollHorzTo(int pos) { HorzPos = std::clamp(pos, 0, HorzMax_); }
  void ScrollVertTo(int pos) { VertPos = std::clamp(pos, 0, VertMax_); }
  // A wheel delta of 120 per notch; turning towards the user (negative) scrolls down.
  void Wheel(int delta) { ScrollVertTo(VertPos - delta); }

 private:
  void LayoutOnce();

  double Zoom_ = 1.0;
  int Columns_ = 1;
  int Rows_ = 0;
  int LeftOffset_ = 0;  // centres a grid narrower than the client area
  int HorzMax_ = 0, VertMax_ = 0;
  int HotPage_ = 0, HotX_ = 0, HotY_ = 0;
};

}  // namespace kelta
