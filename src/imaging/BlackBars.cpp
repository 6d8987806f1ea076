#include "imaging/BlackBars.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace kelta {

namespace {

// Decoded video black is 0, with a few levels of coding noise.
constexpr int MaxBarLuma = 32;
constexpr int MaxBarSpread = 12;
constexpr int MinBarLines = 4;
constexpr int MinBarPercent = 1;
constexpr int KeptPercent = 40;

// BT.601 weights in 8-bit fixed point: blue, green, red as stored.
int Luma(const std::uint8_t* pixel) { return (29 * pixel[0] + 150 * pixel[1] + 77 * pixel[2] + 128) >> 8; }

class TBarJudge {
 public:
  TBarJudge(std::span<const TFastDIB* const> frames) {
    const TFastDIB& first = *frames[0];
    for (const TFastDIB* frame : frames)
      if (frame && frame->HoldsBgr24() && frame->Width() == first.Width() && frame->RowCount() == first.RowCount())
        Frames_.push_back(frame);
  }

  // Row y from column left to right - 1 is bar in every frame.
  bool BarRow(int y, int left, int right) const {
    return std::all_of(Frames_.begin(), Frames_.end(), [&](const TFastDIB* frame) {
      return UniformlyBlack(right - left, [&](int i) { return frame->PixelPtr(left + i, y); });
    });
  }

  // Column x from row top to bottom - 1 is bar in every frame.
  bool BarColumn(int x, int top, int bottom) const {
    return std::all_of(Frames_.begin(), Frames_.end(), [&](const TFastDIB* frame) {
      return UniformlyBlack(bottom - top, [&](int i) { return frame->PixelPtr(x, top + i); });
    });
  }

 private:
  template <typename TPixelAt>
  static bool UniformlyBlack(int count, TPixelAt pixelAt) {
    int darkest = 255, lightest = 0;
    for (int i = 0; i < count; ++i) {
      const int luma = Luma(pixelAt(i));
      darkest = std::min(darkest, luma);
      lightest = std::max(lightest, luma);
      if (lightest > MaxBarLuma || lightest - darkest > MaxBarSpread) return false;
    }
    return true;
  }

  std::vector<const TFastDIB*> Frames_;
};

// Lines of bar from each end of a side `lines` long: `isBar(i)` says whether
// line i is bar. Both 0 unless the pair passes the rules of the header.
struct TBarPair {
  int Near = 0;
  int Far = 0;
};

template <typename TIsBar>
TBarPair BarsOnSide(int lines, TIsBar isBar) {
  TBarPair bars;
  while (bars.Near < lines && isBar(bars.Near)) ++bars.Near;
  // A side that is bar all through has no picture to keep.
  if (bars.Near == lines) return {};
  while (isBar(lines - 1 - bars.Far)) ++bars.Far;
  const int shortest = std::max(MinBarLines, (lines * MinBarPercent + 99) / 100);
  if (bars.Near < shortest) bars.Near = 0;
  if (bars.Far < shortest) bars.Far = 0;
  const int larger = std::max(bars.Near, bars.Far);
  if (std::abs(bars.Near - bars.Far) > std::max(MinBarLines, larger / 8)) return {};
  if (std::int64_t(lines - bars.Near - bars.Far) * 100 < std::int64_t(lines) * KeptPercent) return {};
  return bars;
}

}  // namespace

TRect AreaInsideBlackBars(std::span<const TFastDIB* const> frames) {
  if (frames.empty() || !frames[0]) return {};
  const int width = frames[0]->Width();
  const int height = frames[0]->RowCount();
  if (!frames[0]->HoldsBgr24()) return {0, 0, width, height};
  const TBarJudge judge(frames);
  const TBarPair rows = BarsOnSide(height, [&](int y) { return judge.BarRow(y, 0, width); });
  const int top = rows.Near, bottom = height - rows.Far;
  const TBarPair columns = BarsOnSide(width, [&](int x) { return judge.BarColumn(x, top, bottom); });
  const TRect area{columns.Near, top, width - columns.Far, bottom};
  // The picture reaches every edge of what is kept; black left at an edge
  // (columns cut around a title whose rows are all black above and below it)
  // says the bars were something else.
  const bool blackEdge = judge.BarRow(area.Top, area.Left, area.Right) ||
                         judge.BarRow(area.Bottom - 1, area.Left, area.Right) ||
                         judge.BarColumn(area.Left, area.Top, area.Bottom) ||
                         judge.BarColumn(area.Right - 1, area.Top, area.Bottom);
  if (blackEdge) return {0, 0, width, height};
  return area;
}

}  // namespace kelta
