#include "imaging/ColourTables.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace kelta::colour {

namespace {

// Entries x1 .. x2 rise evenly from y1 towards y2 in 16.16 fixed point:
// step = ((y2 - y1 + 1) * 65536) / n truncated, entry x1 + k =
// floor((y1 * 65536 + k * step) / 65536). The result is kept within a byte.
void Ramp(TByteTable& table, std::int32_t x1, std::int32_t x2, std::int32_t y1, std::int32_t y2) {
  const std::int64_t n = std::int64_t(x2) - x1;
  if (n <= 0) return;
  const std::int64_t step = ((std::int64_t(y2) - y1 + 1) * 65536) / n;
  for (std::int64_t k = 0; k <= n; ++k) {
    const std::int64_t v = (std::int64_t(y1) * 65536 + k * step) >> 16;  // floor
    table[std::size_t(x1 + k)] = std::uint8_t(std::clamp<std::int64_t>(v, 0, 255));
  }
}

}  // namespace

TByteTable IdentityTable() {
  TByteTable t;
  for (std::size_t c = 0; c < t.size(); ++c) t[c] = std::uint8_t(c);
  return t;
}

bool IsIdentity(const TByteTable& table) { return table == IdentityTable(); }

TByteTable LightnessTable(std::int32_t amount) {
  TByteTable t = IdentityTable();
  amount = std::clamp(amount, -255, 255);
  if (amount < 0)
    Ramp(t, 0, 255, 0, 255 + amount);  // towards black
  else
    Ramp(t, 0, 255, amount, 255);  // towards white
  return t;
}

TByteTable ContrastTable(std::int32_t amount) {
  TByteTable t = IdentityTable();
  // Beyond -255 the ramp would leave the byte range; from 128 on the table is
  // the pure threshold at 128 (a larger amount would move the threshold down
  // and turn most of the picture white).
  amount = std::clamp(amount, -255, 128);
  if (amount < 0) {
    Ramp(t, 0, 255, -amount, 255 + amount);  // pulled towards the middle
    return t;
  }
  for (std::int32_t c = 0; c < amount; ++c) t[std::size_t(c)] = 0;
  Ramp(t, amount, 255 - amount, 0, 255);
  // Written last so that they win where the ranges meet.
  for (std::int32_t c = 256 - amount; c <= 255; ++c) t[std::size_t(c)] = 255;
  return t;
}

TByteTable ShiftTable(std::int32_t offset) {
  TByteTable t;
  for (std::size_t c = 0; c < t.size(); ++c)
    t[c] = std::uint8_t(std::clamp<std::int64_t>(std::int64_t(c) + offset, 0, 255));
  return t;
}

TSaturationTables SaturationTables(std::int32_t amount) {
  amount = std::clamp(amount, 0, 510);
  TSaturationTables s;
  for (std::int32_t c = 0; c < 256; ++c) s.W[std::size_t(c)] = ((c + 1) * amount) >> 8;
  for (std::int32_t sum = 0; sum < 768; ++sum) {
    const std::int32_t mean = std::min(sum / 3, 255);
    s.G[std::size_t(sum)] = (mean + 1) - s.W[std::size_t(mean)];
  }
  return s;
}

void ApplyTables(TFastDIB& dib, const TByteTable& blue, const TByteTable& green,
                 const TByteTable& red) {
  if (!dib.HoldsBgr24()) return;
  const std::size_t rowBytes = std::size_t(dib.Width()) * 3;
  if (blue == green && green == red) {
    for (std::uint8_t* row : dib.Rows())
      for (std::size_t i = 0; i < rowBytes; ++i) row[i] = blue[row[i]];
    return;
  }
  // Plain byte lookups: here word-wise access costs more shifting than it saves.
  for (std::uint8_t* row : dib.Rows()) {
    for (std::size_t i = 0; i < rowBytes; i += 3) {
      const std::uint8_t b = row[i], g = row[i + 1], r = row[i + 2];
      row[i] = blue[b];
      row[i + 1] = green[g];
      row[i + 2] = red[r];
    }
  }
}

}  // namespace kelta::colour
