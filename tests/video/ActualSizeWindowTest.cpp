// The window of the frame at 100 %: the frame's device pixels in logical
// ones, and a window that holds the frame whole or the work area, never
// reaching off it.

#include "video/ActualSizeWindow.h"

#include <gtest/gtest.h>

namespace kelta {
namespace {

TEST(ActualSizeWindowTest, LogicalLengthHoldsEveryDevicePixel) {
  struct TCase {
    int Device;
    double Ratio;
    int Logical;
  };
  const TCase cases[] = {{720, 1.0, 720}, {720, 2.0, 360}, {721, 2.0, 361}, {720, 1.5, 480},
                         {576, 1.25, 461}, {1, 3.0, 1},    {0, 2.0, 0},     {720, 0.0, 720}};
  for (const TCase& c : cases) EXPECT_EQ(LogicalLength(c.Device, c.Ratio), c.Logical) << c.Device << " at " << c.Ratio;
}

TEST(ActualSizeWindowTest, TheWindowHoldsTheContentOrTheWorkArea) {
  const TRect work{100, 30, 1380, 1030};  // 1280 x 1000 beside a panel and below a bar
  const TWindowMargins decoration{4, 28, 4, 4};
  struct TCase {
    TPictureSize Content;
    TRect Expected;
  };
  const TCase cases[] = {
      // Room for it: its own size, centred with its decoration.
      {{720, 606}, {100 + 276 + 4, 30 + 181 + 28, 100 + 276 + 4 + 720, 30 + 181 + 28 + 606}},
      // Too wide: the work area's width less the decoration's, kept on it.
      {{1920, 606}, {104, 30 + 181 + 28, 1376, 30 + 181 + 28 + 606}},
      // Too wide and too high: all of the work area.
      {{3000, 2000}, {104, 58, 1376, 1026}},
  };
  for (const TCase& c : cases) {
    const TRect place = ActualSizeWindowRect(c.Content, work, decoration);
    EXPECT_EQ(place, c.Expected) << c.Content.Width << " x " << c.Content.Height;
    EXPECT_GE(place.Left - decoration.Left, work.Left);
    EXPECT_GE(place.Top - decoration.Top, work.Top);
    EXPECT_LE(place.Right + decoration.Right, work.Right);
    EXPECT_LE(place.Bottom + decoration.Bottom, work.Bottom);
  }
}

}  // namespace
}  // namespace kelta
