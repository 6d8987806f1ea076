#include "FastYuvToBgr.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kelta::codec {

namespace {

constexpr int Shift = 12;  // fixed-point fraction bits of the matrix

struct Coefficients {
  int y, yOffset, rv, gu, gv, bu;
};

Coefficients Make(const YuvMatrix& m) {
  const double kg = 1.0 - m.kr - m.kb;
  // Chroma arrives scaled by 16 (8 from the vertical weights, 2 from the
  // horizontal sum), luma by 16 too.
  const double ys = m.fullRangeOutput ? 255.0 / 219.0 : 1.0;
  const double cs = (m.fullRangeOutput ? 255.0 : 219.0) / 224.0;
  const double one = double(1 << Shift);
  Coefficients c;
  c.y = int(std::lround(ys * one));
  c.yOffset = m.fullRangeOutput ? 16 : 0;
  c.rv = int(std::lround(2.0 * (1.0 - m.kr) * cs * one));
  c.bu = int(std::lround(2.0 * (1.0 - m.kb) * cs * one));
  c.gu = int(std::lround(2.0 * m.kb * (1.0 - m.kb) / kg * cs * one));
  c.gv = int(std::lround(2.0 * m.kr * (1.0 - m.kr) / kg * cs * one));
  return c;
}

inline std::uint8_t Clamp(int v) { return std::uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// The two chroma rows of a picture row and their weights in eighths. We site
// chroma as swscale's exact path does, so that both give the same pictures:
// chroma row k on luma row 2k + 1, halfway between for the even rows. An
// interlaced picture does this within each field, on that field's chroma rows.
struct ChromaRows {
  int first, second, firstWeight;  // second's weight is 8 - firstWeight
};

ChromaRows RowsFor(int row, bool interlaced, int chromaHeight) {
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

}  // namespace

void ConvertYuv420ToBgr(const YuvPlanes& in, const YuvMatrix& matrix, bool interlaced, int firstRow,
                        int endRow, std::uint8_t* out, int outStride) {
  const Coefficients c = Make(matrix);
  const int width = in.width, chromaWidth = (in.width + 1) / 2, chromaHeight = (in.height + 1) / 2;
  std::vector<std::int16_t> uRow(std::size_t(chromaWidth) + 1), vRow(std::size_t(chromaWidth) + 1);
  const int round = 1 << (Shift + 3);

  for (int row = firstRow; row < endRow; ++row) {
    const ChromaRows cr = RowsFor(row, interlaced, chromaHeight);
    const std::uint8_t* u0 = in.u + std::ptrdiff_t(cr.first) * in.uStride;
    const std::uint8_t* u1 = in.u + std::ptrdiff_t(cr.second) * in.uStride;
    const std::uint8_t* v0 = in.v + std::ptrdiff_t(cr.first) * in.vStride;
    const std::uint8_t* v1 = in.v + std::ptrdiff_t(cr.second) * in.vStride;
    const int w0 = cr.firstWeight, w1 = 8 - w0;
    // Vertical pass, centred: (weights sum 8) minus 128 * 8.
    for (int i = 0; i < chromaWidth; ++i) {
      uRow[std::size_t(i)] = std::int16_t(w0 * u0[i] + w1 * u1[i] - 1024);
      vRow[std::size_t(i)] = std::int16_t(w0 * v0[i] + w1 * v1[i] - 1024);
    }
    uRow[std::size_t(chromaWidth)] = uRow[std::size_t(chromaWidth) - 1];
    vRow[std::size_t(chromaWidth)] = vRow[std::size_t(chromaWidth) - 1];

    const std::uint8_t* y = in.y + std::ptrdiff_t(row) * in.yStride;
    std::uint8_t* dst = out + std::ptrdiff_t(in.height - 1 - row) * outStride;
    // Horizontal pass and matrix, two pixels at a time: the even one on the
    // chroma sample, the odd one halfway to the next.
    for (int x = 0; x < width; x += 2) {
      const int i = x >> 1;
      const int ue = 2 * uRow[std::size_t(i)], ve = 2 * vRow[std::size_t(i)];
      const int uo = uRow[std::size_t(i)] + uRow[std::size_t(i) + 1];
      const int vo = vRow[std::size_t(i)] + vRow[std::size_t(i) + 1];
      for (int p = 0; p < 2 && x + p < width; ++p) {
        const int u = p ? uo : ue, v = p ? vo : ve;
        const int l = c.y * (y[x + p] - c.yOffset) * 16 + round;
        std::uint8_t* px = dst + 3 * (x + p);
        px[0] = Clamp((l + c.bu * u) >> (Shift + 4));
        px[1] = Clamp((l - c.gu * u - c.gv * v) >> (Shift + 4));
        px[2] = Clamp((l + c.rv * v) >> (Shift + 4));
      }
    }
  }
}

}  // namespace kelta::codec
