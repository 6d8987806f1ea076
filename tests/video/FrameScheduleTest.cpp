// Playback pacing as a schedule over a simulated clock: frames come at the
// decoder's rate over a minute, however the decoder's speed varies, and a
// decoder that falls behind restarts the schedule instead of rushing.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "video/FrameSchedule.h"

namespace kelta {
namespace {

struct TPaceCase {
  const char* Name;
  double Rate;
  std::int64_t DecodeMicros;  // what each frame costs before it can be shown
  double ShownRate;           // frames per second over the minute
};

class FrameScheduleTest : public testing::TestWithParam<TPaceCase> {};

// Plays one minute: each frame is decoded, then waited for until due (a wait
// that wakes up to 300 us late, as a sleeping thread does), then shown.
TEST_P(FrameScheduleTest, ShowsFramesAtTheRateOverAMinute) {
  const TPaceCase& c = GetParam();
  TFrameSchedule schedule;
  schedule.SetPeriod(FramePeriodMicros(c.Rate));
  schedule.Restart();
  std::int64_t clock = 1'000'000;
  std::int64_t first = -1, last = 0;
  int frames = 0;
  while (first < 0 || last - first < 60'000'000) {
    clock += c.DecodeMicros;
    if (schedule.Due() > clock) clock = schedule.Due() + (frames * 7919) % 300;
    if (first < 0) first = clock;
    last = clock;
    schedule.FrameShown(clock);
    ++frames;
  }
  const double shown = double(frames - 1) / (double(last - first) / 1e6);
  EXPECT_NEAR(shown, c.ShownRate, c.ShownRate * 0.005) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Rates, FrameScheduleTest,
    testing::Values(TPaceCase{"Pal25", 25.0, 3000, 25.0},
                    TPaceCase{"Ntsc2997", 30000.0 / 1001.0, 3000, 30000.0 / 1001.0},
                    TPaceCase{"Film23976", 24000.0 / 1001.0, 3000, 24000.0 / 1001.0},
                    // 50 ms a frame: never faster than the decoder, never a rush.
                    TPaceCase{"SlowDecoder", 25.0, 50000, 20.0}),
    [](const auto& param) { return std::string(param.param.Name); });

TEST(FrameScheduleTest, FallingBehindRestartsFromNowInsteadOfCatchingUp) {
  TFrameSchedule schedule;
  schedule.SetPeriod(40000);
  schedule.FrameShown(1'000'000);
  EXPECT_EQ(schedule.Due(), 1'040'000);
  schedule.FrameShown(1'040'000);
  EXPECT_EQ(schedule.Due(), 1'080'000);
  // A frame 300 ms late: the next is due at once, then one period apart again.
  schedule.FrameShown(1'380'000);
  EXPECT_EQ(schedule.Due(), 1'380'000);
  schedule.FrameShown(1'380'000);
  EXPECT_EQ(schedule.Due(), 1'420'000);
  schedule.Restart();
  EXPECT_EQ(schedule.Due(), 0);
}

TEST(FrameScheduleTest, PeriodsInMicroseconds) {
  EXPECT_EQ(FramePeriodMicros(25.0), 40000);
  EXPECT_EQ(FramePeriodMicros(30000.0 / 1001.0), 33367);
  EXPECT_EQ(FramePeriodMicros(24000.0 / 1001.0), 41708);
  EXPECT_EQ(FramePeriodMicros(0.5), 1000000);
  EXPECT_EQ(FramePeriodMicros(0.0), 0);
  EXPECT_EQ(FramePeriodMicros(-25.0), 0);
  EXPECT_EQ(FramePeriodMicros(std::nan("")), 0);
  EXPECT_EQ(FramePeriodMicros(INFINITY), 0);
}

}  // namespace
}  // namespace kelta
