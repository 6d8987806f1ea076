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

// Each further memo line moves the picture down by one line; a memo that
// would leave the picture less than half the height it has beside a one-line
// memo shows only the lines that fit. The text column is the picture's.
TEST(PrintPagePlan, AMemoOfManyLinesMovesThePictureDown) {
  const TPrintPagePlan one = TPrintPageLayout::Plan(Letter, 720, 576, true, 20, 20, 1);
  const TPrintPagePlan three = TPrintPageLayout::Plan(Letter, 720, 576, true, 20, 20, 3);
  EXPECT_EQ(one.MemoLines, 1);
  EXPECT_EQ(three.MemoLines, 3);
  EXPECT_EQ(three.MemoTop, one.MemoTop);
  EXPECT_EQ(three.Image.Top, one.Image.Top + 2 * 20);
  // Beside one line the picture has 1056 - 160 - 96 = 800 rows; half of
  // them, 400, make room for 20 more lines.
  const TPrintPagePlan many = TPrintPageLayout::Plan(Letter, 720, 576, true, 20, 20, 500);
  EXPECT_EQ(many.MemoLines, 21);
  EXPECT_EQ(many.Image, (TPreviewRect{96 + (624 - 500) / 2, 560, 500, 400}));
  EXPECT_EQ(TPrintPageLayout::Plan(Letter, 720, 576, true, 20, 20, 0).MemoLines, 1);
  for (const TPrintPagePlan& plan : {one, many}) {
    EXPECT_EQ(plan.TextLeft, 96);
    EXPECT_EQ(plan.TextWidth, 624);
  }
  const TPrintPagePlan wide = TPrintPageLayout::Plan(A4WideMargins, 720, 576, true, 20, 20, 2);
  EXPECT_EQ(wide.TextLeft, 150);
  EXPECT_EQ(wide.TextWidth, 794 - 150 - 130);
  EXPECT_EQ(TPrintPageLayout::TextWidth(A4WideMargins), wide.TextWidth);
}

TEST(PrintPagePlan, NoRoomOrNoPictureGivesAnEmptyPicture) {
  EXPECT_EQ(TPrintPageLayout::Plan(Letter, 0, 10, false, 0, 0).Image.Width, 0);
  EXPECT_EQ(TPrintPageLayout::Plan(TPrintPaper{150, 150, 0, 0, 0, 0}, 10, 10, false, 0, 0).Image.Width, 0);
}

}  // namespace
