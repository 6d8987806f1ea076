// The rate shown while playing: measured from the moments frames reach the
// screen, over a full second of this run only.

#include "video/RateMeter.h"

#include <gtest/gtest.h>

namespace {

TEST(RateMeterTest, NothingBeforeAFullSecond) {
  kelta::TRateMeter meter;
  for (std::int64_t t = 0; t < 1000000; t += 40000) EXPECT_FALSE(meter.FrameShown(t)) << t;
  EXPECT_EQ(meter.Rate(), -1.0);
  EXPECT_TRUE(meter.FrameShown(1000000));
  EXPECT_DOUBLE_EQ(meter.Rate(), 25.0);
}

// A start that shows its first frames at once and then keeps pace reads as
// the pace from the second window on, not as a burst.
TEST(RateMeterTest, MeasuresThePaceOfShownFrames) {
  kelta::TRateMeter meter;
  std::int64_t t = 0;
  for (int i = 0; i < 3; ++i) meter.FrameShown(t += 1000);
  for (int i = 0; i < 100; ++i) meter.FrameShown(t += 40000);
  EXPECT_NEAR(meter.Rate(), 25.0, 0.05);
  for (int i = 0; i < 100; ++i) meter.FrameShown(t += 33367);
  EXPECT_NEAR(meter.Rate(), 29.97, 0.01);
}

TEST(RateMeterTest, ARestartForgetsTheLastRun) {
  kelta::TRateMeter meter;
  for (std::int64_t t = 0; t <= 2000000; t += 40000) meter.FrameShown(t);
  ASSERT_GT(meter.Rate(), 0.0);
  meter.Restart();
  EXPECT_EQ(meter.Rate(), -1.0);
  EXPECT_FALSE(meter.FrameShown(5000000));
  EXPECT_EQ(meter.Rate(), -1.0);
}

}  // namespace
