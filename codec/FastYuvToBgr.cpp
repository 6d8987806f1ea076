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
  // Row buffers: chroma after the vertical pass, chroma at full width, and
  // the three colour planes before they are interleaved. Plain loops over
  // them vectorise.
  std::vector<std::int16_t> uRow(std::size_t(chromaWidth) + 1), vRow(std::size_t(chromaWidth) + 1);
  std::vector<std::int32_t> uFull(std::size_t(width) + 1), vFull(std::size_t(width) + 1);
  const auto pixels = static_cast<std::size_t>(width);
  std::vector<std::uint8_t> blue(pixels), green(pixels), red(pixels);
  const int round = 1 << (Shift + 3);

  for (int row = firstRow; row < endRow; ++row) {
    const ChromaRows cr = RowsFor(row, interlaced, chromaHeight);
    const std::uint8_t* u0 = in.u + std::ptrdiff_t(cr.first) * in.uStride;
    const std::uint8_t* u1 = in.u + std::ptrdiff_t(cr.second) * in.uStride;
    const std::uint8_t* v0 = in.v + std::ptrdiff_t(cr.first) * in.vStride;
    const std::uint8_t* v1 = in.v + std::ptrdiff_t(cr.second) * in.vStride;
    const int w0 = cr.firstWeight, w1 = 8 - w0;
    // Vertical pass, centred: (weights sum 8) minus 128 * 8.
    std::int16_t* ur = uRow.data();
    std::int16_t* vr = vRow.data();
    for (int i = 0; i < chromaWidth; ++i) {
      ur[i] = std::int16_t(w0 * u0[i] + w1 * u1[i] - 1024);
      vr[i] = std::int16_t(w0 * v0[i] + w1 * v1[i] - 1024);
    }
    ur[chromaWidth] = ur[chromaWidth - 1];
    vr[chromaWidth] = vr[chromaWidth - 1];
    // Horizontal pass: even pixels on the chroma sample, odd ones halfway to
    // the next; scale 16 either way.
    std::int32_t* uf = uFull.data();
    std::int32_t* vf = vFull.data();
    for (int i = 0; i < chromaWidth; ++i) {
      uf[2 * i] = 2 * ur[i];
      uf[2 * i + 1] = ur[i] + ur[i + 1];
      vf[2 * i] = 2 * vr[i];
      vf[2 * i + 1] = vr[i] + vr[i + 1];
    }
    // The matrix, one colour plane at a time.
    const std::uint8_t* y = in.y + std::ptrdiff_t(row) * in.yStride;
    std::uint8_t* b = blue.data();
    std::uint8_t* g = green.data();
    std::uint8_t* r = red.data();
    for (int x = 0; x < width; ++x) {
      const int l = c.y * (y[x] - c.yOffset) * 16 + round;
      const int u = uf[x], v = vf[x];
      b[x] = Clamp((l + c.bu * u) >> (Shift + 4));
      g[x] = Clamp((l - c.gu * u - c.gv * v) >> (Shift + 4));
      r[x] = Clamp((l + c.rv * v) >> (Shift + 4));
    }
    std::uint8_t* dst = out + std::ptrdiff_t(in.height - 1 - row) * outStride;
    for (int x = 0; x < width; ++x) {
      dst[3 * x] = b[x];
      dst[3 * x + 1] = g[x];
      dst[3 * x + 2] = r[x];
    }
  }
}

}  // namespace kelta::codec
