#include "imaging/Resample.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/ResampleDetail.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KELTA_BILINEAR_AVX2 1
#endif

namespace kelta {

namespace {

// Columns are worked in blocks whose tables stay small whatever the width.
constexpr std::int64_t ColumnBlock = 4096;


// Rows are walked in memory order; a source stored the other way round is
// walked backwards so that the picture keeps its orientation.
const std::uint8_t* SourceRow(const TFastDIB& source, const TFastDIB& dest, std::int64_t i) {
  const bool sameOrder = (source.Height() < 0) == (dest.Height() < 0);
  return source.Rows()[std::size_t(sameOrder ? i : source.RowCount() - 1 - i)];
}

// The part of the destination a resample fills: the rectangle clipped to the
// buffer, as its first column and memory row and its size.
struct TTarget {
  std::int64_t Column = 0, Columns = 0, Row = 0, Rows = 0;
};

bool TargetOf(const TFastDIB& dest, const TRect& area, TTarget& target) {
  const int left = std::max(area.Left, 0), right = std::min(area.Right, dest.Width());
  const int top = std::max(area.Top, 0), bottom = std::min(area.Bottom, dest.RowCount());
  if (left >= right || top >= bottom) return false;
  target.Column = left;
  target.Columns = right - left;
  // Picture rows top..bottom-1 lie in memory from the lower end of that range
  // in a bottom-up buffer.
  target.Row = dest.Height() < 0 ? top : dest.RowCount() - bottom;
  target.Rows = bottom - top;
  return true;
}

TRect Whole(const TFastDIB& dest) { return TRect{0, 0, dest.Width(), dest.RowCount()}; }

// Positions are 16.16 fixed point held in 64 bits, so that sizes of 32768
// and above cannot overflow: step = (source size * 65536) div destination size.
std::int64_t StepOf(std::int64_t sourceSize, std::int64_t destSize) {
  return (sourceSize << 16) / destSize;
}

// The two source pixels a bilinear sample at 16.16 position `pos` lies
// between, and its fraction of the way to the second. Positions before the
// first centre take the first pixel whole; the last pixel repeats.
struct TTap {
  std::int64_t First = 0, Second = 0;
  std::uint32_t Fraction = 0;
};

TTap TapAt(std::int64_t pos, std::int64_t size) {
  TTap tap;
  if (pos >= 0) {
    tap.First = pos >> 16;
    tap.Fraction = std::uint32_t(pos & 65535);
  }
  tap.Second = tap.First < size - 1 ? tap.First + 1 : tap.First;
  return tap;
}

}  // namespace

void ResampleNearest(const TFastDIB& source, TFastDIB& dest) { ResampleNearestInto(source, dest, Whole(dest)); }

void ResampleNearestInto(const TFastDIB& source, TFastDIB& dest, const TRect& area) {
  TTarget target;
  if (!source.HoldsBgr24() || !dest.HoldsBgr24() || !TargetOf(dest, area, target)) return;
  const std::int64_t sw = source.Width(), sh = source.RowCount();
  const std::int64_t dw = target.Columns, dh = target.Rows;
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
      std::uint8_t* out = dest.Rows()[std::size_t(target.Row + r)] + 3 * (target.Column + first);
      const std::uint32_t* offset = from.data();
      for (std::int64_t x = 0; x < count; ++x, out += 3) {
        const std::uint8_t* p = src + offset[x];
        const std::uint8_t blue = p[0], green = p[1], red = p[2];
        out[0] = blue;
        out[1] = green;
        out[2] = red;
      }
    }
  }
}

namespace {

// Per destination column: byte offsets of the left and right source pixels
// and the horizontal fraction.
struct TColumn {
  std::uint32_t Left;
  std::uint32_t Right;
  std::uint32_t Fraction;
};

#ifdef KELTA_BILINEAR_AVX2
// The pixels at two byte offsets of a row, one per half: blue, green, red and
// the following byte, each in a 32-bit lane.
__attribute__((target("avx2"), always_inline)) inline __m256i Taps(const std::uint8_t* row,
                                                                   std::uint32_t first,
                                                                   std::uint32_t second) {
  std::int32_t a, b;
  std::memcpy(&a, row + first, 4);
  std::memcpy(&b, row + second, 4);
  return _mm256_cvtepu8_epi32(_mm_insert_epi32(_mm_cvtsi32_si128(a), b, 1));
}

// Two destination pixels per step, each in four 32-bit lanes (blue, green,
// red and one spare), with exactly the integer arithmetic of the plain loop.
// Every source pixel is read as four bytes, so the caller passes only the
// columns whose fourth byte still lies inside the source row. Returns the
// number of columns done.
__attribute__((target("avx2"))) std::int64_t BilinearRowAvx2(
    const std::uint8_t* top, const std::uint8_t* bottom, std::uint8_t* out, std::uint32_t gy,
    std::uint32_t fy, const TColumn* columns, const std::uint32_t* fractionLanes,
    std::int64_t count) {
  const __m256i gyv = _mm256_set1_epi32(int(gy));
  const __m256i fyv = _mm256_set1_epi32(int(fy));
  const __m256i half = _mm256_set1_epi32(32768);
  std::int64_t x = 0;
  for (; x + 1 < count; x += 2, out += 6) {
    const TColumn c0 = columns[x], c1 = columns[x + 1];
    const __m256i fx = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(fractionLanes + 4 * x));
    // gy * fx < 2^32: the low 32 bits of the product are exact.
    const __m256i w01 = _mm256_srli_epi32(_mm256_mullo_epi32(gyv, fx), 16);
    const __m256i w00 = _mm256_sub_epi32(gyv, w01);
    const __m256i w11 = _mm256_srli_epi32(_mm256_mullo_epi32(fyv, fx), 16);
    const __m256i w10 = _mm256_sub_epi32(fyv, w11);
    __m256i sum = _mm256_mullo_epi32(w00, Taps(top, c0.Left, c1.Left));
    sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(w01, Taps(top, c0.Right, c1.Right)));
    sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(w10, Taps(bottom, c0.Left, c1.Left)));
    sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(w11, Taps(bottom, c0.Right, c1.Right)));
    sum = _mm256_srli_epi32(_mm256_add_epi32(sum, half), 16);
    __m256i bytes = _mm256_packus_epi32(sum, sum);
    bytes = _mm256_packus_epi16(bytes, bytes);
    const std::uint64_t p0 = std::uint32_t(_mm_cvtsi128_si32(_mm256_castsi256_si128(bytes)));
    const std::uint64_t p1 = std::uint32_t(_mm_cvtsi128_si32(_mm256_extracti128_si256(bytes, 1)));
    const std::uint64_t both = (p0 & 0xFFFFFF) | ((p1 & 0xFFFFFF) << 24);
    std::memcpy(out, &both, 6);
  }
  return x;
}

bool HaveAvx2() {
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}
#endif

void Bilinear(const TFastDIB& source, TFastDIB& dest, const TRect& area, bool vector) {
  TTarget target;
  if (!source.HoldsBgr24() || !dest.HoldsBgr24() || !TargetOf(dest, area, target)) return;
  const std::int64_t sw = source.Width(), sh = source.RowCount();
  const std::int64_t dw = target.Columns, dh = target.Rows;
  const std::int64_t xStep = StepOf(sw, dw), yStep = StepOf(sh, dh);

  // The column tables are built once per call (per block of columns).
  std::vector<TColumn> columns(std::size_t(std::min(dw, ColumnBlock)));
#ifdef KELTA_BILINEAR_AVX2
  vector = vector && HaveAvx2();
  // The fraction of every column four times over, one per lane.
  std::vector<std::uint32_t> fractionLanes(vector ? 4 * columns.size() : 0);
#else
  vector = false;
#endif
  for (std::int64_t first = 0; first < dw; first += ColumnBlock) {
    const std::int64_t count = std::min(ColumnBlock, dw - first);
    // Positions refer to pixel centres: index and fraction of the source
    // position of each destination pixel's centre.
    std::int64_t xPos = (xStep >> 1) - 32768 + first * xStep;
    for (std::int64_t x = 0; x < count; ++x, xPos += xStep) {
      const TTap tap = TapAt(xPos, sw);
      columns[std::size_t(x)] = {std::uint32_t(3 * tap.First), std::uint32_t(3 * tap.Second), tap.Fraction};
    }
    // Leading columns whose right source pixel has a fourth byte inside its row.
    std::int64_t fourByteSafe = 0;
    while (fourByteSafe < count && columns[std::size_t(fourByteSafe)].Right + 4 <= 3 * sw) ++fourByteSafe;
#ifdef KELTA_BILINEAR_AVX2
    if (vector)
      for (std::int64_t x = 0; x < count; ++x)
        std::fill_n(fractionLanes.begin() + 4 * x, 4, columns[std::size_t(x)].Fraction);
#endif

    std::int64_t yPos = (yStep >> 1) - 32768;
    for (std::int64_t r = 0; r < dh; ++r, yPos += yStep) {
      const TTap tap = TapAt(yPos, sh);
      const std::uint32_t fy = tap.Fraction, gy = 65536 - fy;
      const std::uint8_t* top = SourceRow(source, dest, tap.First);
      const std::uint8_t* bottom = SourceRow(source, dest, tap.Second);
      std::uint8_t* out = dest.Rows()[std::size_t(target.Row + r)] + 3 * (target.Column + first);
      const TColumn* column = columns.data();
      std::int64_t x = 0;
#ifdef KELTA_BILINEAR_AVX2
      if (vector) {
        x = BilinearRowAvx2(top, bottom, out, gy, fy, column, fractionLanes.data(), fourByteSafe);
        out += 3 * x;
      }
#endif
      for (; x < count; ++x, out += 3) {
        const TColumn c = column[x];
        // The four weights sum to 65536; every product stays below 2^32.
        const std::uint32_t w01 = (gy * c.Fraction) >> 16, w00 = gy - w01;
        const std::uint32_t w11 = (fy * c.Fraction) >> 16, w10 = fy - w11;
        // All twelve source bytes are read before the first byte is written:
        // byte stores may alias anything, and reads after them are not reordered.
        const std::uint8_t* a = top + c.Left;
        const std::uint8_t* b = top + c.Right;
        const std::uint8_t* d = bottom + c.Left;
        const std::uint8_t* e = bottom + c.Right;
        const std::uint32_t a0 = a[0], a1 = a[1], a2 = a[2], b0 = b[0], b1 = b[1], b2 = b[2];
        const std::uint32_t d0 = d[0], d1 = d[1], d2 = d[2], e0 = e[0], e1 = e[1], e2 = e[2];
        out[0] = std::uint8_t((w00 * a0 + w01 * b0 + w10 * d0 + w11 * e0 + 32768) >> 16);
        out[1] = std::uint8_t((w00 * a1 + w01 * b1 + w10 * d1 + w11 * e1 + 32768) >> 16);
        out[2] = std::uint8_t((w00 * a2 + w01 * b2 + w10 * d2 + w11 * e2 + 32768) >> 16);
      }
    }
  }
}

}  // namespace

void ResampleBilinear(const TFastDIB& source, TFastDIB& dest) { Bilinear(source, dest, Whole(dest), true); }

void ResampleBilinearInto(const TFastDIB& source, TFastDIB& dest, const TRect& area) {
  Bilinear(source, dest, area, true);
}

namespace detail {
void ResampleBilinearPortable(const TFastDIB& source, TFastDIB& dest, const TRect& area) {
  Bilinear(source, dest, area, false);
}
}  // namespace detail

}  // namespace kelta
