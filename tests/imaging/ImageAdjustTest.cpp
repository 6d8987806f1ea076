#include <gtest/gtest.h>

#include <climits>

#include "imaging/ImageAdjust.h"
#include "imaging/ImageAdjustDetail.h"
#include "imaging/ImageUtils.h"
#include "imaging/ImagingTestSupport.h"

using namespace kelta;
using namespace kelta::test;

namespace {

struct Settings {
  int lightness, contrast, saturation, red, green, blue;
};
void PrintTo(const Settings& s, std::ostream* os) {
  *os << s.lightness << "/" << s.contrast << "/" << s.saturation << "/" << s.red << "/" << s.green
      << "/" << s.blue;
}

class FusedAdjustmentTest : public ::testing::TestWithParam<Settings> {};

// Pixels of every channel sum 0 .. 765 (one per column, on two rows), each
// row ending in a padding byte.
TFastDIB EverySum() {
  TFastDIB dib;
  dib.SetSize(766, 2, 24);
  for (std::uint8_t* row : dib.Rows()) {
    for (int s = 0; s < 766; ++s) {
      row[3 * s] = std::uint8_t(s / 3);
      row[3 * s + 1] = std::uint8_t((s + 1) / 3);
      row[3 * s + 2] = std::uint8_t((s + 2) / 3);
    }
    row[2298] = row[2299] = 0xCD;
  }
  return dib;
}

// A random picture of odd width, each row ending in a padding byte.
TFastDIB Random() {
  TFastDIB dib = RandomPicture(37, 23, 30);
  for (std::uint8_t* row : dib.Rows()) row[111] = 0xCD;
  return dib;
}

// The one pass gives exactly the four adjustments applied in their order,
// padding included, on the vector path (where there is one) and without it.
TEST_P(FusedAdjustmentTest, EqualsTheFourInOrder) {
  const Settings s = GetParam();
  for (TFastDIB (*make)() : {&Random, &EverySum}) {
    TFastDIB sequential = make(), fused = make(), portable = make();
    AdjustLightness(sequential, s.lightness);
    AdjustContrast(sequential, s.contrast);
    AdjustSaturation(sequential, s.saturation);
    ShiftColors(sequential, s.red, s.green, s.blue);
    ApplyAdjustments(fused, s.lightness, s.contrast, s.saturation, s.red, s.green, s.blue);
    detail::ApplyAdjustmentsPortable(portable, s.lightness, s.contrast, s.saturation, s.red, s.green,
                                     s.blue);
    EXPECT_EQ(MemoryOf(fused), MemoryOf(sequential));
    EXPECT_EQ(MemoryOf(portable), MemoryOf(sequential));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, FusedAdjustmentTest,
    ::testing::Values(Settings{0, 0, 255, 0, 0, 0}, Settings{40, 0, 255, 0, 0, 0},
                      Settings{-90, 0, 255, 0, 0, 0}, Settings{0, 60, 255, 0, 0, 0},
                      Settings{0, -128, 255, 0, 0, 0}, Settings{0, 128, 255, 0, 0, 0},
                      Settings{0, 0, 0, 0, 0, 0}, Settings{0, 0, 254, 0, 0, 0},
                      Settings{0, 0, 256, 0, 0, 0}, Settings{0, 0, 510, 0, 0, 0},
                      Settings{0, 0, 255, 30, -40, 255}, Settings{25, -30, 255, -10, 20, 0},
                      Settings{25, -30, 400, -10, 20, 7}, Settings{-200, 100, 120, 300, -300, 5},
                      Settings{255, 255, 510, 255, 255, 255}, Settings{-255, -128, 0, -255, -255, -255},
                      Settings{9999, -9999, -50, INT_MAX, INT_MIN, 1},
                      Settings{3, 5, 9999, 0, 0, 0}, Settings{0, 127, 300, 0, 0, 0},
                      Settings{0, 1, 300, 0, 0, 0}, Settings{-1, -1, 1, 1, -1, 1},
                      Settings{77, -200, 310, 256, -256, 100}, Settings{-37, 90, 180, 0, 3, -3}));

TEST(FusedAdjustment, NeutralValuesLeaveEveryByte) {
  TFastDIB dib = RandomPicture(13, 5, 31);
  ApplyAdjustments(dib, 0, 0, 255, 0, 0, 0);
  EXPECT_EQ(MemoryOf(dib), MemoryOf(RandomPicture(13, 5, 31)));
}

TEST(FusedAdjustment, EmptyBufferIsLeftAlone) {
  TFastDIB dib;
  ApplyAdjustments(dib, 10, 10, 10, 10, 10, 10);
  EXPECT_TRUE(dib.Empty());
}

}  // namespace
