#include <cstdint>

#include "BgrRow.h"

namespace kelta::codec {

namespace {

// The widest vector block reads and writes this far past a row's end.
constexpr std::size_t Overrun = 64;

bool Fits16(int v) { return v >= INT16_MIN && v <= INT16_MAX; }

inline std::uint8_t Clamp(int v) { return std::uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v)); }

}  // namespace

BgrRowBuffers::BgrRowBuffers(int width)
    : Half_(std::size_t((width + 1) / 2) + Overrun),
      Full_(std::size_t(width) + Overrun),
      Chroma_(2 * (Half_ + Full_)),
      Planes_(3 * std::size_t(width)) {}

bool CoefficientsFit16(const BgrCoefficients& c) {
  return Fits16(c.y) && Fits16(2 * c.bu) && Fits16(-2 * c.gu) && Fits16(-2 * c.gv) && Fits16(2 * c.rv);
}

void ConvertBgrRowPortable(const std::uint8_t* y, const ChromaRows& chroma, int width, const BgrCoefficients& c,
                           BgrRowBuffers& buffers, std::uint8_t* out) {
  const int chromaWidth = (width + 1) / 2;
  // Vertical pass, centred: (weights sum 8) minus 128 * 8.
  std::int16_t* ur = buffers.UHalf();
  std::int16_t* vr = buffers.VHalf();
  for (int i = 0; i < chromaWidth; ++i) {
    ur[i] = std::int16_t(chroma.w0 * chroma.u0[i] + chroma.w1 * chroma.u1[i] - 1024);
    vr[i] = std::int16_t(chroma.w0 * chroma.v0[i] + chroma.w1 * chroma.v1[i] - 1024);
  }
  ur[chromaWidth] = ur[chromaWidth - 1];
  vr[chromaWidth] = vr[chromaWidth - 1];
  // Horizontal pass: even pixels on the chroma sample, odd ones halfway to
  // the next; scale 16 either way.
  std::int16_t* uf = buffers.UFull();
  std::int16_t* vf = buffers.VFull();
  for (int i = 0; i < chromaWidth; ++i) {
    uf[2 * i] = std::int16_t(2 * ur[i]);
    uf[2 * i + 1] = std::int16_t(ur[i] + ur[i + 1]);
    vf[2 * i] = std::int16_t(2 * vr[i]);
    vf[2 * i + 1] = std::int16_t(vr[i] + vr[i + 1]);
  }
  // The matrix, one colour plane at a time: plain loops the compiler
  // vectorises.
  const int round = 1 << (BgrShift - 1);
  std::uint8_t* b = buffers.Planes();
  std::uint8_t* g = b + width;
  std::uint8_t* r = g + width;
  for (int x = 0; x < width; ++x) {
    const int l = c.y * (y[x] - c.yOffset) * 16 + round;
    const int u = uf[x], v = vf[x];
    b[x] = Clamp((l + c.bu * u) >> BgrShift);
    g[x] = Clamp((l - c.gu * u - c.gv * v) >> BgrShift);
    r[x] = Clamp((l + c.rv * v) >> BgrShift);
  }
  for (int x = 0; x < width; ++x) {
    out[3 * x] = b[x];
    out[3 * x + 1] = g[x];
    out[3 * x + 2] = r[x];
  }
}

}  // namespace kelta::codec
