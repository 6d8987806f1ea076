#include "FastYuvToBgr.h"

#include <algorithm>
#include <cmath>

#include "BgrRow.h"

namespace kelta::codec {

namespace {

constexpr int Shift = 12;  // fixed-point fraction bits of the matrix

BgrCoefficients Make(const YuvMatrix& m) {
  const double kg = 1.0 - m.kr - m.kb;
  // Chroma arrives scaled by 16 (8 from the vertical weights, 2 from the
  // horizontal sum), luma by 16 too; the rows shift by Shift + 4.
  static_assert(BgrShift == Shift + 4);
  const double ys = m.fullRangeOutput ? 255.0 / 219.0 : 1.0;
  const double cs = (m.fullRangeOutput ? 255.0 : 219.0) / 224.0;
  const double one = double(1 << Shift);
  BgrCoefficients c;
  c.y = int(std::lround(ys * one));
  c.yOffset = m.fullRangeOutput ? 16 : 0;
  c.rv = int(std::lround(2.0 * (1.0 - m.kr) * cs * one));
  c.bu = int(std::lround(2.0 * (1.0 - m.kb) * cs * one));
  c.gu = int(std::lround(2.0 * m.kb * (1.0 - m.kb) / kg * cs * one));
  c.gv = int(std::lround(2.0 * m.kr * (1.0 - m.kr) / kg * cs * one));
  return c;
}

// The two chroma rows of a picture row and their weights in eighths. We site
// chroma as swscale's exact path does, so that both give the same pictures:
// chroma row k on luma row 2k + 1, halfway between for the even rows. An
// interlaced picture does this within each field, on that field's chroma rows.
struct ChromaRowIndices {
  int first, second, firstWeight;  // second's weight is 8 - firstWeight
};

ChromaRowIndices RowsFor(int row, bool interlaced, int chromaHeight) {
  const int field = interlaced ? (row & 1) : 0;
  const int r = interlaced ? (row >> 1) : row;
  const int step = interlaced ? 2 : 1;
  const int rows = interlaced ? (chromaHeight - field + 1) / 2 : chromaHeight;
  const int last = std::max(0, rows - 1);
  int r0, r1, w0;
  if (r & 1) {
    r0 = r1 = r >> 1;
    w0 = 8;
  } else {
    r0 = (r >> 1) - 1;
    r1 = r >> 1;
    w0 = 4;
  }
  r0 = std::clamp(r0, 0, last);
  r1 = std::clamp(r1, 0, last);
  return {step * r0 + field, step * r1 + field, w0};
}

// The row conversion for `level`, or the next lower one where the picture is
// narrower than the level's block or the matrix does not fit its lanes.
ConvertBgrRow RowConverter(SimdLevel level, int width, const BgrCoefficients& c) {
#if defined(__x86_64__) || defined(__i386__)
  level = std::min(level, BestSimdLevel());
  if (!CoefficientsFit16(c)) return ConvertBgrRowPortable;
  if (level >= SimdLevel::Avx2 && width >= Avx2RowMinWidth) return ConvertBgrRowAvx2;
  if (level >= SimdLevel::Sse2 && width >= Sse2RowMinWidth) return ConvertBgrRowSse2;
#else
  (void)level, (void)width, (void)c;
#endif
  return ConvertBgrRowPortable;
}

}  // namespace

SimdLevel BestSimdLevel() {
#if defined(__x86_64__) || defined(__i386__)
  static const SimdLevel best = __builtin_cpu_supports("avx2") ? SimdLevel::Avx2 : SimdLevel::Sse2;
  return best;
#else
  return SimdLevel::Portable;
#endif
}

const char* SimdLevelName(SimdLevel level) {
  switch (level) {
    case SimdLevel::Sse2:
      return "sse2";
    case SimdLevel::Avx2:
      return "avx2";
    default:
      return "portable";
  }
}

void ConvertYuv420ToBgr(const YuvPlanes& in, const YuvMatrix& matrix, bool interlaced, int firstRow, int endRow,
                        std::uint8_t* out, int outStride, SimdLevel level) {
  const BgrCoefficients c = Make(matrix);
  const ConvertBgrRow convertRow = RowConverter(level, in.width, c);
  const int chromaHeight = (in.height + 1) / 2;
  BgrRowBuffers buffers(in.width);
  for (int row = firstRow; row < endRow; ++row) {
    const ChromaRowIndices rows = RowsFor(row, interlaced, chromaHeight);
    const ChromaRows chroma{in.u + std::ptrdiff_t(rows.first) * in.uStride,
                            in.u + std::ptrdiff_t(rows.second) * in.uStride,
                            in.v + std::ptrdiff_t(rows.first) * in.vStride,
                            in.v + std::ptrdiff_t(rows.second) * in.vStride,
                            rows.firstWeight,
                            8 - rows.firstWeight};
    convertRow(in.y + std::ptrdiff_t(row) * in.yStride, chroma, in.width, c, buffers,
               out + std::ptrdiff_t(in.height - 1 - row) * outStride);
  }
}

}  // namespace kelta::codec
