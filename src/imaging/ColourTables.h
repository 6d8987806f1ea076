#pragma once
// The lookup tables behind the colour adjustments, shared by the single
// adjustments (ImageUtils) and the fused pass (ImageAdjust), so that both
// give the same pixels by construction of the same tables.

#include <array>
#include <cstdint>

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

// Replaces every pixel byte by its channel's entry; row padding untouched.
void ApplyTables(TFastDIB& dib, const TByteTable& blue, const TByteTable& green,
                 const TByteTable& red);

}  // namespace kelta::colour
