#include "capture/SceneCuts.h"

#include <algorithm>
#include <cmath>
#include <vector>

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
  // move, and a pan over stripes then looks like a string of cuts.
  constexpr int Step = 2;
  std::array<std::uint32_t, SketchColumns * SketchRows * 3> sums{};
  std::array<std::uint32_t, SketchColumns * SketchRows> counts{};
  std::vector<std::uint16_t> blockOfColumn;
  for (std::int32_t x = 0; x < frame.width; x += Step)
    blockOfColumn.push_back(std::uint16_t(std::int64_t(x) * SketchColumns / frame.width));
  for (std::int32_t y = 0; y < frame.height; y += Step) {
    const std::uint8_t* pixel = frame.data + std::ptrdiff_t(y) * frame.stride;
    const std::size_t rowBlocks = std::size_t(std::int64_t(y) * SketchRows / frame.height) * SketchColumns;
    for (const std::uint16_t column : blockOfColumn) {
      const std::size_t block = rowBlocks + column;
      sums[block * 3] += pixel[0];
      sums[block * 3 + 1] += pixel[1];
      sums[block * 3 + 2] += pixel[2];
      ++counts[block];
      pixel += Step * 3;
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
