// The row conversion with AVX2, thirty-two pixels a block, the vector rows'
// way (see BgrRow.h). Only these functions use AVX2 (a target attribute each,
// not a file-wide flag, and the block walk's template instantiated for this
// file alone), so the plugin still loads and runs on any x86-64 and no inline
// function of a shared header is ever compiled with AVX2.

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "BgrRow.h"

// The block walk goes inline with the AVX2 block function (see its header).
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#include "BgrRowBlocks.h"
#pragma clang attribute pop
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#include "BgrRowBlocks.h"
#pragma GCC pop_options
#endif

#define KELTA_AVX2 __attribute__((target("avx2")))
// The block helpers go into their callers, which keep the constants in
// registers from block to block.
#define KELTA_AVX2_INLINE inline __attribute__((target("avx2"), always_inline))

namespace kelta::codec {

namespace {

constexpr int Block = 32;  // pixels

KELTA_AVX2_INLINE __m256i Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
KELTA_AVX2_INLINE void Store(void* p, __m256i v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }

// Chroma between its two rows, sixteen samples a step, centred on 0 and
// scaled by 8. A last step that would pass the row's end is moved back to end
// on it.
KELTA_AVX2 void Vertical(const std::uint8_t* a, const std::uint8_t* b, int w0, int w1, int count, std::int16_t* out) {
  const __m256i weight0 = _mm256_set1_epi16(std::int16_t(w0)), weight1 = _mm256_set1_epi16(std::int16_t(w1)),
                centre = _mm256_set1_epi16(1024);
  for (int i = 0;; i += 16) {
    if (i + 16 > count) i = count - 16;
    const __m256i x = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)));
    const __m256i y = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)));
    Store(out + i,
          _mm256_sub_epi16(_mm256_add_epi16(_mm256_mullo_epi16(x, weight0), _mm256_mullo_epi16(y, weight1)), centre));
    if (i + 16 >= count) break;
  }
  out[count] = out[count - 1];
}

KELTA_AVX2_INLINE __m256i Splat(std::int32_t value) { return _mm256_set1_epi32(value); }

using Matrix = BgrMatrix<Splat>;

struct Channels {
  __m256i b, g, r;
};

// One colour of sixteen pixels from the 32-bit sums of their even and odd
// pixels. The result is the high half of each sum, which always fits 16
// bits: shifting the even sums down and blending the odd ones in puts the
// pixels back in order in two instructions, where arithmetic shifts and a
// pack take three and mix the order.
KELTA_AVX2_INLINE __m256i Channel(__m256i lumaEven, __m256i lumaOdd, __m256i uvEven, __m256i uvOdd, __m256i even,
                                  __m256i odd) {
  static_assert(BgrShift == 16);
  const __m256i sumEven = _mm256_add_epi32(lumaEven, _mm256_madd_epi16(uvEven, even));
  const __m256i sumOdd = _mm256_add_epi32(lumaOdd, _mm256_madd_epi16(uvOdd, odd));
  return _mm256_blend_epi16(_mm256_srli_epi32(sumEven, 16), sumOdd, 0xAA);
}

// Sixteen pixels' colours as 16-bit lanes, from their luma (16-bit lanes,
// scaled by 16) and the (U, V) pairs of their even and odd pixels.
KELTA_AVX2_INLINE Channels Pixels16(const Matrix& m, __m256i luma, __m256i uvEven, __m256i uvOdd) {
  const __m256i even = _mm256_add_epi32(_mm256_madd_epi16(luma, m.lumaEven), m.lumaBase);
  const __m256i odd = _mm256_add_epi32(_mm256_madd_epi16(luma, m.lumaOdd), m.lumaBase);
  return {Channel(even, odd, uvEven, uvOdd, m.blueEven, m.blueOdd),
          Channel(even, odd, uvEven, uvOdd, m.greenEven, m.greenOdd),
          Channel(even, odd, uvEven, uvOdd, m.redEven, m.redOdd)};
}

// Interleaving sixteen pixels of each colour (one 128-bit lane) into 48
// bytes with three byte shuffles: each colour is rotated so that every one of
// its bytes already sits where one of the three 16-byte parts wants it, and
// the parts are blended from the three rotated colours. Byte j of
// Rotation[colour] picks the pixel whose colour lands on byte j of whichever
// part takes that colour there.
constexpr auto Rotation = [] {
  std::array<std::array<std::uint8_t, 32>, 3> rotations{};
  for (int colour = 0; colour < 3; ++colour)
    for (int n = 0; n < 48; ++n)
      if (n % 3 == colour) rotations[std::size_t(colour)][std::size_t(n % 16)] = std::uint8_t(n / 3);
  for (auto& rotation : rotations)
    for (int j = 16; j < 32; ++j) rotation[std::size_t(j)] = rotation[std::size_t(j - 16)];
  return rotations;
}();

// Blend masks: all ones where a part's byte takes the blend's second colour.
// Part p's byte j holds colour (16 * p + j) % 3: green over blue, then red.
constexpr auto PartMask = [] {
  std::array<std::array<std::array<std::uint8_t, 32>, 2>, 3> masks{};
  for (int part = 0; part < 3; ++part)
    for (int j = 0; j < 32; ++j) {
      const int colour = (16 * part + j % 16) % 3;
      masks[std::size_t(part)][0][std::size_t(j)] = colour == 1 ? 0xFF : 0;
      masks[std::size_t(part)][1][std::size_t(j)] = colour == 2 ? 0xFF : 0;
    }
  return masks;
}();

KELTA_AVX2_INLINE __m256i Part(__m256i b, __m256i g, __m256i r, int part) {
  const auto& masks = PartMask[std::size_t(part)];
  return _mm256_blendv_epi8(_mm256_blendv_epi8(b, g, Load(masks[0].data())), r, Load(masks[1].data()));
}

// Thirty-two pixels' colour bytes (pixels 0-15 in the low lane, 16-31 in the
// high one) as 96 interleaved bytes.
KELTA_AVX2_INLINE void Interleave32(const Channels& c, std::uint8_t* out) {
  const __m256i b = _mm256_shuffle_epi8(c.b, Load(Rotation[0].data()));
  const __m256i g = _mm256_shuffle_epi8(c.g, Load(Rotation[1].data()));
  const __m256i r = _mm256_shuffle_epi8(c.r, Load(Rotation[2].data()));
  const __m256i p0 = Part(b, g, r, 0), p1 = Part(b, g, r, 1), p2 = Part(b, g, r, 2);
  Store(out, _mm256_permute2x128_si256(p0, p1, 0x20));
  Store(out + 32, _mm256_permute2x128_si256(p2, p0, 0x30));
  Store(out + 64, _mm256_permute2x128_si256(p1, p2, 0x31));
}

// Thirty-two pixels from their luma and the chroma from sample `uHalf` on.
// The unpacks work within each 128-bit lane: luma unpacked from bytes gives
// pixels 0-7 and 16-23, then 8-15 and 24-31, and the chroma pairs unpacked
// from sixteen samples and from their sums with the next fall on the same
// pixels, so nothing needs a permute.
KELTA_AVX2_INLINE void Block32(const Matrix& m, const std::uint8_t* y, const std::int16_t* uHalf,
                               const std::int16_t* vHalf, std::uint8_t* out) {
  const __m256i bytes = Load(y), zero = _mm256_setzero_si256();
  const __m256i lumaLo = _mm256_slli_epi16(_mm256_unpacklo_epi8(bytes, zero), 4);
  const __m256i lumaHi = _mm256_slli_epi16(_mm256_unpackhi_epi8(bytes, zero), 4);
  const __m256i u = Load(uHalf), v = Load(vHalf);
  const __m256i uSum = _mm256_add_epi16(u, Load(uHalf + 1)), vSum = _mm256_add_epi16(v, Load(vHalf + 1));
  const Channels lo = Pixels16(m, lumaLo, _mm256_unpacklo_epi16(u, v), _mm256_unpacklo_epi16(uSum, vSum));
  const Channels hi = Pixels16(m, lumaHi, _mm256_unpackhi_epi16(u, v), _mm256_unpackhi_epi16(uSum, vSum));
  // Packing the two puts pixels 0-15 in the low lane and 16-31 in the high.
  Interleave32({_mm256_packus_epi16(lo.b, hi.b), _mm256_packus_epi16(lo.g, hi.g), _mm256_packus_epi16(lo.r, hi.r)},
               out);
}

}  // namespace

KELTA_AVX2 void ConvertBgrRowAvx2(const std::uint8_t* y, const ChromaRows& chroma, int width, const BgrCoefficients& c,
                                  BgrRowBuffers& buffers, std::uint8_t* out) {
  ConvertRowInBlocks<Block, Vertical, Matrix::Of, Block32>(y, chroma, width, c, buffers, out);
}

}  // namespace kelta::codec

#endif
