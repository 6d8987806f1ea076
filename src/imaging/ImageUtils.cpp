#include "imaging/ImageUtils.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <random>

#include "imaging/ColourTables.h"

namespace kelta {

std::int32_t Clamp(std::int32_t value, std::int32_t low, std::int32_t high) {
  if (value < low) return low;
  if (value > high) return high;
  return value;
}

std::int64_t ScaleHalfEven(std::int64_t a, std::int64_t b, std::int64_t c) {
  const std::int64_t num = a * b;
  std::int64_t q = num / c;
  const std::int64_t twiceRest = 2 * (num % c);
  if (twiceRest > c || (twiceRest == c && (q & 1))) ++q;
  return q;
}

std::string RandomImageName() {
  // Letters and digits are drawn from the first 62 characters only.
  static constexpr char Alphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789*.:()/\\%&+";
  static_assert(sizeof Alphabet - 1 == 72);

  // Seeded from the clock at every call; the counter keeps two calls within
  // one clock tick apart.
  static std::atomic<std::uint64_t> calls{0};
  const auto now = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
  const auto wall = std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count());
  const std::uint64_t call = calls.fetch_add(1, std::memory_order_relaxed);
  std::seed_seq seed{std::uint32_t(now), std::uint32_t(now >> 32), std::uint32_t(wall),
                     std::uint32_t(wall >> 32), std::uint32_t(call), std::uint32_t(call >> 32)};
  std::mt19937 random(seed);
  auto R = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };

  std::string name(8, ' ');
  name[0] = Alphabet[R(26)];                 // an upper-case letter
  const int digitAt = R(7) + 1;              // one of the places 2 .. 8
  name[std::size_t(digitAt)] = Alphabet[52 + R(9)];  // a digit 0 .. 8
  for (std::size_t i = 1; i < 8; ++i) {
    if (name[i] != ' ') continue;
    char c;
    do {
      c = Alphabet[R(62)];
    } while (c == name[i - 1] || (i < 7 && c == name[i + 1]));
    name[i] = c;
  }
  return name;
}

void DrawFrame(COLORREF colour, int penWidth, TFastDIB& bitmap) {
  bitmap.SelectPen(TPenStyle::Solid, penWidth, colour);
  bitmap.SelectBrush(TBrushStyle::Clear, 0, 0);
  bitmap.Rectangle({0, 0, bitmap.Width(), bitmap.RowCount()});
}

bool CopyFrameBits(const FrameView& source, TFastDIB& dib) {
  if (!source || !dib.HoldsBgr24()) return false;
  // A positive Height: the buffer keeps its rows bottom-up, as frames do.
  if (source.width != dib.Width() || source.height != dib.Height() || source.stride != dib.RowStride())
    return false;
  std::memcpy(dib.Bits(), source.data, source.Bytes());
  return true;
}

void AdjustLightness(TFastDIB& dib, std::int32_t amount) {
  if (amount == 0) return;  // the table would be the identity
  const colour::TByteTable t = colour::LightnessTable(amount);
  colour::ApplyTables(dib, t, t, t);
}

void AdjustContrast(TFastDIB& dib, std::int32_t amount) {
  if (amount == 0) return;
  const colour::TByteTable t = colour::ContrastTable(amount);
  colour::ApplyTables(dib, t, t, t);
}

void AdjustSaturation(TFastDIB& dib, std::int32_t amount) {
  // The neutral position keeps the pixels: the mixing formula alone would
  // lighten every byte by one there.
  if (amount == colour::SaturationNeutral || !dib.HoldsBgr24()) return;
  const colour::TSaturationTables s = colour::SaturationTables(amount);
  const std::size_t rowBytes = std::size_t(dib.Width()) * 3;
  for (std::uint8_t* row : dib.Rows()) {
    for (std::size_t i = 0; i < rowBytes; i += 3) {
      const std::int32_t g = s.G[std::size_t(row[i] + row[i + 1] + row[i + 2])];
      for (std::size_t k = i; k < i + 3; ++k)
        row[k] = std::uint8_t(std::clamp(g + s.W[row[k]], 0, 255));
    }
  }
}

void ShiftColors(TFastDIB& dib, std::int32_t red, std::int32_t green, std::int32_t blue) {
  if (red == 0 && green == 0 && blue == 0) return;
  colour::ApplyTables(dib, colour::ShiftTable(blue), colour::ShiftTable(green),
                      colour::ShiftTable(red));
}

}  // namespace kelta
