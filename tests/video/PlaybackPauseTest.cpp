// A scope's pause: playing players pause and play again at the end, also
// when the scope ends with an error; stopped players are left alone.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "video/PlaybackPause.h"

namespace kelta {
namespace {

struct TFakePlayer {
  bool IsPlaying = false;
  std::string Calls;
  bool Playing() const { return IsPlaying; }
  void Pause() {
    IsPlaying = false;
    Calls += "pause ";
  }
  void Play() {
    IsPlaying = true;
    Calls += "play ";
  }
};

enum class TEnd { ScopeEnd, Error, ResumeEarly, StayPaused };

struct TPauseCase {
  const char* Name;
  bool Playing;
  TEnd End;
  const char* Calls;
  bool PlayingAfter;
};

class PlaybackPauseTest : public testing::TestWithParam<TPauseCase> {};

TEST_P(PlaybackPauseTest, PausesForTheScopeAndResumesWhatPlayed) {
  const TPauseCase& c = GetParam();
  TFakePlayer player;
  player.IsPlaying = c.Playing;
  try {
    TPlaybackPause pause(player);
    EXPECT_FALSE(player.IsPlaying);
    EXPECT_EQ(pause.WasPlaying(), c.Playing);
    if (c.End == TEnd::Error) throw std::runtime_error("command failed");
    if (c.End == TEnd::ResumeEarly) pause.Resume();
    if (c.End == TEnd::StayPaused) pause.StayPaused();
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(player.Calls, c.Calls);
  EXPECT_EQ(player.IsPlaying, c.PlayingAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaybackPauseTest,
    testing::Values(TPauseCase{"PlayingScopeEnd", true, TEnd::ScopeEnd, "pause play ", true},
                    TPauseCase{"PlayingError", true, TEnd::Error, "pause play ", true},
                    TPauseCase{"PlayingResumeEarly", true, TEnd::ResumeEarly, "pause play ", true},
                    TPauseCase{"PlayingStayPaused", true, TEnd::StayPaused, "pause ", false},
                    TPauseCase{"StoppedScopeEnd", false, TEnd::ScopeEnd, "", false},
                    TPauseCase{"StoppedResumeEarly", false, TEnd::ResumeEarly, "", false}),
    [](const auto& param) { return std::string(param.param.Name); });

}  // namespace
}  // namespace kelta
