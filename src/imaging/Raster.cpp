// The drawing surface of TFastDIB: pens, brushes, lines, rectangles and filled
// polygons straight into the 24-bit pixel memory, with the conventions of the
// usual 2-D raster interfaces (rectangles and fills exclude their right and
// bottom edges, thin lines exclude their end point).
//
// Every figure is first collected as horizontal spans clipped to the buffer,
// then painted. Collecting first lets an inverting pen flip the union of
// everything one call covers exactly once: corners of a rectangle, vertices
// of a polygon and the overlap of a wide outline with itself are not flipped
// back, so the same figure drawn twice restores the pixels.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/FastDIB.h"

namespace kelta {

namespace {

__extension__ typedef __int128 Int128;

struct TSpan {
  std::int32_t Y;
  std::int32_t X0;  // inclusive
  std::int32_t X1;  // exclusive
  bool Pen;         // drawn with the pen (else with the brush)
};

class TSpanSet {
 public:
  TSpanSet(std::int32_t width, std::int32_t height) : Width_(width), Height_(height) {}

  std::int32_t Width() const { return Width_; }
  std::int32_t Height() const { return Height_; }

  // Adds x0 .. x1-1 on row y, clipped to the buffer; wide values are welcome.
  void Add(std::int64_t y, std::int64_t x0, std::int64_t x1, bool pen) {
    if (y < 0 || y >= Height_) return;
    x0 = std::max<std::int64_t>(x0, 0);
    x1 = std::min<std::int64_t>(x1, Width_);
    if (x0 >= x1) return;
    Spans_.push_back({std::int32_t(y), std::int32_t(x0), std::int32_t(x1), pen});
  }

  // Copy: the brush first, the pen over it. Invert: every covered pixel once.
  void Paint(TFastDIB& dib, TPenMode mode, COLORREF penColour, COLORREF brushColour) {
    if (Spans_.empty()) return;
    if (mode == TPenMode::Copy) {
      for (const bool pen : {false, true})
        for (const TSpan& s : Spans_)
          if (s.Pen == pen) FillSpan(dib, s, pen ? penColour : brushColour);
      return;
    }
    std::sort(Spans_.begin(), Spans_.end(), [](const TSpan& a, const TSpan& b) {
      return a.Y != b.Y ? a.Y < b.Y : a.X0 < b.X0;
    });
    std::size_t i = 0;
    while (i < Spans_.size()) {
      TSpan merged = Spans_[i++];
      while (i < Spans_.size() && Spans_[i].Y == merged.Y && Spans_[i].X0 <= merged.X1)
        merged.X1 = std::max(merged.X1, Spans_[i++].X1);
      InvertSpan(dib, merged);
    }
  }

 private:
  static void FillSpan(TFastDIB& dib, const TSpan& s, COLORREF colour) {
    const std::uint8_t bgr[3] = {std::uint8_t(colour >> 16), std::uint8_t(colour >> 8),
                                 std::uint8_t(colour)};
    std::uint8_t* p = dib.PixelPtr(s.X0, s.Y);
    for (std::int32_t x = s.X0; x < s.X1; ++x, p += 3) std::memcpy(p, bgr, 3);
  }

  static void InvertSpan(TFastDIB& dib, const TSpan& s) {
    std::uint8_t* p = dib.PixelPtr(s.X0, s.Y);
    const std::size_t bytes = std::size_t(s.X1 - s.X0) * 3;
    for (std::size_t i = 0; i < bytes; ++i) p[i] = std::uint8_t(~p[i]);
  }

  std::int32_t Width_;
  std::int32_t Height_;
  std::vector<TSpan> Spans_;
};

// The footprint of a pen of the given width as rows of horizontal runs around
// the pixel it is centred on: a round nib, one pixel for width 1. Even widths
// reach one pixel further up and left than down and right.
struct TNib {
  std::int32_t Top = 0;                // offset of the first row
  std::vector<std::int32_t> Left;      // per row: first column offset
  std::vector<std::int32_t> Right;     // per row: last column offset + 1
  std::int32_t Reach = 0;              // largest offset in any direction

  explicit TNib(std::int32_t width) {
    const std::int32_t lo = -(width / 2);
    const std::int32_t hi = (width - 1) / 2;
    Top = lo;
    Reach = -lo;
    // In doubled units the nib's centre is lo + hi and its radius width.
    const std::int64_t c = lo + hi;
    const std::int64_t r2 = std::int64_t(width) * width;
    for (std::int32_t dy = lo; dy <= hi; ++dy) {
      const std::int64_t ey = 2 * dy - c;
      std::int32_t first = hi + 1, last = lo - 1;
      for (std::int32_t dx = lo; dx <= hi; ++dx) {
        const std::int64_t ex = 2 * dx - c;
        if (ex * ex + ey * ey <= r2) {
          first = std::min(first, dx);
          last = std::max(last, dx);
        }
      }
      Left.push_back(first);
      Right.push_back(last + 1);
    }
  }

  void Stamp(TSpanSet& spans, std::int64_t x, std::int64_t y) const {
    for (std::size_t i = 0; i < Left.size(); ++i)
      if (Left[i] < Right[i]) spans.Add(y + Top + std::int64_t(i), x + Left[i], x + Right[i], true);
  }
};

// Floor division for a positive divisor.
std::int64_t FloorDiv(Int128 a, Int128 b) {
  Int128 q = a / b;
  if ((a % b != 0) && (a < 0)) --q;
  return std::int64_t(q);
}

std::int64_t CeilDiv(Int128 a, Int128 b) { return -FloorDiv(-a, b); }

// The line from (x0, y0) to (x1, y1): the pixels of the Bresenham line, each
// stamped with the nib. The end point is included only when asked. Only the
// steps whose nib can reach the buffer are walked, so far-away coordinates
// cost nothing.
void AddLine(TSpanSet& spans, const TNib& nib, std::int64_t x0, std::int64_t y0, std::int64_t x1,
             std::int64_t y1, bool includeEnd) {
  const std::int64_t dx = x1 - x0, dy = y1 - y0;
  const std::int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const bool xMajor = adx >= ady;
  const std::int64_t steps = xMajor ? adx : ady;  // pixels 0 .. steps
  const std::int64_t last = includeEnd ? steps : steps - 1;
  if (last < 0) return;

  // Major axis: position = start + k * dir. Keep k where the nib can touch the buffer.
  const std::int64_t start = xMajor ? x0 : y0;
  const std::int64_t dir = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const std::int64_t limit = xMajor ? spans.Width() : spans.Height();
  const std::int64_t lowPos = -std::int64_t(nib.Reach), highPos = limit - 1 + nib.Reach;
  std::int64_t kFirst, kLast;
  if (dir > 0) {
    kFirst = lowPos - start;
    kLast = highPos - start;
  } else {
    kFirst = start - highPos;
    kLast = start - lowPos;
  }
  kFirst = std::max<std::int64_t>(kFirst, 0);
  kLast = std::min(kLast, last);

  const std::int64_t minorStart = xMajor ? y0 : x0;
  const std::int64_t minorDelta = xMajor ? dy : dx;
  const std::int64_t minorLimit = xMajor ? spans.Height() : spans.Width();
  for (std::int64_t k = kFirst; k <= kLast; ++k) {
    // Minor offset: k * delta / steps rounded half away from the start.
    std::int64_t minor = minorStart;
    if (steps != 0) {
      const Int128 num = Int128(2) * k * (minorDelta < 0 ? -minorDelta : minorDelta) + steps;
      const std::int64_t off = std::int64_t(num / (Int128(2) * steps));
      minor += minorDelta < 0 ? -off : off;
    }
    if (minor < -std::int64_t(nib.Reach) || minor > minorLimit - 1 + nib.Reach) continue;
    const std::int64_t major = start + dir * k;
    if (xMajor)
      nib.Stamp(spans, major, minor);
    else
      nib.Stamp(spans, minor, major);
  }
}

// Even-odd interior of a closed polygon: pixel (x, y) belongs to it when the
// point (x, y) lies inside, with the left and top edges inside and the right
// and bottom edges outside.
void AddPolygonInterior(TSpanSet& spans, std::span<const TPoint> points) {
  std::int64_t minY = points[0].Y, maxY = points[0].Y;
  for (const TPoint& p : points) {
    minY = std::min<std::int64_t>(minY, p.Y);
    maxY = std::max<std::int64_t>(maxY, p.Y);
  }
  minY = std::max<std::int64_t>(minY, 0);
  maxY = std::min<std::int64_t>(maxY, spans.Height());
  std::vector<std::int64_t> xs;
  for (std::int64_t y = minY; y < maxY; ++y) {
    xs.clear();
    for (std::size_t i = 0; i < points.size(); ++i) {
      const TPoint& a = points[i];
      const TPoint& b = points[(i + 1) % points.size()];
      if (a.Y == b.Y) continue;
      const TPoint& top = a.Y < b.Y ? a : b;
      const TPoint& bottom = a.Y < b.Y ? b : a;
      if (y < top.Y || y >= bottom.Y) continue;
      // First pixel column at or right of the crossing.
      const Int128 num = Int128(y - top.Y) * (std::int64_t(bottom.X) - top.X);
      xs.push_back(top.X + CeilDiv(num, std::int64_t(bottom.Y) - top.Y));
    }
    std::sort(xs.begin(), xs.end());
    for (std::size_t i = 0; i + 1 < xs.size(); i += 2) spans.Add(y, xs[i], xs[i + 1], false);
  }
}

}  // namespace

// Wider pens than this are drawn this wide: the nib is built per call and a
// picture-sized pen already covers everything it touches.
constexpr int MaxPenWidth = 1024;

void TFastDIB::SelectPen(TPenStyle style, int width, COLORREF colour, TPenMode mode) {
  PenStyle_ = style;
  PenWidth_ = std::clamp(width, 1, MaxPenWidth);
  PenColour_ = colour & 0xFFFFFF;
  PenMode_ = mode;
}

void TFastDIB::SelectBrush(TBrushStyle style, int /*hatch*/, COLORREF colour) {
  BrushStyle_ = style;
  BrushColour_ = colour & 0xFFFFFF;
}

void TFastDIB::FillRect(const TRect& rect) {
  if (!HoldsBgr24() || BrushStyle_ == TBrushStyle::Clear) return;
  TSpanSet spans(Width(), RowCount());
  const std::int64_t top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, RowCount());
  for (std::int64_t y = top; y < bottom; ++y) spans.Add(y, rect.Left, rect.Right, false);
  spans.Paint(*this, TPenMode::Copy, PenColour_, BrushColour_);
}

void TFastDIB::MoveTo(int x, int y) { PenPos_ = {x, y}; }

void TFastDIB::LineTo(int x, int y) {
  const TPoint from = PenPos_;
  PenPos_ = {x, y};
  if (!HoldsBgr24() || PenStyle_ == TPenStyle::Clear) return;
  TSpanSet spans(Width(), RowCount());
  AddLine(spans, TNib(PenWidth_), from.X, from.Y, x, y, PenWidth_ > 1);
  spans.Paint(*this, PenMode_, PenColour_, BrushColour_);
}

void TFastDIB::Polygon(std::span<const TPoint> points) {
  if (!HoldsBgr24() || points.size() < 2) return;
  TSpanSet spans(Width(), RowCount());
  if (BrushStyle_ == TBrushStyle::Solid) AddPolygonInterior(spans, points);
  if (PenStyle_ == TPenStyle::Solid) {
    const TNib nib(PenWidth_);
    // A closed outline: each edge leaves its end to the next edge, so every
    // vertex is drawn once, by the edge that starts there.
    for (std::size_t i = 0; i < points.size(); ++i) {
      const TPoint& a = points[i];
      const TPoint& b = points[(i + 1) % points.size()];
      AddLine(spans, nib, a.X, a.Y, b.X, b.Y, PenWidth_ > 1);
    }
  }
  spans.Paint(*this, PenMode_, PenColour_, BrushColour_);
}

void TFastDIB::Rectangle(const TRect& rect) {
  if (!HoldsBgr24()) return;
  const std::int64_t left = std::min(rect.Left, rect.Right), right = std::max(rect.Left, rect.Right);
  const std::int64_t top = std::min(rect.Top, rect.Bottom), bottom = std::max(rect.Top, rect.Bottom);
  if (left == right || top == bottom) return;

  TSpanSet spans(Width(), RowCount());
  // Clipped row range helper: only rows that exist are walked.
  auto rows = [&](std::int64_t from, std::int64_t to, auto&& each) {
    for (std::int64_t y = std::max<std::int64_t>(from, 0); y < std::min<std::int64_t>(to, RowCount());
         ++y)
      each(y);
  };

  if (PenStyle_ == TPenStyle::Clear) {
    if (BrushStyle_ == TBrushStyle::Solid)
      rows(top, bottom, [&](std::int64_t y) { spans.Add(y, left, right, false); });
  } else {
    // The one-pixel outline runs through columns left and right-1 and rows top
    // and bottom-1; a wider pen grows it inward by width/2, outward by the rest.
    const std::int64_t outward = (PenWidth_ - 1) / 2, inward = PenWidth_ / 2;
    const std::int64_t outerL = left - outward, outerR = right + outward;
    const std::int64_t outerT = top - outward, outerB = bottom + outward;
    const std::int64_t holeL = left + inward + 1, holeR = right - 1 - inward;
    const std::int64_t holeT = top + inward + 1, holeB = bottom - 1 - inward;
    const bool hole = holeL < holeR && holeT < holeB;
    rows(outerT, outerB, [&](std::int64_t y) {
      if (hole && y >= holeT && y < holeB) {
        spans.Add(y, outerL, holeL, true);
        spans.Add(y, holeR, outerR, true);
        if (BrushStyle_ == TBrushStyle::Solid) spans.Add(y, holeL, holeR, false);
      } else {
        spans.Add(y, outerL, outerR, true);
      }
    });
  }
  spans.Paint(*this, PenMode_, PenColour_, BrushColour_);
}

}  // namespace kelta
