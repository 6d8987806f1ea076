#pragma once
// What the SSE2 and AVX2 rows share, each with its own vectors and block
// function: the matrix as factor pairs, and the walk along a picture row
// (chroma between its two rows first, then whole blocks of pixels from the
// left, each starting on a chroma sample, then the pixels left over).
//
// The AVX2 row includes this header inside an AVX2 target region, so that
// its block function can go inline. That is safe because the header holds
// templates only: each row instantiates them with its own functions, from an
// unnamed namespace, so no function here exists twice under one name with
// different instruction sets. Whatever it needs must be included before it.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "BgrRow.h"

namespace kelta::codec {

// The matrix as factor pairs for the multiply-adds (see BgrRow.h), in the
// vectors that `Splat(value)` returns with a 32-bit value in every lane.
template <auto Splat>
struct BgrMatrix {
  using Vector = decltype(Splat(0));
  Vector lumaEven, lumaOdd;
  Vector blueEven, greenEven, redEven, blueOdd, greenOdd, redOdd;
  Vector lumaBase;

  static BgrMatrix Of(const BgrCoefficients& c) {
    return {PairOf(c.y, 0),
            PairOf(0, c.y),
            PairOf(2 * c.bu, 0),
            PairOf(-2 * c.gu, -2 * c.gv),
            PairOf(0, 2 * c.rv),
            PairOf(c.bu, 0),
            PairOf(-c.gu, -c.gv),
            PairOf(0, c.rv),
            Splat(BgrLumaBase(c))};
  }

  // Two 16-bit factors, low one first, in every 32-bit lane.
  static Vector PairOf(int low, int high) {
    return Splat(std::int32_t(std::uint32_t(std::uint16_t(low)) | (std::uint32_t(std::uint16_t(high)) << 16)));
  }
};

// `Vertical(row0, row1, weight0, weight1, count, out)` interpolates one chroma
// plane into the row buffers; `MakeMatrix(c)` prepares the coefficients;
// `ConvertBlock(matrix, y, uHalf, vHalf, out)` converts the `Block` pixels
// whose luma is at `y`, reading chroma from the half-width samples at `uHalf`
// and `vHalf` (and the one after them), and writes 3 * Block bytes. The row
// is at least one block wide.
template <int Block, auto Vertical, auto MakeMatrix, auto ConvertBlock>
inline void ConvertRowInBlocks(const std::uint8_t* y, const ChromaRows& chroma, int width, const BgrCoefficients& c,
                               BgrRowBuffers& buffers, std::uint8_t* out) {
  const int chromaWidth = (width + 1) / 2;
  Vertical(chroma.u0, chroma.u1, chroma.w0, chroma.w1, chromaWidth, buffers.UHalf());
  Vertical(chroma.v0, chroma.v1, chroma.w0, chroma.w1, chromaWidth, buffers.VHalf());
  const auto m = MakeMatrix(c);
  const std::int16_t* u = buffers.UHalf();
  const std::int16_t* v = buffers.VHalf();
  int x = 0;
  for (; x + Block <= width; x += Block) ConvertBlock(m, y + x, u + x / 2, v + x / 2, out + 3 * x);
  if (x == width) return;
  if ((width - Block) % 2 == 0) {
    // The last pixels in a block that ends with the row (a block starts on
    // a chroma sample); the pixels it shares with the one before come out
    // the same.
    x = width - Block;
    ConvertBlock(m, y + x, u + x / 2, v + x / 2, out + 3 * x);
  } else {
    // An odd width: the last pixels through a block of copies, luma read and
    // bytes written no further than the row.
    std::uint8_t luma[Block] = {}, bgr[3 * Block];
    std::memcpy(luma, y + x, std::size_t(width - x));
    ConvertBlock(m, luma, u + x / 2, v + x / 2, bgr);
    std::memcpy(out + 3 * x, bgr, 3 * std::size_t(width - x));
  }
}

}  // namespace kelta::codec
