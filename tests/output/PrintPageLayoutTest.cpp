#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "output/PrintPageLayout.h"

using namespace kelta;

namespace {

struct PlanCase {
  std::string Name;
  TPrintPaper Paper;
  int ImageWidth, ImageHeight;
  bool WithText;
};

// 96 page pixels per inch: Letter 8.5 x 11 in, A4 210 x 297 mm.
constexpr TPrintPaper Letter{816, 1056, 0, 0, 0, 0};
constexpr TPrintPaper A4{794, 1123, 0, 0, 0, 0};
constexpr TPrintPaper A4Landscape{1123, 794, 0, 0, 0, 0};
constexpr TPrintPaper A4WideMargins{794, 1123, 150, 140, 130, 120};

void PrintTo(const PlanCase& c, std::ostream* os) { *os << c.Name; }

class PrintPagePlan : public ::testing::TestWithParam<PlanCase> {};

// On every paper the picture keeps its proportions (to the rounding of one
// page pixel), lies inside the margins and the printable area, and is as
// large as they allow along one side.
TEST_P(PrintPagePlan, KeepsProportionsInsideThePrintableArea) {
  const PlanCase& c = GetParam();
  const int nameHeight = 23, memoHeight = 23;
  const TPrintPagePlan plan =
      TPrintPageLayout::Plan(c.Paper, c.ImageWidth, c.ImageHeight, c.WithText, nameHeight, memoHeight);
  const TPreviewRect& r = plan.Image;
  ASSERT_GT(r.Width, 0);
  ASSERT_GT(r.Height, 0);
  const double wanted = double(c.ImageWidth) / c.ImageHeight;
  // One pixel of rounding on the shorter side at most.
  EXPECT_LE(std::abs(r.Width - r.Height * wanted), wanted + 0.5) << r.Width << "x" << r.Height;
  const int left = std::max(96, c.Paper.PrinterLeft), right = std::max(96, c.Paper.PrinterRight);
  const int bottom = std::max(96, c.Paper.PrinterBottom);
  EXPECT_GE(r.Left, left);
  EXPECT_GE(r.Top, c.Paper.PrinterTop);
  EXPECT_LE(r.Left + r.Width, c.Paper.Width - right);
  EXPECT_LE(r.Top + r.Height, c.Paper.Height - bottom);
  const bool fullWidth = r.Width == c.Paper.Width - left - right;
  const bool fullHeight = r.Top + r.Height == c.Paper.Height - bottom;
  EXPECT_TRUE(fullWidth || fullHeight);
  // Centred between the side margins.
  EXPECT_LE(std::abs((r.Left - left) - (c.Paper.Width - right - r.Left - r.Width)), 1);
  if (c.WithText) {
    EXPECT_GE(plan.NameTop, c.Paper.PrinterTop);
    EXPECT_EQ(plan.MemoTop - plan.NameTop, 2 * memoHeight);
    EXPECT_GE(r.Top, plan.MemoTop + memoHeight);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Papers, PrintPagePlan,
    ::testing::Values(PlanCase{"Letter16x9", Letter, 1280, 720, false},
                      PlanCase{"A4Wide16x9WithText", A4, 1280, 720, true},
                      PlanCase{"A4LandscapePal", A4Landscape, 720, 576, true},
                      PlanCase{"A4LandscapeTallPortrait", A4Landscape, 480, 720, false},
                      PlanCase{"LetterTallPortrait", Letter, 480, 720, true},
                      PlanCase{"A4PrinterMarginsBeyondAnInch", A4WideMargins, 1280, 720, true},
                      PlanCase{"LetterThinStrip", Letter, 4000, 3, false}),
    [](const auto& param) { return std::string(param.param.Name); });

TEST(PrintPagePlan, LetterKeepsTheOneInchMarginsAndTopOf50) {
  // 624 x 576 / 720 = 499.2
  const TPrintPagePlan plan = TPrintPageLayout::Plan(Letter, 720, 576, false, 0, 0);
  EXPECT_EQ(plan.Image, (TPreviewRect{96, 50, 624, 499}));
  // With text the lines sit at h and 3h and the picture at 8h.
  const TPrintPagePlan text = TPrintPageLayout::Plan(Letter, 720, 576, true, 20, 20);
  EXPECT_EQ(text.NameTop, 20);
  EXPECT_EQ(text.MemoTop, 60);
  EXPECT_EQ(text.Image.Top, 160);
}

TEST(PrintPagePlan, NoRoomOrNoPictureGivesAnEmptyPicture) {
  EXPECT_EQ(TPrintPageLayout::Plan(Letter, 0, 10, false, 0, 0).Image.Width, 0);
  EXPECT_EQ(TPrintPageLayout::Plan(TPrintPaper{150, 150, 0, 0, 0, 0}, 10, 10, false, 0, 0).Image.Width, 0);
}

}  // namespace
