#pragma once
// The lookup tables behind the colour adjustments, shared by the single
// adjustments (ImageUtils) and the fused pass (ImageAdjust), so that both
// give the same pixels by construction of the same tables.

#include <array>
#include <cstdint>
#include <cstring>

#include "imaging/FastDIB.h"

namespace kelta::colour {

using TByteTable = std::array<std::uint8_t, 256>;

// The saturation that leaves every pixel as it is.
constexpr std::int32_t SaturationNeutral = 255;

TByteTable IdentityTable();
bool IsIdentity(const TByteTable& table);

// One table for all three channels.
TByteTable LightnessTable(std::int32_t amount);
TByteTable ContrastTable(std::int32_t amount);
// One channel's shift: entry c = c + offset, limited to 0 .. 255.
TByteTable ShiftTable(std::int32_t offset);

// Saturation mixes each channel with the pixel's mean:
// new c = G[b + g + r] + W[c], limited to 0 .. 255.
struct TSaturationTables {
  std::array<std::int32_t, 256> W;
  std::array<std::int32_t, 768> G;
};
// The amount is limited to 0 .. 510 first.
TSaturationTables SaturationTables(std::int32_t amount);

// Calls pixel(p) for every pixel p = blue | green << 8 | red << 16 of a
// 24-bit buffer and stores the result the same way; row padding untouched.
// Four pixels move as three whole words, neither overlapping the next group
// (an overlapping store would stall the following load), and a row's last
// pixels go byte by byte.
template <class PixelFunction>
void ForEachPixel(TFastDIB& dib, PixelFunction pixel) {
  if (!dib.HoldsBgr24()) return;
  const std::size_t width = std::size_t(dib.Width());
  for (std::uint8_t* row : dib.Rows()) {
    std::uint8_t* p = row;
    std::size_t x = 0;
    for (; x + 4 <= width; x += 4, p += 12) {
      std::uint32_t w[3];
      std::memcpy(w, p, 12);
      const std::uint32_t q0 = pixel(w[0] & 0xFFFFFF);
      const std::uint32_t q1 = pixel((w[0] >> 24) | ((w[1] & 0xFFFF) << 8));
      const std::uint32_t q2 = pixel((w[1] >> 16) | ((w[2] & 0xFF) << 16));
      const std::uint32_t q3 = pixel(w[2] >> 8);
      w[0] = q0 | (q1 << 24);
      w[1] = (q1 >> 8) | (q2 << 16);
      w[2] = (q2 >> 16) | (q3 << 8);
      std::memcpy(p, w, 12);
    }
    for (; x < width; ++x, p += 3) {
      const std::uint32_t q =
          pixel(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16));
      p[0] = std::uint8_t(q);
      p[1] = std::uint8_t(q >> 8);
      p[2] = std::uint8_t(q >> 16);
    }
  }
}

// Replaces every pixel byte by its channel's entry; row padding untouched.
void ApplyTables(TFastDIB& dib, const TByteTable& blue, const TByteTable& green,
                 const TByteTable& red);

}  // namespace kelta::colour
