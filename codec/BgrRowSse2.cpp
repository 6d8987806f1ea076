// The row conversion with SSE2, which every x86-64 processor has: sixteen
// pixels a block, the vector rows' way (see BgrRow.h).

#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

#include <cstring>

#include "BgrRow.h"
#include "BgrRowBlocks.h"

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

__m128i Splat(std::int32_t value) { return _mm_set1_epi32(value); }

using Matrix = BgrMatrix<Splat>;

struct Channels {
  __m128i b, g, r;
};

// One colour of eight pixels: the high halves of the even and odd pixels'
// 32-bit sums, in pixel order.
__m128i Channel(__m128i lumaEven, __m128i lumaOdd, __m128i uvEven, __m128i uvOdd, __m128i even, __m128i odd) {
  static_assert(BgrShift == 16);
  const __m128i sumEven = _mm_add_epi32(lumaEven, _mm_madd_epi16(uvEven, even));
  const __m128i sumOdd = _mm_add_epi32(lumaOdd, _mm_madd_epi16(uvOdd, odd));
  return _mm_or_si128(_mm_srli_epi32(sumEven, 16), _mm_and_si128(sumOdd, _mm_set1_epi32(int(0xFFFF0000u))));
}

Channels Pixels8(const Matrix& m, __m128i luma, __m128i uvEven, __m128i uvOdd) {
  const __m128i even = _mm_add_epi32(_mm_madd_epi16(luma, m.lumaEven), m.lumaBase);
  const __m128i odd = _mm_add_epi32(_mm_madd_epi16(luma, m.lumaOdd), m.lumaBase);
  return {Channel(even, odd, uvEven, uvOdd, m.blueEven, m.blueOdd),
          Channel(even, odd, uvEven, uvOdd, m.greenEven, m.greenOdd),
          Channel(even, odd, uvEven, uvOdd, m.redEven, m.redOdd)};
}

// Four pixels held as blue, green, red, 0 in 32-bit lanes, squeezed into
// their 12 bytes at the bottom of the register (SSE2 has no byte shuffle).
__m128i Squeeze4(__m128i p) {
  const __m128i low3 = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
  const __m128i next3 =
      _mm_set_epi32(0x0000FFFF, static_cast<int>(0xFF000000u), 0x0000FFFF, static_cast<int>(0xFF000000u));
  const __m128i six = _mm_or_si128(_mm_and_si128(p, low3), _mm_and_si128(_mm_srli_epi64(p, 8), next3));
  const __m128i firstSix = _mm_set_epi32(0, 0, 0x0000FFFF, -1);
  return _mm_or_si128(_mm_and_si128(six, firstSix), _mm_andnot_si128(firstSix, _mm_srli_si128(six, 2)));
}

// Sixteen pixels' blue, green and red bytes as 48 interleaved bytes.
void Interleave16(const Channels& c, std::uint8_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i bgLo = _mm_unpacklo_epi8(c.b, c.g), bgHi = _mm_unpackhi_epi8(c.b, c.g);
  const __m128i r0Lo = _mm_unpacklo_epi8(c.r, zero), r0Hi = _mm_unpackhi_epi8(c.r, zero);
  const __m128i p0 = Squeeze4(_mm_unpacklo_epi16(bgLo, r0Lo)), p1 = Squeeze4(_mm_unpackhi_epi16(bgLo, r0Lo));
  const __m128i p2 = Squeeze4(_mm_unpacklo_epi16(bgHi, r0Hi)), p3 = Squeeze4(_mm_unpackhi_epi16(bgHi, r0Hi));
  Store(out, _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
  Store(out + 16, _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
  Store(out + 32, _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
}

// Sixteen pixels from their luma and the chroma from sample `uHalf` on:
// luma unpacked from bytes gives pixels 0-7, then 8-15, and the chroma pairs
// unpacked from eight samples and from their sums with the next fall on the
// same pixels.
void Block16(const Matrix& m, const std::uint8_t* y, const std::int16_t* uHalf, const std::int16_t* vHalf,
             std::uint8_t* out) {
  const __m128i bytes = Load(y), zero = _mm_setzero_si128();
  const __m128i lumaLo = _mm_slli_epi16(_mm_unpacklo_epi8(bytes, zero), 4);
  const __m128i lumaHi = _mm_slli_epi16(_mm_unpackhi_epi8(bytes, zero), 4);
  const __m128i u = Load(uHalf), v = Load(vHalf);
  const __m128i uSum = _mm_add_epi16(u, Load(uHalf + 1)), vSum = _mm_add_epi16(v, Load(vHalf + 1));
  const Channels lo = Pixels8(m, lumaLo, _mm_unpacklo_epi16(u, v), _mm_unpacklo_epi16(uSum, vSum));
  const Channels hi = Pixels8(m, lumaHi, _mm_unpackhi_epi16(u, v), _mm_unpackhi_epi16(uSum, vSum));
  Interleave16({_mm_packus_epi16(lo.b, hi.b), _mm_packus_epi16(lo.g, hi.g), _mm_packus_epi16(lo.r, hi.r)}, out);
}

}  // namespace

void ConvertBgrRowSse2(const std::uint8_t* y, const ChromaRows& chroma, int width, const BgrCoefficients& c,
                       BgrRowBuffers& buffers, std::uint8_t* out) {
  ConvertRowInBlocks<Block, Vertical, Matrix::Of, Block16>(y, chroma, width, c, buffers, out);
}

}  // namespace kelta::codec

#endif
