// What stepping back costs the plugin's video source, counted in pictures
// decoded: the first step back into a group decodes from the start of that
// group (or of the group before, for its first B-pictures); every further
// step back within the group costs at most three.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>

#include "codec/VideoSource.h"
#include "support/VideoFixture.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using kelta::codec::VideoSource;
using kelta::test::Mpeg2StreamOptions;

namespace {

constexpr std::int64_t CheapStep = 3;

struct CostCase {
  const char* name;
  bool closedGop;
  bool film;
};

void PrintTo(const CostCase& c, std::ostream* os) { *os << c.name; }

class BackStepCost : public ::testing::TestWithParam<CostCase> {};

TEST_P(BackStepCost, RepeatedStepsBackInAGroupDecodeAtMostThreePictures) {
  const CostCase& c = GetParam();
  Mpeg2StreamOptions o;  // 720 x 576 in groups of 12, as on DVDs
  o.frames = 50;
  o.closedGop = c.closedGop;
  if (c.film) kelta::test::UseSoftTelecinedFilm(o);
  const kelta::test::TTempFolder folder;
  const fs::path path = folder / (std::string(c.name) + ".mpg");
  kelta::test::WriteMpeg2ProgramStream(path.string(), o);

  VideoSource video;
  ASSERT_TRUE(video.Open(path.string()));
  ASSERT_EQ(video.FrameCount(), o.frames);
  ASSERT_TRUE(video.SeekFrame(video.FrameCount() - 1));
  ASSERT_NE(video.NextFrame(), nullptr);
  const std::int64_t groups = (o.frames + o.gopSize - 1) / o.gopSize;
  std::int64_t dearSteps = 0;
  for (std::int64_t n = video.FrameCount() - 2; n >= 0; --n) {
    const std::int64_t before = video.PicturesDecoded();
    ASSERT_TRUE(video.SeekFrame(n));
    ASSERT_NE(video.NextFrame(), nullptr);
    ASSERT_EQ(video.FrameNumber(), n);
    const std::int64_t cost = video.PicturesDecoded() - before;
    // From the start of the group before at the most: its pictures, and the
    // first ones of the frame's own group.
    EXPECT_LE(cost, o.gopSize + CheapStep) << "step back to frame " << n;
    if (cost > CheapStep) ++dearSteps;
  }
  EXPECT_LE(dearSteps, groups) << "one dear step back per group";
}

INSTANTIATE_TEST_SUITE_P(Groups, BackStepCost,
                         ::testing::Values(CostCase{"open_groups", false, false},
                                           CostCase{"closed_groups", true, false},
                                           CostCase{"soft_telecined_film", false, true}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
