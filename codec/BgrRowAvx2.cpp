// The row conversion with AVX2, thirty-two pixels a block. Only these
// functions use AVX2 (a target attribute each, not a file-wide flag), so the
// plugin still loads and runs on any x86-64 and no inline function of a
// shared header is ever compiled with AVX2. The arithmetic is the SSE2 row's,
// in registers twice as wide.

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <array>
#include <cstring>

#include "BgrRow.h"

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
KELTA_AVX2 void Vertical(const std::uint8_t* a, const std::uint8_t* b, int w0, int w1, int count,
                         std::int16_t* out) {
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

// Chroma at every pixel: even pixels on a sample (twice it), odd ones the sum
// of it and the next. The unpacks work within each 128-bit lane, so a block's
// 32 values come out as pixels 0-7, 16-23, 8-15, 24-31: the order in which
// the matrix unpacks luma, so neither side spends a permute. Writes whole
// blocks past the row's end.
KELTA_AVX2 void Horizontal(const std::int16_t* half, int width, std::int16_t* full) {
  for (int x = 0; x < width; x += Block) {
    const __m256i here = Load(half + x / 2), next = Load(half + x / 2 + 1);
    const __m256i even = _mm256_add_epi16(here, here), odd = _mm256_add_epi16(here, next);
    Store(full + x, _mm256_unpacklo_epi16(even, odd));
    Store(full + x + 16, _mm256_unpackhi_epi16(even, odd));
  }
}

struct Matrix {
  __m256i luma, yOffset, blue, red, green;  // pairs for _mm256_madd_epi16
};

KELTA_AVX2 Matrix MakeMatrix(const BgrCoefficients& c) {
  auto pair = [](int low, int high) {
    return std::int32_t(std::uint32_t(std::uint16_t(low)) | (std::uint32_t(std::uint16_t(high)) << 16));
  };
  return {_mm256_set1_epi32(pair(c.y, 1 << 14)), _mm256_set1_epi16(std::int16_t(16 * c.yOffset)),
          _mm256_set1_epi32(pair(c.bu, 0)), _mm256_set1_epi32(pair(0, c.rv)), _mm256_set1_epi32(pair(-c.gu, -c.gv))};
}

struct Channels {
  __m256i b, g, r;
};

// One colour of sixteen pixels from the 32-bit luma terms and the chroma
// pairs, back in 16-bit lanes in the order they came.
KELTA_AVX2_INLINE __m256i Channel(__m256i lumaLo, __m256i lumaHi, __m256i uvLo, __m256i uvHi, __m256i pair) {
  const __m256i lo = _mm256_srai_epi32(_mm256_add_epi32(lumaLo, _mm256_madd_epi16(uvLo, pair)), BgrShift);
  const __m256i hi = _mm256_srai_epi32(_mm256_add_epi32(lumaHi, _mm256_madd_epi16(uvHi, pair)), BgrShift);
  return _mm256_packs_epi32(lo, hi);
}

// Sixteen pixels' colours as 16-bit lanes from luma (16-bit lanes) and
// chroma. Luma pairs with 2 so that one multiply-add also adds the rounding
// 2^15 (2 * 2^14).
KELTA_AVX2_INLINE Channels Pixels16(const Matrix& m, __m256i y, const std::int16_t* u, const std::int16_t* v) {
  const __m256i two = _mm256_set1_epi16(2);
  const __m256i luma = _mm256_sub_epi16(_mm256_slli_epi16(y, 4), m.yOffset);
  const __m256i cu = Load(u), cv = Load(v);
  const __m256i lumaLo = _mm256_madd_epi16(_mm256_unpacklo_epi16(luma, two), m.luma);
  const __m256i lumaHi = _mm256_madd_epi16(_mm256_unpackhi_epi16(luma, two), m.luma);
  const __m256i uvLo = _mm256_unpacklo_epi16(cu, cv), uvHi = _mm256_unpackhi_epi16(cu, cv);
  return {Channel(lumaLo, lumaHi, uvLo, uvHi, m.blue), Channel(lumaLo, lumaHi, uvLo, uvHi, m.green),
          Channel(lumaLo, lumaHi, uvLo, uvHi, m.red)};
}

// Interleaving sixteen pixels of each colour (one 128-bit lane) into 48
// bytes with three byte shuffles: each colour is rotated so that every one of
// its bytes already sits where one of the three 16-byte parts wants it, and
// the parts are blended from the three rotated colours. Rotation[colour][j]
// is the pixel whose colour lands on byte j of whichever part takes it there;
// PartColour[part][j] says which colour byte j of a part holds.
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

KELTA_AVX2_INLINE void Block32(const Matrix& m, const std::uint8_t* y, const std::int16_t* u, const std::int16_t* v,
                        std::uint8_t* out) {
  const __m256i zero = _mm256_setzero_si256(), luma = Load(y);
  // Pixels 0-7 and 16-23, then 8-15 and 24-31, as the chroma lies.
  const Channels first = Pixels16(m, _mm256_unpacklo_epi8(luma, zero), u, v);
  const Channels second = Pixels16(m, _mm256_unpackhi_epi8(luma, zero), u + 16, v + 16);
  // Packing the two puts pixels 0-15 in the low lane and 16-31 in the high.
  Interleave32({_mm256_packus_epi16(first.b, second.b), _mm256_packus_epi16(first.g, second.g),
                _mm256_packus_epi16(first.r, second.r)},
               out);
}

}  // namespace

KELTA_AVX2 void ConvertBgrRowAvx2(const std::uint8_t* y, const ChromaRows& chroma, int width,
                                  const BgrCoefficients& c, BgrRowBuffers& buffers, std::uint8_t* out) {
  const int chromaWidth = (width + 1) / 2;
  Vertical(chroma.u0, chroma.u1, chroma.w0, chroma.w1, chromaWidth, buffers.uHalf());
  Vertical(chroma.v0, chroma.v1, chroma.w0, chroma.w1, chromaWidth, buffers.vHalf());
  Horizontal(buffers.uHalf(), width, buffers.uFull());
  Horizontal(buffers.vHalf(), width, buffers.vFull());
  const Matrix m = MakeMatrix(c);
  int x = 0;
  for (; x + Block <= width; x += Block) Block32(m, y + x, buffers.uFull() + x, buffers.vFull() + x, out + 3 * x);
  if (x < width) {
    // The last pixels through a whole block: luma read no further than the
    // row, bytes written no further than the row.
    std::uint8_t luma[Block] = {}, bgr[3 * Block];
    std::memcpy(luma, y + x, std::size_t(width - x));
    Block32(m, luma, buffers.uFull() + x, buffers.vFull() + x, bgr);
    std::memcpy(out + 3 * x, bgr, 3 * std::size_t(width - x));
  }
}

}  // namespace kelta::codec

#endif
