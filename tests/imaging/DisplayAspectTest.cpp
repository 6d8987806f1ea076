// A picture's display shape: its size at square pixels, the letterbox
// rectangle it fills inside a panel or a strip cell, and shrinking a picture
// to fit a box whole.

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <vector>

#include "imaging/DisplayAspect.h"
#include "imaging/ImagingTestSupport.h"

using namespace kelta;
using namespace kelta::test;

namespace {

struct TSquareCase {
  const char* Name;
  int Width, Height;
  TDisplayAspect Aspect;
  TPictureSize Expected;
};
void PrintTo(const TSquareCase& c, std::ostream* os) { *os << c.Name; }

class SquarePixels : public ::testing::TestWithParam<TSquareCase> {};

TEST_P(SquarePixels, KeepTheHeightAndGiveTheShape) {
  const TSquareCase& c = GetParam();
  EXPECT_EQ(SquarePixelSize(c.Width, c.Height, c.Aspect), c.Expected);
  // The resampled picture has that size.
  TFastDIB square;
  ToSquarePixels(RandomPicture(c.Width, c.Height, 7), c.Aspect, square);
  EXPECT_EQ(square.Width(), c.Expected.Width);
  EXPECT_EQ(square.RowCount(), c.Expected.Height);
}

INSTANTIATE_TEST_SUITE_P(DisplayAspect, SquarePixels,
                         ::testing::Values(TSquareCase{"Pal4x3", 720, 576, {4, 3}, {768, 576}},
                                           TSquareCase{"Pal16x9", 720, 576, {16, 9}, {1024, 576}},
                                           TSquareCase{"Ntsc4x3", 720, 480, {4, 3}, {640, 480}},
                                           // 853.33: the nearest even width.
                                           TSquareCase{"Ntsc16x9", 720, 480, {16, 9}, {854, 480}},
                                           TSquareCase{"Mpeg1Sif", 352, 288, {110000, 82413}, {384, 288}},
                                           TSquareCase{"AlreadySquare", 640, 480, {4, 3}, {640, 480}},
                                           TSquareCase{"Unknown", 720, 576, {}, {720, 576}}),
                         [](const auto& p) { return std::string(p.param.Name); });

// The ITU shape: the stream's aspect belongs to the middle 704 columns, and
// every stored column keeps the pixel shape that follows (12:11, 16:11, 10:11
// and 40:33 for the four DVD shapes); 704- and 352-wide frames have that
// pixel shape at square pixels already; other sizes get plain square pixels.
class ItuShape : public ::testing::TestWithParam<TSquareCase> {};

TEST_P(ItuShape, GivesThePixelShapeToAllColumns) {
  const TSquareCase& c = GetParam();
  const TDisplayAspect itu = ItuFrameAspect(c.Width, c.Height, c.Aspect);
  EXPECT_EQ(SquarePixelSize(c.Width, c.Height, itu), c.Expected);
  TFastDIB square;
  ToSquarePixels(RandomPicture(c.Width, c.Height, 3), itu, square);
  EXPECT_EQ(square.Width(), c.Expected.Width);
  EXPECT_EQ(square.RowCount(), c.Expected.Height);
}

INSTANTIATE_TEST_SUITE_P(
    DisplayAspect, ItuShape,
    ::testing::Values(TSquareCase{"Pal4x3", 720, 576, {4, 3}, {786, 576}},
                      TSquareCase{"Pal16x9", 720, 576, {16, 9}, {1048, 576}},
                      TSquareCase{"Ntsc4x3", 720, 480, {4, 3}, {654, 480}},
                      TSquareCase{"Ntsc16x9", 720, 480, {16, 9}, {872, 480}},
                      // 704 x 12/11 and 704 x 16/11: the same pixel shape.
                      TSquareCase{"Pal704Wide4x3", 704, 576, {4, 3}, {768, 576}},
                      TSquareCase{"Pal704Wide16x9", 704, 576, {16, 9}, {1024, 576}},
                      TSquareCase{"HalfD1Pal4x3", 352, 576, {4, 3}, {768, 576}},
                      TSquareCase{"Vcd4x3", 352, 288, {4, 3}, {384, 288}},
                      TSquareCase{"HalfSizeOf720Pal", 720, 288, {4, 3}, {392, 288}},
                      TSquareCase{"HdFallsBackToSquare", 1920, 1080, {16, 9}, {1920, 1080}},
                      TSquareCase{"OddWidthFallsBackToSquare", 544, 576, {4, 3}, {768, 576}},
                      TSquareCase{"UnknownStaysUnknown", 720, 576, {}, {720, 576}}),
    [](const auto& p) { return std::string(p.param.Name); });

// A part of a frame keeps the frame's pixel shape: the size at square
// pixels of what remains once black bars are cut off.
struct TRegionCase {
  const char* Name;
  TDisplayAspect Aspect;  // of the 720 x 576 frame
  TRect Region;
  TDisplayAspect Expected;
  TPictureSize Square;
};
void PrintTo(const TRegionCase& c, std::ostream* os) { *os << c.Name; }

class PartOfAFrame : public ::testing::TestWithParam<TRegionCase> {};

TEST_P(PartOfAFrame, KeepsThePixelShape) {
  const TRegionCase& c = GetParam();
  const TDisplayAspect aspect = RegionAspect(c.Aspect, 720, 576, c.Region);
  EXPECT_EQ(aspect, c.Expected);
  EXPECT_EQ(SquarePixelSize(c.Region.WidthOf(), c.Region.HeightOf(), aspect), c.Square);
}

INSTANTIATE_TEST_SUITE_P(
    DisplayAspect, PartOfAFrame,
    ::testing::Values(TRegionCase{"Whole16x9", {16, 9}, {0, 0, 720, 576}, {16, 9}, {1024, 576}},
                      // 2.37:1 in a 16:9 frame: the width square pixels give the whole frame.
                      TRegionCase{"Letterboxed16x9", {16, 9}, {0, 72, 720, 504}, {64, 27}, {1024, 432}},
                      TRegionCase{"Pillarboxed4x3In16x9", {16, 9}, {90, 0, 630, 576}, {4, 3}, {768, 576}},
                      TRegionCase{"ItuShapeOfTheActive704", {20, 11}, {8, 0, 712, 576}, {16, 9}, {1024, 576}},
                      TRegionCase{"UnknownStaysUnknown", {}, {0, 72, 720, 504}, {}, {720, 432}},
                      TRegionCase{"EmptyRegion", {16, 9}, {10, 10, 10, 20}, {}, {0, 10}},
                      TRegionCase{"BeyondTheFrame", {16, 9}, {0, 0, 721, 576}, {}, {721, 576}}),
    [](const auto& p) { return std::string(p.param.Name); });

// A 720 x 576 frame shown at 16:9 holds a circle as an ellipse 0.703 times
// as wide as high; at square pixels it is round again.
TEST(DisplayAspect, ACircleOfA16x9FrameStaysRoundAtSquarePixels) {
  TFastDIB frame;
  frame.SetSize(720, 576, 24);
  frame.Fill(TBGRColor{0, 0, 0});
  const double radius = 200.0, squeeze = 720.0 / 1024.0;
  for (int y = 0; y < 576; ++y)
    for (int x = 0; x < 720; ++x) {
      const double dx = (x + 0.5 - 360.0) / squeeze, dy = y + 0.5 - 288.0;
      if (dx * dx + dy * dy <= radius * radius) std::fill_n(frame.PixelPtr(x, y), 3, std::uint8_t(255));
    }
  TFastDIB square;
  ToSquarePixels(frame, TDisplayAspect{16, 9}, square);
  int left = square.Width(), right = -1, top = square.RowCount(), bottom = -1;
  for (int y = 0; y < square.RowCount(); ++y)
    for (int x = 0; x < square.Width(); ++x)
      if (square.PixelPtr(x, y)[1] >= 128) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  const int width = right - left + 1, height = bottom - top + 1;
  EXPECT_NEAR(width, 400, 2);
  EXPECT_NEAR(height, 400, 2);
}

struct TBoxCase {
  const char* Name;
  int BoxWidth, BoxHeight;
  TDisplayAspect Aspect;
  TRect Expected;
};
void PrintTo(const TBoxCase& c, std::ostream* os) { *os << c.Name; }

class Letterbox : public ::testing::TestWithParam<TBoxCase> {};

TEST_P(Letterbox, CentresThePictureInItsShape) {
  const TBoxCase& c = GetParam();
  EXPECT_EQ(LetterboxRect(c.BoxWidth, c.BoxHeight, c.Aspect), c.Expected);
}

// The main window's 389 x 214 panel picture and a strip cell's 46 x 24 thumbnail.
INSTANTIATE_TEST_SUITE_P(DisplayAspect, Letterbox,
                         ::testing::Values(TBoxCase{"Panel4x3", 389, 214, {4, 3}, {52, 0, 337, 214}},
                                           TBoxCase{"Panel16x9", 389, 214, {16, 9}, {4, 0, 384, 214}},
                                           TBoxCase{"Panel221", 389, 214, {221, 100}, {0, 19, 389, 195}},
                                           TBoxCase{"PanelSquarePal", 389, 214, {5, 4}, {60, 0, 328, 214}},
                                           TBoxCase{"PanelUnknownFillsIt", 389, 214, {}, {0, 0, 389, 214}},
                                           TBoxCase{"Cell4x3", 46, 24, {4, 3}, {7, 0, 39, 24}},
                                           TBoxCase{"Cell16x9", 46, 24, {16, 9}, {1, 0, 44, 24}},
                                           TBoxCase{"CellUnknownFillsIt", 46, 24, {}, {0, 0, 46, 24}}),
                         [](const auto& p) { return std::string(p.param.Name); });

TEST(DisplayAspect, CheckedRefusesWhatNoVideoIs) {
  EXPECT_EQ(TDisplayAspect::Checked(16, 9), (TDisplayAspect{16, 9}));
  EXPECT_EQ(TDisplayAspect::Checked(4, 1), (TDisplayAspect{4, 1}));
  EXPECT_FALSE(TDisplayAspect::Checked(0, 0).Known());
  EXPECT_FALSE(TDisplayAspect::Checked(-4, 3).Known());
  EXPECT_FALSE(TDisplayAspect::Checked(4, 0).Known());
  EXPECT_FALSE(TDisplayAspect::Checked(41, 10).Known());
  EXPECT_FALSE(TDisplayAspect::Checked(1, 5).Known());
}

struct TFitCase {
  const char* Name;
  int Width, Height;
  TPictureSize Expected;
};
void PrintTo(const TFitCase& c, std::ostream* os) { *os << c.Name; }

class ShrinkToFitBox : public ::testing::TestWithParam<TFitCase> {};

// The thumbnail box of 241 x 128 and the thumbnails of the stored shapes.
TEST_P(ShrinkToFitBox, ShowsTheWholePicture) {
  const TFitCase& c = GetParam();
  TFastDIB picture = RandomPicture(c.Width, c.Height, 3);
  const std::vector<std::uint8_t> before = MemoryOf(picture);
  ShrinkToFit(picture, 241, 128);
  EXPECT_EQ((TPictureSize{picture.Width(), picture.RowCount()}), c.Expected);
  if (c.Expected == (TPictureSize{c.Width, c.Height})) {
    EXPECT_EQ(MemoryOf(picture), before);
  }
}

INSTANTIATE_TEST_SUITE_P(DisplayAspect, ShrinkToFitBox,
                         ::testing::Values(TFitCase{"AsCaptured", 200, 160, {160, 128}},
                                           TFitCase{"FourThree", 200, 150, {171, 128}},
                                           TFitCase{"SixteenNineFits", 200, 112, {200, 112}},
                                           TFitCase{"OnePointEightyFiveFits", 200, 108, {200, 108}},
                                           TFitCase{"WiderThanTheBox", 300, 50, {241, 40}}),
                         [](const auto& p) { return std::string(p.param.Name); });

}  // namespace
