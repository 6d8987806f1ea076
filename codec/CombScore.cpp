#include "CombScore.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace kelta::codec {

namespace {

// How far a pixel must lie beyond both rows around it, and how far its
// own field's rows may lie from it, in 8-bit luma steps: above the noise of
// MPEG-2 at DVD rates.
constexpr int CombStep = 10;
constexpr int BlockSize = 16;

}  // namespace

int CombScore(const AVFrame* evenRows, const AVFrame* oddRows) {
  const int width = evenRows->width, height = evenRows->height;
  if (height < 5 || width < 1) return 0;
  const auto row = [&](int y) {
    const AVFrame* f = (y & 1) ? oddRows : evenRows;
    return f->data[0] + std::ptrdiff_t(y) * f->linesize[0];
  };
  const int blocksAcross = (width + BlockSize - 1) / BlockSize;
  std::vector<int> counts(std::size_t(blocksAcross), 0);
  int most = 0;
  for (int y = 2; y < height - 2; ++y) {
    const std::uint8_t *up2 = row(y - 2), *up = row(y - 1), *c = row(y), *down = row(y + 1), *down2 = row(y + 2);
    for (int x = 0; x < width; ++x) {
      const int first = c[x] - up[x], second = c[x] - down[x];
      const int sign = first > CombStep && second > CombStep ? 1 : first < -CombStep && second < -CombStep ? -1 : 0;
      if (sign == 0) continue;
      // Teeth come in runs of rows, each the other way from the one before;
      // a thin line (a rule, a stroke of text) stands out on one row only.
      const int next = sign * (down[x] - c[x]), nextBelow = sign * (down[x] - down2[x]);
      if (next > -CombStep || nextBelow > -CombStep) continue;
      // A sharp edge of one field has its own field's rows on its side; teeth
      // stand out against them as much as against the other field.
      const int fieldCurve = std::abs(up2[x] + 4 * c[x] + down2[x] - 3 * (up[x] + down[x]));
      if (fieldCurve > 6 * CombStep) ++counts[std::size_t(x / BlockSize)];
    }
    if ((y - 2) % BlockSize == BlockSize - 1 || y == height - 3) {
      most = std::max(most, *std::max_element(counts.begin(), counts.end()));
      std::fill(counts.begin(), counts.end(), 0);
    }
  }
  return most;
}

}  // namespace kelta::codec
