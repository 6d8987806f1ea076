// Cuts found from the pictures: a title of 50 shots of different patterns
// joined by hard cuts, with a cross-fade and a pan that are no cuts.
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
}

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "capture/CaptureOptions.h"
#include "capture/CaptureRun.h"
#include "capture/SceneCuts.h"
#include "support/TempFolder.h"
#include "support/VideoFixture.h"

namespace kelta {
namespace {

const std::filesystem::path ProgramFolder = KELTA_PROGRAM_DIR;

constexpr int ShotCount = 50;
constexpr int ShotLength = 10;
constexpr int FadeAfterShot = 20;  // shot 20 fades into shot 21 over FadeLength pictures
constexpr int FadeLength = 12;
constexpr int PanShot = 35;        // shot 35 is a pan, PanLength pictures long
constexpr int PanLength = 20;

struct TYuv {
  int y, u, v;
};

std::uint32_t Hash(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

// Shot k's pattern at (x, y): five families of patterns in colours that turn
// round the colour circle from shot to shot.
TYuv ShotPixel(int shot, int x, int y) {
  const double hue = shot * 2.39996;  // the golden angle: neighbours never look alike
  const int u = 128 + int(90 * std::cos(hue));
  const int v = 128 + int(90 * std::sin(hue));
  const int dark = 40 + int(Hash(std::uint32_t(shot)) % 40);
  const int light = 170 + int(Hash(std::uint32_t(shot) + 99) % 60);
  bool on = false;
  switch (shot % 5) {
    case 0: on = ((x / (8 + shot % 7 * 4)) + (y / (8 + shot % 5 * 4))) % 2 == 0; break;
    case 1: on = ((x + y * (1 + shot % 3)) / (10 + shot % 9 * 3)) % 2 == 0; break;
    case 2: {
      const int dx = x - 100 - shot * 3, dy = y - 80 - shot;
      on = int(std::sqrt(double(dx * dx + dy * dy))) / (12 + shot % 4 * 4) % 2 == 0;
      break;
    }
    case 3: return TYuv{std::clamp(dark + (light - dark) * (shot % 2 ? x : y) / 352, 16, 235), u, v};
    default: on = Hash(std::uint32_t(shot * 7919 + (x / 16) * 131 + (y / 16))) % 2 == 0; break;
  }
  return TYuv{on ? light : dark, u, v};
}

// A wide landscape the pan moves over.
TYuv PanPixel(int x, int y) {
  const int luma = 60 + int(80 * (0.5 + 0.5 * std::sin(x / 37.0) * std::cos(y / 23.0)));
  return TYuv{luma, 128 + int(40 * std::sin(x / 90.0)), 128 + int(40 * std::cos(y / 60.0))};
}

// What picture `index` of the title shows.
struct TTitlePlan {
  std::vector<std::int64_t> Cuts;  // first pictures of new shots after a hard cut
  int Pictures = 0;
  // Shot and picture within it, or the fade's step.
  struct TPicture {
    int shot = 0, step = 0;
    bool fade = false;
  };
  std::vector<TPicture> Layout;
};

TTitlePlan PlanTitle() {
  TTitlePlan plan;
  for (int shot = 0; shot < ShotCount; ++shot) {
    if (shot > 0 && shot != FadeAfterShot + 1) plan.Cuts.push_back(std::int64_t(plan.Layout.size()));
    const int length = shot == PanShot ? PanLength : ShotLength;
    for (int step = 0; step < length; ++step) plan.Layout.push_back({shot, step, false});
    if (shot == FadeAfterShot)
      for (int step = 1; step <= FadeLength; ++step) plan.Layout.push_back({shot, step, true});
  }
  plan.Pictures = int(plan.Layout.size());
  return plan;
}

void DrawPicture(const TTitlePlan& plan, AVFrame* picture, int index) {
  const TTitlePlan::TPicture& at = plan.Layout[std::size_t(index)];
  for (int y = 0; y < picture->height; ++y) {
    for (int x = 0; x < picture->width; ++x) {
      TYuv pixel;
      if (at.fade) {
        // Shot 20's last picture into shot 21's first.
        const double mix = double(at.step) / (FadeLength + 1);
        const TYuv from = ShotPixel(at.shot, x + ShotLength - 1, y);
        const TYuv to = ShotPixel(at.shot + 1, x, y);
        pixel = TYuv{int(from.y + (to.y - from.y) * mix), int(from.u + (to.u - from.u) * mix),
                     int(from.v + (to.v - from.v) * mix)};
      } else if (at.shot == PanShot) {
        pixel = PanPixel(x + at.step * 6, y);
      } else {
        pixel = ShotPixel(at.shot, x + at.step, y);  // a slow drift, as a camera never holds still
      }
      picture->data[0][y * picture->linesize[0] + x] = std::uint8_t(pixel.y);
      if (x % 2 == 0 && y % 2 == 0) {
        picture->data[1][(y / 2) * picture->linesize[1] + x / 2] = std::uint8_t(pixel.u);
        picture->data[2][(y / 2) * picture->linesize[2] + x / 2] = std::uint8_t(pixel.v);
      }
    }
  }
}

TEST(SceneCuts, FindsEveryHardCutAtItsFrameAndNoFadeOrPan) {
  test::TTempFolder folder;
  const TTitlePlan plan = PlanTitle();
  test::Mpeg2StreamOptions video;
  video.width = 352;
  video.height = 288;
  video.frames = plan.Pictures;
  video.audio = false;
  video.drawPicture = [&plan](AVFrame* picture, int index) { DrawPicture(plan, picture, index); };
  const std::string path = (folder / "shots.mpg").string();
  test::WriteMpeg2ProgramStream(path, video);

  const TCaptureReport report = RunCapture(
      ParseCaptureOptions({path, "--scenes", "--format", "bmp", "--to", (folder / "stills").string()}), ProgramFolder);
  ASSERT_EQ(report.FrameCount, plan.Pictures);
  std::set<std::int64_t> found;
  for (const TCapturedStill& still : report.Stills) {
    EXPECT_TRUE(still.Error.empty()) << still.Error;
    EXPECT_TRUE(still.SceneScore.has_value());
    found.insert(still.Frame);
  }
  const std::set<std::int64_t> truth(plan.Cuts.begin(), plan.Cuts.end());
  std::vector<std::int64_t> right, missed, wrong;
  std::set_intersection(found.begin(), found.end(), truth.begin(), truth.end(), std::back_inserter(right));
  std::set_difference(truth.begin(), truth.end(), found.begin(), found.end(), std::back_inserter(missed));
  std::set_difference(found.begin(), found.end(), truth.begin(), truth.end(), std::back_inserter(wrong));
  const double precision = found.empty() ? 0 : double(right.size()) / double(found.size());
  const double recall = double(right.size()) / double(truth.size());
  std::string detail = "missed";
  for (auto f : missed) detail += " " + std::to_string(f);
  detail += "; wrong";
  for (auto f : wrong) detail += " " + std::to_string(f);
  std::cout << "cuts " << truth.size() << ", found " << found.size() << ", precision " << precision << ", recall "
            << recall << " (" << detail << ")\n";
  EXPECT_GE(precision, 0.98) << detail;
  EXPECT_GE(recall, 0.98) << detail;
}

// The rule itself: a lone jump among quiet neighbours is a cut, steady
// change (a fade, a pan) is none, however large, and nothing below the floor.
TEST(SceneCuts, ALoneJumpIsACutSteadyChangeIsNone) {
  const struct {
    const char* what;
    std::vector<double> differences;
    std::vector<std::int64_t> cuts;
  } cases[] = {
      {"a cut between quiet shots", {0, 1, 1.5, 1, 60, 1, 1, 1.2, 1}, {4}},
      {"grain only", {0, 3, 5, 4, 6, 5, 3, 4, 5}, {}},
      {"a fade", {0, 1, 1, 9, 9, 9, 9, 9, 9, 1, 1}, {}},
      {"a pan", {0, 25, 26, 24, 25, 27, 25, 24, 26}, {}},
      {"a cut into a pan", {0, 1, 1, 1, 90, 20, 21, 20, 22}, {4}},
      {"a small jump below the floor", {0, 0.5, 0.5, 0.5, 10, 0.5, 0.5, 0.5}, {}},
      {"the last picture", {0, 1, 1, 1, 1, 80}, {5}},
  };
  for (const auto& c : cases) {
    std::vector<std::int64_t> frames;
    for (const TSceneCut& cut : FindSceneCuts(c.differences)) frames.push_back(cut.Frame);
    EXPECT_EQ(frames, c.cuts) << c.what;
  }
}

}  // namespace
}  // namespace kelta
