// Black bars found in a frame and its neighbours: letterbox, pillarbox and
// both, exactly to the line, and no crop of what only looks like bars (a dark
// scene, a fade to black, a title on black, a black sky).

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <random>
#include <vector>

#include "imaging/BlackBars.h"
#include "imaging/FastDIB.h"
#include "support/LetterboxedFrame.h"

using namespace kelta;

namespace {

constexpr int W = 720, H = 576;

TFastDIB FrameWithPicture(TRect picture, std::uint32_t seed, int width = W, int height = H) {
  return test::LetterboxedFrame(picture, seed, width, height);
}

// Every pixel grey at the luma `level(x, y)` gives.
TFastDIB GreyFrame(const std::function<int(int x, int y)>& level) {
  TFastDIB frame;
  frame.SetSize(W, H, 24);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      std::uint8_t* p = frame.PixelPtr(x, y);
      p[0] = p[1] = p[2] = std::uint8_t(level(x, y));
    }
  return frame;
}

// A night scene: dark grain everywhere and a lit window in the middle.
TFastDIB DarkScene(std::uint32_t seed) {
  std::mt19937 random(seed);
  return GreyFrame([&random](int x, int y) {
    const bool window = x > 300 && x < 420 && y > 240 && y < 330;
    return window ? 200 : int(random() % 29);
  });
}

struct TBarsCase {
  const char* Name;
  std::function<std::vector<TFastDIB>()> Frames;  // the frame first, then its neighbours
  TRect Expected;
};
void PrintTo(const TBarsCase& c, std::ostream* os) { *os << c.Name; }

class BlackBars : public ::testing::TestWithParam<TBarsCase> {};

TEST_P(BlackBars, AreFoundExactlyAndOnlyWhereTheyAre) {
  const std::vector<TFastDIB> frames = GetParam().Frames();
  std::vector<const TFastDIB*> pointers;
  for (const TFastDIB& frame : frames) pointers.push_back(&frame);
  EXPECT_EQ(AreaInsideBlackBars(pointers), GetParam().Expected);
}

std::vector<TFastDIB> Frames(std::initializer_list<TRect> pictures) {
  std::vector<TFastDIB> frames;
  std::uint32_t seed = 1;
  for (const TRect& picture : pictures) frames.push_back(FrameWithPicture(picture, seed++));
  return frames;
}

template <typename... TFrame>
std::vector<TFastDIB> Listed(TFrame&&... frame) {
  std::vector<TFastDIB> frames;
  (frames.push_back(std::move(frame)), ...);
  return frames;
}

INSTANTIATE_TEST_SUITE_P(
    BlackBars, BlackBars,
    ::testing::Values(
        // 2.37:1 in a 16:9 PAL frame, 72 black rows above and below.
        TBarsCase{"Letterbox", [] { return Frames({{0, 72, W, 504}, {0, 72, W, 504}}); }, {0, 72, W, 504}},
        TBarsCase{"LetterboxOffCentreByFour", [] { return Frames({{0, 70, W, 502}}); }, {0, 70, W, 502}},
        // 4:3 in a 16:9 frame, 90 black columns either side.
        TBarsCase{"Pillarbox", [] { return Frames({{90, 0, 630, H}, {90, 0, 630, H}}); }, {90, 0, 630, H}},
        TBarsCase{"Windowbox", [] { return Frames({{90, 72, 630, 504}}); }, {90, 72, 630, 504}},
        // The columns either side of the active 704.
        TBarsCase{"ItuEdgeColumns", [] { return Frames({{8, 0, 712, H}}); }, {8, 0, 712, H}},
        TBarsCase{"NoBars", [] { return Frames({{0, 0, W, H}}); }, {0, 0, W, H}},
        TBarsCase{"BarsThinnerThanOnePercent", [] { return Frames({{0, 3, W, H - 3}}); }, {0, 0, W, H}},
        TBarsCase{"BarOnOneSideOnly", [] { return Frames({{0, 72, W, H}}); }, {0, 0, W, H}},
        TBarsCase{"FadeToBlack", [] { return Listed(GreyFrame([](int, int) { return 0; })); }, {0, 0, W, H}},
        TBarsCase{"TitleOnBlack", [] { return Frames({{100, 270, 620, 306}}); }, {0, 0, W, H}},
        TBarsCase{"DarkScene", [] { return Listed(DarkScene(1), DarkScene(2)); }, {0, 0, W, H}},
        // Flat black sky above a lit street: dark rows at the top only.
        TBarsCase{"BlackSky", [] { return Listed(GreyFrame([](int, int y) { return y / 4; })); }, {0, 0, W, H}},
        // Alone, a scene black above and below looks letterboxed; the frames
        // near it show picture there.
        TBarsCase{"DarkEdgesOfOneFrame", [] { return Frames({{0, 100, W, 476}}); }, {0, 100, W, 476}},
        TBarsCase{"DarkEdgesTheNeighboursFill",
                  [] { return Frames({{0, 100, W, 476}, {0, 100, W, 476}, {0, 0, W, H}}); }, {0, 0, W, H}},
        // A neighbour of another size (another video) has no say.
        TBarsCase{"NeighbourOfAnotherSize",
                  [] { return Listed(FrameWithPicture({0, 72, W, 504}, 1), FrameWithPicture({0, 0, 352, 288}, 2, 352, 288)); },
                  {0, 72, W, 504}}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(BlackBars, NoFramesOrAnEmptyFrame) {
  EXPECT_EQ(AreaInsideBlackBars({}), TRect{});
  const TFastDIB empty;
  const TFastDIB* frames[] = {&empty};
  EXPECT_EQ(AreaInsideBlackBars(frames), TRect{});
}

}  // namespace
