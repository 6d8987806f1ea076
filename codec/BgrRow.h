#pragma once
// One picture row of the 4:2:0 to BGR24 conversion (see FastYuvToBgr.h). Each
// instruction set has its own version; all compute the same integers, and
// the portable one is the reference the others are tested against.
//
// The portable row works in three plain passes over row buffers: chroma
// between its two rows, chroma widened to every pixel, then the matrix with
// the bytes interleaved. The vector rows keep the first pass and fold the
// widening into the matrix, in 32-bit sums made by multiply-adds of 16-bit
// pairs (_mm_madd_epi16): luma as 16-bit lanes (16 * Y), whose 32-bit lanes
// hold an even and an odd pixel side by side, so that a multiply-add with
// (y, 0) or (0, y) takes either's luma term without unpacking; chroma as
// (U, V) pairs of the half-width samples: an even pixel sits on its sample
// (scaled by 8, so its coefficients are doubled), an odd one takes the sum of
// its sample and the next (scaled by 16). The colour is the high half of
// each sum, clamped by the saturating pack to bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelta::codec {

// For luma Y and chroma U, V at full width (centred on 0, scaled by 16):
//   blue  = clamp((y * (Y - yOffset) * 16 + 2^15 + bu * U) >> 16)
//   green = clamp((y * (Y - yOffset) * 16 + 2^15 - gu * U - gv * V) >> 16)
//   red   = clamp((y * (Y - yOffset) * 16 + 2^15 + rv * V) >> 16)
struct BgrCoefficients {
  int y, yOffset, bu, gu, gv, rv;
};
inline constexpr int BgrShift = 16;

// The part of every sum that does not depend on the pixel: the rounding 2^15
// less the luma offset's share, for rows that take luma as 16 * Y.
constexpr int BgrLumaBase(const BgrCoefficients& c) { return (1 << (BgrShift - 1)) - 16 * c.y * c.yOffset; }

// The two chroma rows a picture row interpolates between, and their weights
// in eighths (summing to 8).
struct ChromaRows {
  const std::uint8_t *u0, *u1, *v0, *v1;
  int w0, w1;
};

// Scratch rows for pictures up to `width` pixels wide, with room for a
// vector's overrun past the end. The vector rows use only the half-width
// chroma.
class BgrRowBuffers {
 public:
  explicit BgrRowBuffers(int width);

  std::int16_t* UHalf() { return Chroma_.data(); }
  std::int16_t* VHalf() { return Chroma_.data() + Half_; }
  std::int16_t* UFull() { return Chroma_.data() + 2 * Half_; }
  std::int16_t* VFull() { return Chroma_.data() + 2 * Half_ + Full_; }
  std::uint8_t* Planes() { return Planes_.data(); }  // three planes of `width` bytes, for the portable row

 private:
  std::size_t Half_, Full_;
  std::vector<std::int16_t> Chroma_;
  std::vector<std::uint8_t> Planes_;
};

using ConvertBgrRow = void (*)(const std::uint8_t* y, const ChromaRows& chroma, int width, const BgrCoefficients& c,
                               BgrRowBuffers& buffers, std::uint8_t* out);

// Any width from 1.
void ConvertBgrRowPortable(const std::uint8_t* y, const ChromaRows& chroma, int width, const BgrCoefficients& c,
                           BgrRowBuffers& buffers, std::uint8_t* out);

#if defined(__x86_64__) || defined(__i386__)
// Widths from Sse2RowMinWidth and Avx2RowMinWidth (one vector block), with
// coefficients that fit 16 bits (CoefficientsFit16). The AVX2 row runs only
// where the processor has AVX2.
inline constexpr int Sse2RowMinWidth = 16;
inline constexpr int Avx2RowMinWidth = 32;
void ConvertBgrRowSse2(const std::uint8_t* y, const ChromaRows& chroma, int width, const BgrCoefficients& c,
                       BgrRowBuffers& buffers, std::uint8_t* out);
void ConvertBgrRowAvx2(const std::uint8_t* y, const ChromaRows& chroma, int width, const BgrCoefficients& c,
                       BgrRowBuffers& buffers, std::uint8_t* out);
#endif

// The vector rows multiply 16-bit lanes: every coefficient, doubled for the
// even pixels, must fit them. The colour spaces of video all do.
bool CoefficientsFit16(const BgrCoefficients& c);

}  // namespace kelta::codec
