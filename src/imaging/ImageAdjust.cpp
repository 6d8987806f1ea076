#include "imaging/ImageAdjust.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "imaging/ColourTables.h"
#include "imaging/ImageAdjustDetail.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KELTA_ADJUST_AVX2 1
#endif

namespace kelta {

namespace {

using colour::TByteTable;

// Lightness and contrast are one byte-to-byte table for all channels, the
// shift one per channel. Without saturation they compose into one table per
// channel; with it, they sit on either side of the mixing step.
TByteTable Compose(const TByteTable& first, const TByteTable& then) {
  TByteTable t;
  for (std::size_t c = 0; c < t.size(); ++c) t[c] = then[first[c]];
  return t;
}

// Range of G[sum] + W[c] for amounts 0 .. 510: G from 1 - 510 up to 256, W
// from 0 up to 510. Offsetting by Bias keeps every index positive.
constexpr std::int32_t Bias = 512;
constexpr std::size_t MixRange = 512 + 767 + 1;

#ifdef KELTA_ADJUST_AVX2
// The whole chain as arithmetic on eight pixels at a time, one pixel per
// 32-bit lane: the lightness and contrast ramps, the saturation mix and the
// shift are all integer formulas, so no table is looked up.
struct TVectorPlan {
  // Lightness: L(k) = min(255, (LightBase + k * LightStep) >> 16); skipped when neutral.
  bool Light = false;
  std::int32_t LightBase = 0, LightStep = 0;
  // Contrast below 0: C(v) = clamp((ContrastBase + v * ContrastStep) >> 16, 0, 255).
  // From 0 on, with v first limited to ContrastLow .. ContrastHigh + 1:
  // C(v) = min(255, ((v - ContrastLow) * ContrastStep) >> 16). Skipped when neutral.
  bool Contrast = false, ContrastPulls = false;
  std::int32_t ContrastBase = 0, ContrastStep = 0, ContrastLow = 0, ContrastHigh = 255;
  std::int32_t Saturation = 0;
  // Limiting to a byte, then the shift, as one step: min(max(v, low), high) + shift.
  std::int32_t ShiftLow[3] = {0, 0, 0}, ShiftHigh[3] = {255, 255, 255}, Shift[3] = {0, 0, 0};
};

TVectorPlan PlanFor(std::int32_t lightness, std::int32_t contrast, std::int32_t saturation,
                    std::int32_t red, std::int32_t green, std::int32_t blue) {
  // The same ramps as the tables (ColourTables.cpp); the caller checks the
  // plan against the tables before using it.
  TVectorPlan plan;
  lightness = std::clamp(lightness, -255, 255);
  plan.Light = lightness != 0;
  const std::int32_t ly1 = lightness < 0 ? 0 : lightness, ly2 = lightness < 0 ? 255 + lightness : 255;
  plan.LightBase = ly1 * 65536;
  plan.LightStep = std::int32_t((std::int64_t(ly2 - ly1 + 1) * 65536) / 255);
  // 128 gives the same threshold table as 127.
  contrast = std::clamp(contrast, -255, 127);
  plan.Contrast = contrast != 0;
  if (contrast < 0) {
    const std::int32_t y1 = -contrast, y2 = 255 + contrast;
    plan.ContrastPulls = true;
    plan.ContrastBase = y1 * 65536;
    plan.ContrastStep = std::int32_t((std::int64_t(y2 - y1 + 1) * 65536) / 255);
  } else {
    plan.ContrastLow = contrast;
    plan.ContrastHigh = 255 - contrast;
    plan.ContrastStep = std::int32_t((std::int64_t(256) * 65536) / (255 - 2 * contrast));
  }
  plan.Saturation = std::clamp(saturation, 0, 510);
  const std::int32_t shifts[3] = {blue, green, red};
  for (int ch = 0; ch < 3; ++ch) {
    // Beyond 255 either way every byte ends at the same end.
    const std::int32_t shift = std::clamp(shifts[ch], -255, 255);
    plan.Shift[ch] = shift;
    plan.ShiftLow[ch] = std::max(0, -shift);
    plan.ShiftHigh[ch] = std::min(255, 255 - shift);
  }
  return plan;
}

// The plan's lightness and contrast for one byte, as the vector code computes it.
std::int32_t PlannedBefore(const TVectorPlan& p, std::int32_t k) {
  std::int32_t v = k;
  if (p.Light) v = std::min(255, (p.LightBase + v * p.LightStep) >> 16);
  if (!p.Contrast) return v;
  if (p.ContrastPulls) return std::clamp((p.ContrastBase + v * p.ContrastStep) >> 16, 0, 255);
  v = std::min(std::max(v, p.ContrastLow), p.ContrastHigh + 1);
  return std::min(255, ((v - p.ContrastLow) * p.ContrastStep) >> 16);
}

bool HaveAvx2() {
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}

__attribute__((target("avx2"), always_inline)) inline __m256i Before(const TVectorPlan& p,
                                                                     __m256i v) {
  const __m256i top = _mm256_set1_epi32(255);
  if (p.Light) {
    v = _mm256_add_epi32(_mm256_set1_epi32(p.LightBase),
                         _mm256_mullo_epi32(v, _mm256_set1_epi32(p.LightStep)));
    v = _mm256_min_epi32(_mm256_srai_epi32(v, 16), top);
  }
  if (!p.Contrast) return v;
  if (p.ContrastPulls) {
    v = _mm256_add_epi32(_mm256_set1_epi32(p.ContrastBase),
                         _mm256_mullo_epi32(v, _mm256_set1_epi32(p.ContrastStep)));
    return _mm256_max_epi32(_mm256_min_epi32(_mm256_srai_epi32(v, 16), top), _mm256_setzero_si256());
  }
  const __m256i low = _mm256_set1_epi32(p.ContrastLow);
  v = _mm256_min_epi32(_mm256_max_epi32(v, low), _mm256_set1_epi32(p.ContrastHigh + 1));
  v = _mm256_mullo_epi32(_mm256_sub_epi32(v, low), _mm256_set1_epi32(p.ContrastStep));
  return _mm256_min_epi32(_mm256_srai_epi32(v, 16), top);
}

// W(x) = ((x + 1) * saturation) >> 8
__attribute__((target("avx2"), always_inline)) inline __m256i Weight(__m256i x, __m256i saturation) {
  return _mm256_srli_epi32(_mm256_mullo_epi32(_mm256_add_epi32(x, _mm256_set1_epi32(1)), saturation), 8);
}

__attribute__((target("avx2"))) void MixRowAvx2(const TVectorPlan& p, std::uint8_t* row,
                                                std::size_t groups) {
  // Per 128-bit half: four pixels of twelve bytes; each channel to its own lanes.
  const __m256i channel[3] = {
      _mm256_setr_epi8(0, -1, -1, -1, 3, -1, -1, -1, 6, -1, -1, -1, 9, -1, -1, -1, 0, -1, -1, -1, 3,
                       -1, -1, -1, 6, -1, -1, -1, 9, -1, -1, -1),
      _mm256_setr_epi8(1, -1, -1, -1, 4, -1, -1, -1, 7, -1, -1, -1, 10, -1, -1, -1, 1, -1, -1, -1, 4,
                       -1, -1, -1, 7, -1, -1, -1, 10, -1, -1, -1),
      _mm256_setr_epi8(2, -1, -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1, 2, -1, -1, -1, 5,
                       -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1)};
  const __m256i gather = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1,
                                          2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m256i saturation = _mm256_set1_epi32(p.Saturation);
  const __m256i third = _mm256_set1_epi32(43691);  // (s * 43691) >> 17 = s / 3 for s <= 765
  __m256i low[3], high[3], shift[3];
  for (int ch = 0; ch < 3; ++ch) {
    low[ch] = _mm256_set1_epi32(p.ShiftLow[ch]);
    high[ch] = _mm256_set1_epi32(p.ShiftHigh[ch]);
    shift[ch] = _mm256_set1_epi32(p.Shift[ch]);
  }
  auto load12 = [](const std::uint8_t* at) __attribute__((target("avx2"))) {
    std::int32_t last;
    std::memcpy(&last, at + 8, 4);
    return _mm_insert_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(at)), last, 2);
  };
  auto store12 = [](std::uint8_t* at, __m128i v) __attribute__((target("avx2"))) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(at), v);
    const std::int32_t last = _mm_extract_epi32(v, 2);
    std::memcpy(at + 8, &last, 4);
  };
  for (std::size_t i = 0; i < groups; ++i, row += 24) {
    const __m256i raw = _mm256_set_m128i(load12(row + 12), load12(row));
    __m256i c[3];
    for (int ch = 0; ch < 3; ++ch) c[ch] = Before(p, _mm256_shuffle_epi8(raw, channel[ch]));
    const __m256i sum = _mm256_add_epi32(_mm256_add_epi32(c[0], c[1]), c[2]);
    const __m256i mean = _mm256_srli_epi32(_mm256_mullo_epi32(sum, third), 17);
    const __m256i g = _mm256_sub_epi32(_mm256_add_epi32(mean, _mm256_set1_epi32(1)), Weight(mean, saturation));
    __m256i result = _mm256_setzero_si256();
    for (int ch = 0; ch < 3; ++ch) {
      __m256i v = _mm256_add_epi32(g, Weight(c[ch], saturation));
      v = _mm256_add_epi32(_mm256_min_epi32(_mm256_max_epi32(v, low[ch]), high[ch]), shift[ch]);
      result = _mm256_or_si256(result, _mm256_slli_epi32(v, 8 * ch));
    }
    result = _mm256_shuffle_epi8(result, gather);
    store12(row, _mm256_castsi256_si128(result));
    store12(row + 12, _mm256_extracti128_si256(result, 1));
  }
}
#endif

void MixPass(TFastDIB& dib, const TByteTable& before, std::int32_t saturation,
             const TByteTable& blue, const TByteTable& green, const TByteTable& red,
             [[maybe_unused]] const void* vectorPlan) {
  const colour::TSaturationTables s = colour::SaturationTables(saturation);
  // Per input byte: its value after lightness and contrast (low 16 bits, for
  // the pixel's sum) and that value's own weight W (high 16 bits).
  std::array<std::uint32_t, 256> in;
  for (std::size_t c = 0; c < 256; ++c)
    in[c] = std::uint32_t(before[c]) | (std::uint32_t(s.W[before[c]]) << 16);
  std::array<std::int32_t, 768> g;
  for (std::size_t i = 0; i < g.size(); ++i) g[i] = s.G[i] + Bias;
  // Per channel: the limit to a byte followed by the channel's shift.
  std::array<std::uint8_t, MixRange> out[3];
  const TByteTable* shift[3] = {&blue, &green, &red};
  for (std::size_t ch = 0; ch < 3; ++ch)
    for (std::size_t v = 0; v < MixRange; ++v)
      out[ch][v] = (*shift[ch])[std::size_t(std::clamp<std::int32_t>(std::int32_t(v) - Bias, 0, 255))];

  auto mix = [&](std::uint32_t pixel) {
    const std::uint32_t b = in[pixel & 0xFF], gr = in[(pixel >> 8) & 0xFF], r = in[(pixel >> 16) & 0xFF];
    const std::int32_t m = g[(b + gr + r) & 0xFFFF];
    return std::uint32_t(out[0][std::size_t(m + std::int32_t(b >> 16))]) |
           (std::uint32_t(out[1][std::size_t(m + std::int32_t(gr >> 16))]) << 8) |
           (std::uint32_t(out[2][std::size_t(m + std::int32_t(r >> 16))]) << 16);
  };
#ifdef KELTA_ADJUST_AVX2
  if (vectorPlan) {
    const auto& plan = *static_cast<const TVectorPlan*>(vectorPlan);
    const std::size_t width = std::size_t(dib.Width()), groups = width / 8;
    for (std::uint8_t* row : dib.Rows()) {
      MixRowAvx2(plan, row, groups);
      for (std::uint8_t* p = row + 24 * groups; p < row + 3 * width; p += 3) {
        const std::uint32_t q =
            mix(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16));
        p[0] = std::uint8_t(q);
        p[1] = std::uint8_t(q >> 8);
        p[2] = std::uint8_t(q >> 16);
      }
    }
    return;
  }
#endif
  colour::ForEachPixel(dib, mix);
}

void Apply(TFastDIB& dib, std::int32_t lightness, std::int32_t contrast, std::int32_t saturation,
           std::int32_t red, std::int32_t green, std::int32_t blue, bool vector) {
  if (!dib.HoldsBgr24()) return;
  if (lightness == 0 && contrast == 0 && saturation == colour::SaturationNeutral && red == 0 &&
      green == 0 && blue == 0)
    return;
  const TByteTable before =
      Compose(colour::LightnessTable(lightness), colour::ContrastTable(contrast));
  const TByteTable b = colour::ShiftTable(blue), g = colour::ShiftTable(green),
                   r = colour::ShiftTable(red);
  if (saturation != colour::SaturationNeutral) {
    const void* vectorPlan = nullptr;
#ifdef KELTA_ADJUST_AVX2
    const TVectorPlan plan = PlanFor(lightness, contrast, saturation, red, green, blue);
    bool planned = vector && HaveAvx2();
    for (std::int32_t k = 0; planned && k < 256; ++k) planned = PlannedBefore(plan, k) == before[std::size_t(k)];
    if (planned) vectorPlan = &plan;
#else
    (void)vector;
#endif
    MixPass(dib, before, saturation, b, g, r, vectorPlan);
    return;
  }
  // Without saturation every channel is one composed table: a single lookup per byte.
  const TByteTable tb = Compose(before, b), tg = Compose(before, g), tr = Compose(before, r);
  if (colour::IsIdentity(tb) && colour::IsIdentity(tg) && colour::IsIdentity(tr)) return;
  colour::ApplyTables(dib, tb, tg, tr);
}

}  // namespace

void ApplyAdjustments(TFastDIB& dib, std::int32_t lightness, std::int32_t contrast,
                      std::int32_t saturation, std::int32_t red, std::int32_t green,
                      std::int32_t blue) {
  Apply(dib, lightness, contrast, saturation, red, green, blue, true);
}

namespace detail {
void ApplyAdjustmentsPortable(TFastDIB& dib, std::int32_t lightness, std::int32_t contrast,
                              std::int32_t saturation, std::int32_t red, std::int32_t green,
                              std::int32_t blue) {
  Apply(dib, lightness, contrast, saturation, red, green, blue, false);
}
}  // namespace detail

}  // namespace kelta
