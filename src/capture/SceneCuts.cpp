#include "capture/SceneCuts.h"

#include <algorithm>
#include <cmath>

namespace kelta {

namespace {

// A cut stands this many times above the usual difference on either side of
// it, and above a floor that noise and grain never reach.
constexpr double CutRatio = 3.0;
constexpr double CutFloor = 12.0;
constexpr double QuietFloor = 2.0;
// Pictures on each side that say what is usual there.
constexpr std::ptrdiff_t Neighbours = 4;

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

}  // namespace

TFrameSketch SketchFrame(const FrameView& frame) {
  TFrameSketch sketch{};
  if (!frame || frame.width < SketchColumns || frame.height < SketchRows) return sketch;
  // Every second pixel of every second row: the blocks' means are as good, at
  // a quarter of the reading. Sparser samples alias with fine patterns that
  // move, and a pan over stripes then looks like a string of cuts. Each row
  // is summed block by block in registers, so the search costs little beside
  // decoding.
  constexpr int Step = 2;
  std::array<std::uint32_t, SketchColumns * SketchRows * 3> sums{};
  std::array<std::uint32_t, SketchColumns * SketchRows> counts{};
  std::array<std::int32_t, SketchColumns + 1> columnStart{};
  for (int c = 0; c <= SketchColumns; ++c) {
    const std::int32_t x = std::int32_t(std::int64_t(c) * frame.width / SketchColumns);
    columnStart[std::size_t(c)] = (x + Step - 1) / Step * Step;  // the first sampled column at or after x
  }
  for (std::int32_t y = 0; y < frame.height; y += Step) {
    const std::uint8_t* row = frame.data + std::ptrdiff_t(y) * frame.stride;
    const std::size_t rowBlocks = std::size_t(std::int64_t(y) * SketchRows / frame.height) * SketchColumns;
    for (int c = 0; c < SketchColumns; ++c) {
      std::uint32_t blue = 0, green = 0, red = 0, n = 0;
      const std::uint8_t* pixel = row + std::ptrdiff_t(columnStart[std::size_t(c)]) * 3;
      for (std::int32_t x = columnStart[std::size_t(c)]; x < columnStart[std::size_t(c) + 1]; x += Step, pixel += Step * 3) {
        blue += pixel[0];
        green += pixel[1];
        red += pixel[2];
        ++n;
      }
      const std::size_t block = rowBlocks + std::size_t(c);
      sums[block * 3] += blue;
      sums[block * 3 + 1] += green;
      sums[block * 3 + 2] += red;
      counts[block] += n;
    }
  }
  for (std::size_t block = 0; block < counts.size(); ++block)
    for (std::size_t c = 0; c < 3; ++c)
      sketch[block * 3 + c] = counts[block] ? float(sums[block * 3 + c]) / float(counts[block]) : 0.0f;
  return sketch;
}

double SketchDifference(const TFrameSketch& a, const TFrameSketch& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += std::fabs(double(a[i]) - double(b[i]));
  return sum / double(a.size());
}

std::vector<TSceneCut> FindSceneCuts(std::span<const double> differences) {
  std::vector<TSceneCut> cuts;
  const std::ptrdiff_t count = std::ptrdiff_t(differences.size());
  for (std::ptrdiff_t i = 1; i < count; ++i) {
    const double score = differences[std::size_t(i)];
    if (score < CutFloor) continue;
    std::vector<double> before, after;
    for (std::ptrdiff_t j = std::max<std::ptrdiff_t>(1, i - Neighbours); j < i; ++j) before.push_back(differences[std::size_t(j)]);
    for (std::ptrdiff_t j = i + 1; j <= std::min(count - 1, i + Neighbours); ++j) after.push_back(differences[std::size_t(j)]);
    // The busier side decides: a cut into a pan or out of a fade must still
    // stand above the pan's or the fade's own changes.
    const double usual = std::max({Median(before), Median(after), QuietFloor});
    if (score >= CutRatio * usual) cuts.push_back(TSceneCut{std::int64_t(i), score});
  }
  return cuts;
}

}  // namespace kelta
