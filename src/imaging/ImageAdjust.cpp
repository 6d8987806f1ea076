#include "imaging/ImageAdjust.h"

#include <algorithm>
#include <array>
#include <cstddef>

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

  const std::size_t rowBytes = std::size_t(dib.Width()) * 3;
  for (std::uint8_t* row : dib.Rows()) {
    for (std::size_t i = 0; i < rowBytes; i += 3) {
      const std::uint32_t b = in[row[i]], gr = in[row[i + 1]], r = in[row[i + 2]];
      const std::int32_t mix = g[(b + gr + r) & 0xFFFF];
      row[i] = out[0][std::size_t(mix + std::int32_t(b >> 16))];
      row[i + 1] = out[1][std::size_t(mix + std::int32_t(gr >> 16))];
      row[i + 2] = out[2][std::size_t(mix + std::int32_t(r >> 16))];
    }
  }
}

}  // namespace

void ApplyAdjustments(TFastDIB& dib, std::int32_t lightness, std::int32_t contrast,
                      std::int32_t saturation, std::int32_t red, std::int32_t green,
                      std::int32_t blue) {
  if (dib.Empty() || dib.BitCount() != 24) return;
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
