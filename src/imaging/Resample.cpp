#include "imaging/Resample.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kelta {

namespace {

// Columns are worked in blocks whose tables stay small whatever the width.
constexpr std::int64_t ColumnBlock = 4096;

bool Usable(const TFastDIB& dib) {
  return !dib.Empty() && dib.BitCount() == 24 && dib.Width() > 0 && dib.RowCount() > 0;
}

// Rows are walked in memory order; a source stored the other way round is
// walked backwards so that the picture keeps its orientation.
const std::uint8_t* SourceRow(const TFastDIB& source, const TFastDIB& dest, std::int64_t i) {
  const bool sameOrder = (source.Height() < 0) == (dest.Height() < 0);
  return source.Rows()[std::size_t(sameOrder ? i : source.RowCount() - 1 - i)];
}

// Positions are 16.16 fixed point held in 64 bits, so that sizes of 32768
// and above cannot overflow: step = (source size * 65536) div destination size.
std::int64_t StepOf(std::int64_t sourceSize, std::int64_t destSize) {
  return (sourceSize << 16) / destSize;
}

}  // namespace

void ResampleNearest(const TFastDIB& source, TFastDIB& dest) {
  if (!Usable(source) || !Usable(dest)) return;
  const std::int64_t sw = source.Width(), sh = source.RowCount();
  const std::int64_t dw = dest.Width(), dh = dest.RowCount();
  const std::int64_t xStep = StepOf(sw, dw), yStep = StepOf(sh, dh);

  std::vector<std::uint32_t> from(std::size_t(std::min(dw, ColumnBlock)));
  for (std::int64_t first = 0; first < dw; first += ColumnBlock) {
    const std::int64_t count = std::min(ColumnBlock, dw - first);
    // Byte offset of the source pixel of each destination column: centre of
    // the destination pixel, then whole source pixels.
    std::int64_t xPos = (xStep >> 1) + first * xStep;
    for (std::int64_t x = 0; x < count; ++x, xPos += xStep)
      from[std::size_t(x)] = std::uint32_t(3 * (xPos >> 16));

    std::int64_t yPos = yStep >> 1;
    for (std::int64_t r = 0; r < dh; ++r, yPos += yStep) {
      const std::uint8_t* src = SourceRow(source, dest, yPos >> 16);
      std::uint8_t* out = dest.Rows()[std::size_t(r)] + 3 * first;
      for (std::int64_t x = 0; x < count; ++x, out += 3) {
        const std::uint8_t* p = src + from[std::size_t(x)];
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
      }
    }
  }
}

void ResampleBilinear(const TFastDIB& source, TFastDIB& dest) {
  if (!Usable(source) || !Usable(dest)) return;
  const std::int64_t sw = source.Width(), sh = source.RowCount();
  const std::int64_t dw = dest.Width(), dh = dest.RowCount();
  const std::int64_t xStep = StepOf(sw, dw), yStep = StepOf(sh, dh);

  // Per destination column, once per call: byte offsets of the left and
  // right source pixels and the horizontal fraction.
  struct TColumn {
    std::uint32_t Left;
    std::uint32_t Right;
    std::uint32_t Fraction;
  };
  std::vector<TColumn> columns(std::size_t(std::min(dw, ColumnBlock)));
  for (std::int64_t first = 0; first < dw; first += ColumnBlock) {
    const std::int64_t count = std::min(ColumnBlock, dw - first);
    // Positions refer to pixel centres: index and fraction of the source
    // position of each destination pixel's centre.
    std::int64_t xPos = (xStep >> 1) - 32768 + first * xStep;
    for (std::int64_t x = 0; x < count; ++x, xPos += xStep) {
      std::int64_t x0 = 0;
      std::uint32_t fx = 0;
      if (xPos >= 0) {
        x0 = xPos >> 16;
        fx = std::uint32_t(xPos & 65535);
      }
      const std::int64_t x1 = x0 < sw - 1 ? x0 + 1 : x0;
      columns[std::size_t(x)] = {std::uint32_t(3 * x0), std::uint32_t(3 * x1), fx};
    }

    std::int64_t yPos = (yStep >> 1) - 32768;
    for (std::int64_t r = 0; r < dh; ++r, yPos += yStep) {
      std::int64_t y0 = 0;
      std::uint32_t fy = 0;
      if (yPos >= 0) {
        y0 = yPos >> 16;
        fy = std::uint32_t(yPos & 65535);
      }
      const std::uint32_t gy = 65536 - fy;
      const std::int64_t y1 = y0 < sh - 1 ? y0 + 1 : y0;  // the last row repeats
      const std::uint8_t* top = SourceRow(source, dest, y0);
      const std::uint8_t* bottom = SourceRow(source, dest, y1);
      std::uint8_t* out = dest.Rows()[std::size_t(r)] + 3 * first;
      for (std::int64_t x = 0; x < count; ++x, out += 3) {
        const TColumn c = columns[std::size_t(x)];
        // The four weights sum to 65536; every product stays below 2^32.
        const std::uint32_t w01 = (gy * c.Fraction) >> 16, w00 = gy - w01;
        const std::uint32_t w11 = (fy * c.Fraction) >> 16, w10 = fy - w11;
        const std::uint8_t* a = top + c.Left;
        const std::uint8_t* b = top + c.Right;
        const std::uint8_t* d = bottom + c.Left;
        const std::uint8_t* e = bottom + c.Right;
        for (int k = 0; k < 3; ++k)
          out[k] = std::uint8_t((w00 * a[k] + w01 * b[k] + w10 * d[k] + w11 * e[k] + 32768) >> 16);
      }
    }
  }
}

}  // namespace kelta
