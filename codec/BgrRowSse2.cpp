// The row conversion with SSE2, which every x86-64 processor has: sixteen
// pixels a block. The same integer arithmetic as the portable row:
// _mm_madd_epi16 forms luma and chroma terms in 32 bits exactly, and the
// saturating packs clamp as the portable row does.

#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

#include <cstring>

#include "BgrRow.h"

namespace kelta::codec {

namespace {

constexpr int Block = 16;  // pixels

__m128i Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
void Store(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }

// Chroma between its two rows, eight samples a step, centred on 0 and scaled
// by 8. A last step that would pass the row's end is moved back to end on it.
void Vertical(const std::uint8_t* a, const std::uint8_t* b, int w0, int w1, int count, std::int16_t* out) {
  const __m128i zero = _mm_setzero_si128(), weight0 = _mm_set1_epi16(std::int16_t(w0)),
                weight1 = _mm_set1_epi16(std::int16_t(w1)), centre = _mm_set1_epi16(1024);
  for (int i = 0;; i += 8) {
    if (i + 8 > count) i = count - 8;
    const __m128i x = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + i)), zero);
    const __m128i y = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + i)), zero);
    Store(out + i, _mm_sub_epi16(_mm_add_epi16(_mm_mullo_epi16(x, weight0), _mm_mullo_epi16(y, weight1)), centre));
    if (i + 8 >= count) break;
  }
  out[count] = out[count - 1];
}

// Chroma at every pixel: even pixels on a sample (twice it), odd ones the sum
// of it and the next. Writes whole blocks past the row's end.
void Horizontal(const std::int16_t* half, int width, std::int16_t* full) {
  for (int x = 0; x < width; x += Block) {
    const __m128i here = Load(half + x / 2), next = Load(half + x / 2 + 1);
    const __m128i even = _mm_add_epi16(here, here), odd = _mm_add_epi16(here, next);
    Store(full + x, _mm_unpacklo_epi16(even, odd));
    Store(full + x + 8, _mm_unpackhi_epi16(even, odd));
  }
}

struct Matrix {
  __m128i luma, yOffset, blue, red, green;  // pairs for _mm_madd_epi16
  explicit Matrix(const BgrCoefficients& c)
      : luma(_mm_set1_epi32(std::int32_t(std::uint32_t(std::uint16_t(c.y)) | (std::uint32_t(1 << 14) << 16)))),
        yOffset(_mm_set1_epi16(std::int16_t(16 * c.yOffset))),
        blue(_mm_set1_epi32(std::int32_t(std::uint16_t(c.bu)))),
        red(_mm_set1_epi32(std::int32_t(std::uint32_t(std::uint16_t(c.rv)) << 16))),
        green(_mm_set1_epi32(
            std::int32_t(std::uint32_t(std::uint16_t(-c.gu)) | (std::uint32_t(std::uint16_t(-c.gv)) << 16)))) {}
};

// Eight pixels' blue, green and red as 16-bit lanes, from their luma (16-bit
// lanes) and chroma. Luma pairs with 2 so that one multiply-add also adds
// the rounding 2^15 (2 * 2^14).
void Pixels8(const Matrix& m, __m128i y, const std::int16_t* u, const std::int16_t* v, __m128i& b, __m128i& g,
             __m128i& r) {
  const __m128i two = _mm_set1_epi16(2);
  const __m128i luma = _mm_sub_epi16(_mm_slli_epi16(y, 4), m.yOffset);
  const __m128i cu = Load(u), cv = Load(v);
  const __m128i lumaLo = _mm_madd_epi16(_mm_unpacklo_epi16(luma, two), m.luma);
  const __m128i lumaHi = _mm_madd_epi16(_mm_unpackhi_epi16(luma, two), m.luma);
  const __m128i uvLo = _mm_unpacklo_epi16(cu, cv), uvHi = _mm_unpackhi_epi16(cu, cv);
  auto channel = [&](__m128i pair) {
    const __m128i lo = _mm_srai_epi32(_mm_add_epi32(lumaLo, _mm_madd_epi16(uvLo, pair)), BgrShift);
    const __m128i hi = _mm_srai_epi32(_mm_add_epi32(lumaHi, _mm_madd_epi16(uvHi, pair)), BgrShift);
    return _mm_packs_epi32(lo, hi);
  };
  b = channel(m.blue);
  g = channel(m.green);
  r = channel(m.red);
}

// Four pixels held as blue, green, red, 0 in 32-bit lanes, squeezed into
// their 12 bytes at the bottom of the register.
__m128i Squeeze4(__m128i p) {
  const __m128i low3 = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
  const __m128i next3 = _mm_set_epi32(0x0000FFFF, static_cast<int>(0xFF000000u), 0x0000FFFF,
                                      static_cast<int>(0xFF000000u));
  const __m128i six = _mm_or_si128(_mm_and_si128(p, low3), _mm_and_si128(_mm_srli_epi64(p, 8), next3));
  const __m128i firstSix = _mm_set_epi32(0, 0, 0x0000FFFF, -1);
  return _mm_or_si128(_mm_and_si128(six, firstSix), _mm_andnot_si128(firstSix, _mm_srli_si128(six, 2)));
}

// Sixteen pixels' blue, green and red bytes as 48 interleaved bytes.
void Interleave16(__m128i b, __m128i g, __m128i r, std::uint8_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i bgLo = _mm_unpacklo_epi8(b, g), bgHi = _mm_unpackhi_epi8(b, g);
  const __m128i r0Lo = _mm_unpacklo_epi8(r, zero), r0Hi = _mm_unpackhi_epi8(r, zero);
  const __m128i p0 = Squeeze4(_mm_unpacklo_epi16(bgLo, r0Lo)), p1 = Squeeze4(_mm_unpackhi_epi16(bgLo, r0Lo));
  const __m128i p2 = Squeeze4(_mm_unpacklo_epi16(bgHi, r0Hi)), p3 = Squeeze4(_mm_unpackhi_epi16(bgHi, r0Hi));
  Store(out, _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
  Store(out + 16, _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
  Store(out + 32, _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
}

void Block16(const Matrix& m, const std::uint8_t* y, const std::int16_t* u, const std::int16_t* v, std::uint8_t* out) {
  const __m128i zero = _mm_setzero_si128(), luma = Load(y);
  __m128i b0, g0, r0, b1, g1, r1;
  Pixels8(m, _mm_unpacklo_epi8(luma, zero), u, v, b0, g0, r0);
  Pixels8(m, _mm_unpackhi_epi8(luma, zero), u + 8, v + 8, b1, g1, r1);
  Interleave16(_mm_packus_epi16(b0, b1), _mm_packus_epi16(g0, g1), _mm_packus_epi16(r0, r1), out);
}

}  // namespace

void ConvertBgrRowSse2(const std::uint8_t* y, const ChromaRows& chroma, int width, const BgrCoefficients& c,
                       BgrRowBuffers& buffers, std::uint8_t* out) {
  const int chromaWidth = (width + 1) / 2;
  Vertical(chroma.u0, chroma.u1, chroma.w0, chroma.w1, chromaWidth, buffers.uHalf());
  Vertical(chroma.v0, chroma.v1, chroma.w0, chroma.w1, chromaWidth, buffers.vHalf());
  Horizontal(buffers.uHalf(), width, buffers.uFull());
  Horizontal(buffers.vHalf(), width, buffers.vFull());
  const Matrix m(c);
  int x = 0;
  for (; x + Block <= width; x += Block) Block16(m, y + x, buffers.uFull() + x, buffers.vFull() + x, out + 3 * x);
  if (x < width) {
    // The last pixels through a whole block: luma read no further than the
    // row, bytes written no further than the row.
    std::uint8_t luma[Block] = {}, bgr[3 * Block];
    std::memcpy(luma, y + x, std::size_t(width - x));
    Block16(m, luma, buffers.uFull() + x, buffers.vFull() + x, bgr);
    std::memcpy(out + 3 * x, bgr, 3 * std::size_t(width - x));
  }
}

}  // namespace kelta::codec

#endif
