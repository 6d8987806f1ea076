#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "output/HTMLExporter.h"

namespace kelta {
namespace {

constexpr TCharCell kSquare{1, 1};  // one pixel row per text line, one column per pixel
const std::string kHead = "<head>", kFoot = "<foot>";

TFastDIB Solid(int w, int h, TBGRColor c) {
  TFastDIB dib;
  dib.SetSize(w, h, 24);
  dib.Fill(c);
  return dib;
}

void SetPixel(TFastDIB& dib, int x, int y, TBGRColor c) {
  std::uint8_t* p = dib.PixelPtr(x, y);
  p[0] = c.Blue, p[1] = c.Green, p[2] = c.Red;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto i = text.find(what); i != std::string::npos; i = text.find(what, i + 1)) ++n;
  return n;
}

TEST(HtmlHex, RedGreenBlueInUpperCase) {
  EXPECT_EQ(ColorToHtmlHex(RGB(0, 0, 0)), "000000");
  EXPECT_EQ(ColorToHtmlHex(RGB(255, 0, 0)), "FF0000");
  EXPECT_EQ(ColorToHtmlHex(RGB(26, 11, 255)), "1A0BFF");
  EXPECT_EQ(ColorToHtmlHex(RGB(1, 0xAB, 0xCD)), "01ABCD");
}

struct MulDivCase {
  std::int32_t a, b, c, want;
};
class MulDivRounding : public ::testing::TestWithParam<MulDivCase> {};
TEST_P(MulDivRounding, HalvesAwayFromZero) {
  const auto& p = GetParam();
  EXPECT_EQ(MulDiv(p.a, p.b, p.c), p.want) << p.a << "*" << p.b << "/" << p.c;
}
INSTANTIATE_TEST_SUITE_P(Table, MulDivRounding,
                         ::testing::Values(MulDivCase{720, 13, 5, 1872}, MulDivCase{576, 180, 1872, 55},
                                           MulDivCase{5, 1, 2, 3}, MulDivCase{-5, 1, 2, -3}, MulDivCase{5, 1, -2, -3},
                                           MulDivCase{7, 1, 4, 2}, MulDivCase{5, 1, 4, 1},
                                           MulDivCase{2000000000, 2000000000, 2000000000, 2000000000},
                                           MulDivCase{1, 1, 0, -1}));

struct GridCase {
  const char* name;
  int width, height, maxColumns, maxRows;
  TCharCell cell;
  TCharGrid want;
};
class CharGrid : public ::testing::TestWithParam<GridCase> {};
TEST_P(CharGrid, Fits) {
  const auto& p = GetParam();
  TFastDIB dib;
  dib.SetSize(p.width, p.height, 24);
  const TCharGrid got = FitToCharGrid(dib, p.maxColumns, p.maxRows, p.cell.Height, p.cell.Width);
  EXPECT_EQ(got.Columns, p.want.Columns);
  EXPECT_EQ(got.Rows, p.want.Rows);
}
INSTANTIATE_TEST_SUITE_P(
    Table, CharGrid,
    ::testing::Values(GridCase{"FrameIntoAHundredEightyColumns", 720, 576, 180, 0, {13, 5}, {180, 55}},
                      GridCase{"NoLimits", 720, 576, 0, 0, {13, 5}, {1872, 576}},
                      GridCase{"BothMaximaLarger", 10, 4, 100, 100, {13, 5}, {26, 4}},
                      GridCase{"HeightLimits", 10, 40, 100, 20, {1, 1}, {5, 20}},
                      GridCase{"EqualRatiosLetTheHeightLimit", 10, 10, 5, 5, {1, 1}, {5, 5}},
                      GridCase{"WidthLimits", 100, 10, 20, 8, {1, 1}, {20, 2}},
                      GridCase{"EmptyPicture", 0, 0, 180, 0, {13, 5}, {0, 0}}),
    [](const ::testing::TestParamInfo<GridCase>& p) { return std::string(p.param.name); });

TEST(CharGridScale, PicksSourcePixelsWithoutAveraging) {
  TFastDIB board = Solid(64, 64, {0, 0, 0});
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      if ((x + y) % 2) SetPixel(board, x, y, {255, 255, 255});
  const TFastDIB small = ScaleToCharGrid(board, 10, 0, kSquare);
  ASSERT_EQ(small.Width(), 10);
  ASSERT_EQ(small.RowCount(), 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const std::uint8_t v = small.PixelPtr(x, y)[0];
      EXPECT_TRUE(v == 0 || v == 255) << int(v);
    }
  // Orientation survives: the top-left quadrant of the source lands top-left.
  TFastDIB quad = Solid(40, 40, {0, 0, 0});
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) SetPixel(quad, x, y, {1, 2, 3});
  const TFastDIB q = ScaleToCharGrid(quad, 4, 0, kSquare);
  EXPECT_EQ(q.PixelPtr(0, 0)[2], 3);
  EXPECT_EQ(q.PixelPtr(3, 3)[2], 0);
}

TEST(BitmapToHtml, SingleColourPageExactly) {
  const std::string page =
      BitmapToHtml(Solid(4, 3, {0xFF, 0x0B, 0x1A}), "01", kHead, kFoot, 0, hamColor, kSquare);
  EXPECT_EQ(page, "<head><TT><FONT COLOR=\"#1A0BFF\">0101<BR>0101<BR>0101</FONT></TT><foot>");
}

TEST(BitmapToHtml, OddColumnCountAlternatesRowStarts) {
  const std::string page = BitmapToHtml(Solid(3, 3, {9, 9, 9}), "01", "", "", 0, hamGray, kSquare);
  EXPECT_EQ(page, "<TT><FONT COLOR=\"#090909\">010<BR>101<BR>010</FONT></TT>");
}

TEST(BitmapToHtml, ColourTagsNeverNestAndRunAcrossRows) {
  TFastDIB dib = Solid(2, 2, {0, 0, 255});
  SetPixel(dib, 0, 0, {255, 255, 255});  // white, red / red, red
  const std::string page = BitmapToHtml(dib, "ab", "", "", 0, hamColor, kSquare);
  EXPECT_EQ(page, "<TT><FONT COLOR=\"#FFFFFF\">a</FONT><FONT COLOR=\"#FF0000\">b<BR>ab</FONT></TT>");
}

TEST(BitmapToHtml, GreyModeSharesTheTagOfEqualGreyLevels) {
  // (r, g, b) = (100, 100, 100) and (200, 50, 100) both have grey level 100.
  TFastDIB dib = Solid(4, 2, {100, 100, 100});
  SetPixel(dib, 1, 0, {100, 50, 200});
  SetPixel(dib, 2, 1, {100, 50, 200});
  const std::string grey = BitmapToHtml(dib, "01", "", "", 0, hamGray, kSquare);
  EXPECT_EQ(grey, "<TT><FONT COLOR=\"#646464\">0101<BR>0101</FONT></TT>");
  const std::string colour = BitmapToHtml(dib, "01", "", "", 0, hamColor, kSquare);
  EXPECT_EQ(Count(colour, "<FONT"), 5u);
  EXPECT_EQ(Count(colour, "</FONT>"), 5u);
}

TEST(BitmapToHtml, GreyLevelOfAGreyPixelIsItsValue) {
  for (int v = 0; v < 256; ++v) {
    const auto b = static_cast<std::uint8_t>(v);
    const std::string page = BitmapToHtml(Solid(1, 1, {b, b, b}), "x", "", "", 0, hamGray, kSquare);
    const std::string hex = ColorToHtmlHex(RGB(b, b, b));
    ASSERT_EQ(page, "<TT><FONT COLOR=\"#" + hex + "\">x</FONT></TT>") << v;
  }
}

TEST(BitmapToHtml, SpacesBecomeNonBreakingAndTheSequenceRunsOn) {
  const std::string page = BitmapToHtml(Solid(5, 2, {0, 0, 0}), "a b", "", "", 0, hamColor, kSquare);
  EXPECT_EQ(page, "<TT><FONT COLOR=\"#000000\">a&nbsp;ba&nbsp;<BR>ba&nbsp;ba</FONT></TT>");
}

TEST(BitmapToHtml, FrameGivesAHundredEightyByFiftyFiveCells) {
  TFastDIB frame;
  frame.SetSize(720, 576, 24);
  for (int y = 0; y < 576; ++y)
    for (int x = 0; x < 720; ++x)
      SetPixel(frame, x, y, {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x ^ y)});
  const std::string page = BitmapToHtml(frame, "01", kHead, kFoot, 180, hamColor, TCharCell{13, 5});
  ASSERT_EQ(page.substr(0, kHead.size() + 4), kHead + "<TT>");
  ASSERT_EQ(page.substr(page.size() - kFoot.size() - 5), "</TT>" + kFoot);
  EXPECT_EQ(page.find('\n'), std::string::npos);
  std::string body = page.substr(kHead.size() + 4, page.size() - kHead.size() - kFoot.size() - 9);
  body = std::regex_replace(body, std::regex("</?FONT[^>]*>"), "");
  std::size_t rows = 0;
  for (std::size_t start = 0;; ++rows) {
    const auto end = body.find("<BR>", start);
    const std::string row = body.substr(start, end == std::string::npos ? std::string::npos : end - start);
    ASSERT_EQ(row.size(), 180u) << "row " << rows;
    ASSERT_EQ(row.find_first_not_of("01"), std::string::npos);
    ASSERT_EQ(row[0], '0');  // an even column count starts every row with the first character
    if (end == std::string::npos) break;
    start = end + 4;
  }
  EXPECT_EQ(rows + 1, 55u);
  EXPECT_EQ(Count(page, "<FONT"), Count(page, "</FONT>"));
  EXPECT_TRUE(std::regex_search(page, std::regex("#[0-9A-F]{6}")));
  EXPECT_FALSE(std::regex_search(page, std::regex("#[0-9A-Fa-f]*[a-f]")));
}

TEST(BitmapToHtml, VeryWidePictureWithoutAColumnLimit) {
  // 70000 pixels become 182000 cells in one row; the page still comes out whole.
  TFastDIB wide = Solid(70000, 1, {1, 2, 3});
  const std::string page = BitmapToHtml(wide, "01", "", "", 0, hamColor, TCharCell{13, 5});
  EXPECT_EQ(page.size(), 4 + 22 + 182000 + 7 + 5);
}

TEST(BitmapToHtml, EmptyPictureGivesAnEmptyPage) {
  EXPECT_EQ(BitmapToHtml(TFastDIB(), "01", kHead, kFoot, 180, hamColor, TCharCell{13, 5}),
            kHead + "<TT></TT>" + kFoot);
}

}  // namespace
}  // namespace kelta
