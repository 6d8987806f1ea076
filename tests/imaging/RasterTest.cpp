#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "imaging/FastDIB.h"
#include "imaging/ImagingTestSupport.h"
#include "support/SamePixels.h"

using namespace kelta;
using namespace kelta::test;

namespace {

constexpr COLORREF PenColour = RGB(200, 10, 20);
constexpr COLORREF BrushColour = RGB(30, 40, 250);

// The picture as text, one string per row from the top: '.' untouched
// (black), 'P' pen colour, 'B' brush colour, '?' anything else.
std::vector<std::string> Picture(const TFastDIB& dib) {
  std::vector<std::string> rows;
  for (int y = 0; y < dib.RowCount(); ++y) {
    std::string row;
    for (int x = 0; x < dib.Width(); ++x) {
      const TBGRColor c = PictureAt(dib, x, y);
      if (c == TBGRColor{0, 0, 0})
        row += '.';
      else if (c == TBGRColor{20, 10, 200})
        row += 'P';
      else if (c == TBGRColor{250, 40, 30})
        row += 'B';
      else
        row += '?';
    }
    rows.push_back(row);
  }
  return rows;
}

struct DrawingCase {
  const char* name;
  int width, height;
  std::function<void(TFastDIB&)> draw;
  std::vector<std::string> expected;
};
void PrintTo(const DrawingCase& c, std::ostream* os) { *os << c.name; }


class DrawingTest : public ::testing::TestWithParam<DrawingCase> {};

TEST_P(DrawingTest, CoversExactlyThesePixels) {
  const DrawingCase& c = GetParam();
  TFastDIB dib;
  dib.SetSize(c.width, c.height, 24);
  dib.Fill({0, 0, 0});
  dib.SelectPen(TPenStyle::Solid, 1, PenColour);
  dib.SelectBrush(TBrushStyle::Solid, 0, BrushColour);
  c.draw(dib);
  EXPECT_EQ(Picture(dib), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Figures, DrawingTest,
    ::testing::Values(
        DrawingCase{"RectangleExcludesRightAndBottom", 7, 5,
                    [](TFastDIB& d) { d.Rectangle({1, 1, 5, 4}); },
                    {".......", ".PPPP..", ".PBBP..", ".PPPP..", "......."}},
        DrawingCase{"RectangleCornersInAnyOrder", 7, 5,
                    [](TFastDIB& d) { d.Rectangle({5, 4, 1, 1}); },
                    {".......", ".PPPP..", ".PBBP..", ".PPPP..", "......."}},
        DrawingCase{"FrameAlongTheEdges", 5, 4,
                    [](TFastDIB& d) {
                      d.SelectBrush(TBrushStyle::Clear, 0, 0);
                      d.Rectangle({0, 0, 5, 4});
                    },
                    {"PPPPP", "P...P", "P...P", "PPPPP"}},
        DrawingCase{"RectangleClippedAtTopLeft", 5, 4,
                    [](TFastDIB& d) { d.Rectangle({-2, -2, 3, 3}); },
                    {"BBP..", "BBP..", "PPP..", "....."}},
        DrawingCase{"RectangleWithoutPenFillsAll", 5, 4,
                    [](TFastDIB& d) {
                      d.SelectPen(TPenStyle::Clear, 1, 0);
                      d.Rectangle({1, 1, 4, 3});
                    },
                    {".....", ".BBB.", ".BBB.", "....."}},
        DrawingCase{"WideRectangleGrowsBothWays", 9, 8,
                    [](TFastDIB& d) {
                      d.SelectPen(TPenStyle::Solid, 3, PenColour);
                      d.Rectangle({1, 1, 7, 6});
                    },
                    {"PPPPPPPP.", "PPPPPPPP.", "PPPPPPPP.", "PPPBBPPP.", "PPPPPPPP.",
                     "PPPPPPPP.", "PPPPPPPP.", "........."}},
        DrawingCase{"EmptyRectangleDrawsNothing", 4, 3,
                    [](TFastDIB& d) { d.Rectangle({2, 0, 2, 3}); },
                    {"....", "....", "...."}},
        DrawingCase{"FillRectExcludesRightAndBottom", 6, 4,
                    [](TFastDIB& d) { d.FillRect({1, 1, 4, 3}); },
                    {"......", ".BBB..", ".BBB..", "......"}},
        DrawingCase{"FillRectClipped", 4, 3,
                    [](TFastDIB& d) { d.FillRect({-5, 2, 100, 100}); },
                    {"....", "....", "BBBB"}},
        DrawingCase{"LineExcludesItsEndPoint", 7, 3,
                    [](TFastDIB& d) {
                      d.MoveTo(1, 1);
                      d.LineTo(5, 1);
                    },
                    {".......", ".PPPP..", "......."}},
        DrawingCase{"ShallowLineSteps", 7, 3,
                    [](TFastDIB& d) {
                      d.MoveTo(0, 0);
                      d.LineTo(6, 2);
                    },
                    {"PP.....", "..PPP..", ".....P."}},
        DrawingCase{"SteepLineUpwards", 3, 5,
                    [](TFastDIB& d) {
                      d.MoveTo(0, 4);
                      d.LineTo(1, 0);
                    },
                    {"...", ".P.", ".P.", "P..", "P.."}},
        DrawingCase{"LineClippedOnBothEnds", 6, 5,
                    [](TFastDIB& d) {
                      d.MoveTo(-3, -3);
                      d.LineTo(100000, 100000);
                    },
                    {"P.....", ".P....", "..P...", "...P..", "....P."}},
        DrawingCase{"PolylineFromThePenPosition", 5, 4,
                    [](TFastDIB& d) {
                      d.MoveTo(0, 0);
                      d.LineTo(4, 0);
                      d.LineTo(4, 3);
                    },
                    {"PPPPP", "....P", "....P", "....."}},
        DrawingCase{"WideLineHasRoundedCapsAndItsEnd", 8, 7,
                    [](TFastDIB& d) {
                      d.SelectPen(TPenStyle::Solid, 4, PenColour);
                      d.MoveTo(2, 3);
                      d.LineTo(5, 3);
                    },
                    {"........", ".PPPPP..", "PPPPPPP.", "PPPPPPP.", ".PPPPP..", "........",
                     "........"}},
        DrawingCase{"ClearPenDrawsNoLine", 4, 2,
                    [](TFastDIB& d) {
                      d.SelectPen(TPenStyle::Clear, 1, PenColour);
                      d.MoveTo(0, 0);
                      d.LineTo(4, 0);
                    },
                    {"....", "...."}},
        DrawingCase{"FilledTriangle", 7, 6,
                    [](TFastDIB& d) {
                      const TPoint points[] = {{1, 1}, {5, 1}, {1, 5}};
                      d.Polygon(points);
                    },
                    {".......", ".PPPPP.", ".PBBP..", ".PBP...", ".PP....", ".P....."}},
        DrawingCase{"PolygonFillLeavesRightAndBottomEdges", 6, 5,
                    [](TFastDIB& d) {
                      d.SelectPen(TPenStyle::Clear, 1, 0);
                      const TPoint points[] = {{1, 1}, {4, 1}, {4, 3}, {1, 3}};
                      d.Polygon(points);
                    },
                    {"......", ".BBB..", ".BBB..", "......", "......"}},
        DrawingCase{"SelfCrossingPolygonFillsEvenOdd", 5, 5,
                    [](TFastDIB& d) {
                      d.SelectPen(TPenStyle::Clear, 1, 0);
                      // Two overlapping squares as one outline: the overlap is outside.
                      const TPoint points[] = {{0, 0}, {3, 0}, {3, 3}, {1, 3}, {1, 1}, {4, 1},
                                               {4, 4}, {0, 4}};
                      d.Polygon(points);
                    },
                    {"BBB..", "B..B.", "B..B.", "BBBB.", "....."}}),
    [](const auto& p) { return std::string(p.param.name); });

// The inverting pen: one call flips exactly the pixels the same figure covers
// with a copying pen, each once, and a second call restores the picture.
struct InvertCase {
  const char* name;
  int penWidth;
  bool brush;
  std::function<void(TFastDIB&)> draw;
};
void PrintTo(const InvertCase& c, std::ostream* os) { *os << c.name; }


class InvertTest : public ::testing::TestWithParam<InvertCase> {};

TEST_P(InvertTest, FlipsEachCoveredPixelOnceAndTwiceRestores) {
  const InvertCase& c = GetParam();
  constexpr int W = 23, H = 17;

  TFastDIB coverage;
  coverage.SetSize(W, H, 24);
  coverage.Fill({0, 0, 0});
  coverage.SelectPen(TPenStyle::Solid, c.penWidth, RGB(255, 255, 255));
  coverage.SelectBrush(c.brush ? TBrushStyle::Solid : TBrushStyle::Clear, 0, RGB(255, 255, 255));
  c.draw(coverage);

  TFastDIB dib = RandomPicture(W, H, 14);
  const TFastDIB original = RandomPicture(W, H, 14);
  dib.SelectPen(TPenStyle::Solid, c.penWidth, PenColour, TPenMode::Invert);
  dib.SelectBrush(c.brush ? TBrushStyle::Solid : TBrushStyle::Clear, 0, BrushColour);
  c.draw(dib);
  int flipped = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const bool covered = PictureAt(coverage, x, y) == TBGRColor{255, 255, 255};
      const TBGRColor o = PictureAt(original, x, y);
      const TBGRColor want =
          covered ? TBGRColor{std::uint8_t(~o.Blue), std::uint8_t(~o.Green), std::uint8_t(~o.Red)} : o;
      ASSERT_EQ(PictureAt(dib, x, y), want) << x << "," << y;
      flipped += covered;
    }
  EXPECT_GT(flipped, 0);

  c.draw(dib);
  EXPECT_TRUE(test::SamePixels(original, dib, "raster"));
  EXPECT_EQ(MemoryOf(dib), MemoryOf(original));
}

INSTANTIATE_TEST_SUITE_P(
    Figures, InvertTest,
    ::testing::Values(
        InvertCase{"ThinRectangle", 1, false, [](TFastDIB& d) { d.Rectangle({2, 3, 15, 12}); }},
        InvertCase{"OneColumnRectangle", 1, false, [](TFastDIB& d) { d.Rectangle({4, 2, 5, 9}); }},
        InvertCase{"OneRowRectangle", 1, false, [](TFastDIB& d) { d.Rectangle({4, 2, 12, 3}); }},
        InvertCase{"WideRectangle", 4, false, [](TFastDIB& d) { d.Rectangle({3, 3, 9, 8}); }},
        InvertCase{"FilledRectangleOverTheEdge", 2, true,
                   [](TFastDIB& d) { d.Rectangle({-4, 5, 30, 12}); }},
        InvertCase{"ThinPolygon", 1, false,
                   [](TFastDIB& d) {
                     const TPoint p[] = {{2, 2}, {20, 4}, {11, 15}, {3, 10}};
                     d.Polygon(p);
                   }},
        InvertCase{"FilledStarWithWidePen", 3, true,
                   [](TFastDIB& d) {
                     const TPoint p[] = {{11, 0}, {15, 16}, {1, 5}, {21, 5}, {6, 16}};
                     d.Polygon(p);
                   }},
        InvertCase{"PolygonBackOnItself", 1, false,
                   [](TFastDIB& d) {
                     const TPoint p[] = {{1, 1}, {15, 8}};
                     d.Polygon(p);
                   }},
        InvertCase{"WideDiagonalLine", 5, false,
                   [](TFastDIB& d) {
                     d.MoveTo(-3, 2);
                     d.LineTo(25, 14);
                   }},
        InvertCase{"ThinSteepLine", 1, false,
                   [](TFastDIB& d) {
                     d.MoveTo(4, 16);
                     d.LineTo(9, 0);
                   }}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Raster, DrawingOnAnEmptyBufferDoesNothing) {
  TFastDIB dib;
  dib.Rectangle({0, 0, 5, 5});
  dib.FillRect({0, 0, 5, 5});
  dib.MoveTo(0, 0);
  dib.LineTo(5, 5);
  const TPoint p[] = {{0, 0}, {4, 0}, {0, 4}};
  dib.Polygon(p);
  EXPECT_TRUE(dib.Empty());
}

TEST(Raster, FarAwayCoordinatesClipWithoutWalkingThem) {
  TFastDIB dib;
  dib.SetSize(4, 3, 24);
  dib.Fill({0, 0, 0});
  dib.SelectPen(TPenStyle::Solid, 3, PenColour, TPenMode::Copy);
  dib.SelectBrush(TBrushStyle::Clear, 0, 0);
  dib.MoveTo(-2000000000, 1);
  dib.LineTo(2000000000, 1);
  const TPoint p[] = {{-2000000000, -2000000000}, {2000000000, 0}, {0, 2000000000}};
  dib.Polygon(p);
  dib.Rectangle({-2000000000, -2000000000, 2000000000, 2000000000});
  EXPECT_EQ(Picture(dib), (std::vector<std::string>{"PPPP", "PPPP", "PPPP"}));
}

}  // namespace
