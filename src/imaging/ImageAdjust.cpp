#include "imaging/ImageAdjust.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "imaging/ColourTables.h"

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

void MixPass(TFastDIB& dib, const TByteTable& before, std::int32_t saturation,
             const TByteTable& blue, const TByteTable& green, const TByteTable& red) {
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
  colour::ForEachPixel(dib, mix);
}

}  // namespace

void ApplyAdjustments(TFastDIB& dib, std::int32_t lightness, std::int32_t contrast,
                      std::int32_t saturation, std::int32_t red, std::int32_t green,
                      std::int32_t blue) {
  if (dib.Empty() || dib.BitCount() != 24) return;
  if (lightness == 0 && contrast == 0 && saturation == colour::SaturationNeutral && red == 0 &&
      green == 0 && blue == 0)
    return;
  const TByteTable before =
      Compose(colour::LightnessTable(lightness), colour::ContrastTable(contrast));
  const TByteTable b = colour::ShiftTable(blue), g = colour::ShiftTable(green),
                   r = colour::ShiftTable(red);
  if (saturation != colour::SaturationNeutral) {
    MixPass(dib, before, saturation, b, g, r);
    return;
  }
  const TByteTable tb = Compose(before, b), tg = Compose(before, g), tr = Compose(before, r);
  if (colour::IsIdentity(tb) && colour::IsIdentity(tg) && colour::IsIdentity(tr)) return;
  colour::ApplyTables(dib, tb, tg, tr);
}

}  // namespace kelta
