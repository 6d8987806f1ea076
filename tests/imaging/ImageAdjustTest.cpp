#include <gtest/gtest.h>

#include <climits>

#include "imaging/ImageAdjust.h"
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

// The one pass gives exactly the four adjustments applied in their order,
// padding included.
TEST_P(FusedAdjustmentTest, EqualsTheFourInOrder) {
  const Settings s = GetParam();
  TFastDIB sequential = RandomPicture(37, 23, 30);
  TFastDIB fused = RandomPicture(37, 23, 30);
  for (int r = 0; r < 23; ++r) sequential.Rows()[std::size_t(r)][111] = fused.Rows()[std::size_t(r)][111] = 0xCD;

  AdjustLightness(sequential, s.lightness);
  AdjustContrast(sequential, s.contrast);
  AdjustSaturation(sequential, s.saturation);
  ShiftColors(sequential, s.red, s.green, s.blue);
  ApplyAdjustments(fused, s.lightness, s.contrast, s.saturation, s.red, s.green, s.blue);

  EXPECT_EQ(MemoryOf(fused), MemoryOf(sequential));
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
                      Settings{3, 5, 9999, 0, 0, 0}));

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
