#include <gtest/gtest.h>

#include <vector>

#include "imaging/ImagingTestSupport.h"
#include "support/SamePixels.h"
#include "imaging/Resample.h"
#include "imaging/ResampleDetail.h"

using namespace kelta;
using namespace kelta::test;

namespace {

using Resampler = void (*)(const TFastDIB&, TFastDIB&);

// One row of grey pixels.
TFastDIB GreyRow(const std::vector<int>& values) {
  TFastDIB dib;
  dib.SetSize(int(values.size()), 1, 24);
  for (std::size_t x = 0; x < values.size(); ++x)
    for (int k = 0; k < 3; ++k) dib.Rows()[0][3 * x + std::size_t(k)] = std::uint8_t(values[x]);
  return dib;
}

std::vector<int> GreyValues(const TFastDIB& dib) {
  std::vector<int> values;
  for (int x = 0; x < dib.Width(); ++x) {
    const TBGRColor c = dib.PixelAt(0, x);
    EXPECT_TRUE(c.Blue == c.Green && c.Green == c.Red);
    values.push_back(c.Blue);
  }
  return values;
}

struct RowCase {
  const char* name;
  Resampler resample;
  std::vector<int> source;
  std::vector<int> expected;
};
void PrintTo(const RowCase& c, std::ostream* os) { *os << c.name; }

class RowTest : public ::testing::TestWithParam<RowCase> {};

TEST_P(RowTest, GivesTheseValues) {
  const RowCase& c = GetParam();
  TFastDIB dest;
  dest.SetSize(int(c.expected.size()), 1, 24);
  c.resample(GreyRow(c.source), dest);
  EXPECT_EQ(GreyValues(dest), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RowTest,
    ::testing::Values(RowCase{"BilinearWidensTwoToFour", ResampleBilinear, {0, 255}, {0, 64, 191, 255}},
                      RowCase{"NearestWidensTwoToFour", ResampleNearest, {0, 255}, {0, 0, 255, 255}},
                      RowCase{"BilinearNarrowsFourToTwo", ResampleBilinear, {10, 20, 30, 40}, {15, 35}},
                      RowCase{"NearestNarrowsFourToTwo", ResampleNearest, {10, 20, 30, 40}, {20, 40}},
                      RowCase{"BilinearWidensTwoToThree", ResampleBilinear, {0, 255}, {0, 127, 255}},
                      RowCase{"BilinearWidensOneToFive", ResampleBilinear, {77}, {77, 77, 77, 77, 77}},
                      RowCase{"NearestWidensOneToFive", ResampleNearest, {77}, {77, 77, 77, 77, 77}}),
    [](const auto& p) { return std::string(p.param.name); });

class BothResamplers : public ::testing::TestWithParam<Resampler> {};

TEST_P(BothResamplers, EqualSizesCopyTheImage) {
  const TFastDIB source = RandomPicture(13, 7, 40);
  TFastDIB dest;
  dest.SetSize(13, 7, 24);
  GetParam()(source, dest);
  EXPECT_TRUE(test::SamePixels(source, dest, "resample"));
  EXPECT_EQ(PixelBytesOf(dest), PixelBytesOf(source));
}

TEST_P(BothResamplers, OnePixelWideSourceFillsEveryColumn) {
  const TFastDIB source = RandomPicture(1, 3, 41);
  TFastDIB dest;
  dest.SetSize(9, 3, 24);
  GetParam()(source, dest);
  for (int r = 0; r < 3; ++r)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(dest.PixelAt(r, x), source.PixelAt(r, 0));
}

TEST_P(BothResamplers, EmptyBuffersChangeNothing) {
  const TFastDIB source = RandomPicture(4, 4, 42);
  TFastDIB empty;
  GetParam()(source, empty);
  EXPECT_TRUE(empty.Empty());
  TFastDIB zeroWide;
  zeroWide.SetSize(0, 4, 24);
  GetParam()(source, zeroWide);
  EXPECT_TRUE(zeroWide.Empty());
  TFastDIB dest = RandomPicture(3, 3, 43);
  GetParam()(empty, dest);
  EXPECT_TRUE(test::SamePixels(RandomPicture(3, 3, 43), dest, "resample"));
  EXPECT_EQ(MemoryOf(dest), MemoryOf(RandomPicture(3, 3, 43)));
}

TEST_P(BothResamplers, KeepsThePictureUpright) {
  // Top half white, bottom half black, shrunk to two rows.
  TFastDIB source;
  source.SetSize(4, 8, 24);
  source.Fill({0, 0, 0});
  for (int y = 0; y < 4; ++y) std::fill_n(source.PixelPtr(0, y), 12, 255);
  TFastDIB dest;
  dest.SetSize(2, 2, 24);
  GetParam()(source, dest);
  EXPECT_EQ(PictureAt(dest, 0, 0), (TBGRColor{255, 255, 255}));
  EXPECT_EQ(PictureAt(dest, 1, 1), (TBGRColor{0, 0, 0}));
}

// Sources of 32768 pixels and more: positions need more than 32 bits.
TEST_P(BothResamplers, VeryWideAndTallSourcesStayInside) {
  for (const auto& [w, h] : {std::pair{40000, 2}, std::pair{2, 40000}, std::pair{70001, 1}}) {
    TFastDIB source;
    source.SetSize(w, h, 24);
    source.Fill({9, 99, 199});
    TFastDIB dest;
    dest.SetSize(7, 3, 24);
    GetParam()(source, dest);
    for (int r = 0; r < 3; ++r)
      for (int x = 0; x < 7; ++x) ASSERT_EQ(dest.PixelAt(r, x), (TBGRColor{9, 99, 199})) << w << "x" << h;
  }
}

INSTANTIATE_TEST_SUITE_P(Resamplers, BothResamplers,
                         ::testing::Values(&ResampleBilinear, &ResampleNearest),
                         [](const auto& p) { return p.index == 0 ? "Bilinear" : "Nearest"; });

// Which source column each destination column takes from a 40000-pixel row:
// step (40000 * 65536) div 3, centres at step / 2 + x * step.
TEST(ResampleNearest, PicksTheCentreColumnsOfAVeryWideRow) {
  TFastDIB source;
  source.SetSize(40000, 1, 24);
  for (int x = 0; x < 40000; ++x) {
    std::uint8_t* p = source.Rows()[0] + 3 * x;
    p[0] = std::uint8_t(x);
    p[1] = std::uint8_t(x >> 8);
    p[2] = std::uint8_t(x >> 16);
  }
  TFastDIB dest;
  dest.SetSize(3, 1, 24);
  ResampleNearest(source, dest);
  for (const auto& [x, column] : {std::pair{0, 6666}, std::pair{1, 19999}, std::pair{2, 33333}}) {
    const TBGRColor c = dest.PixelAt(0, x);
    EXPECT_EQ(c.Blue | (c.Green << 8) | (c.Red << 16), column);
  }
}

// Destinations wider than the column tables are built for at once give the
// pixels of the plain per-pixel formula.
TEST(ResampleBilinear, WideDestinationMatchesThePlainFormula) {
  const TFastDIB source = RandomPicture(5000, 3, 44);
  TFastDIB dest;
  dest.SetSize(9001, 4, 24);
  ResampleBilinear(source, dest);
  const std::int64_t sw = 5000, sh = 3, dw = 9001, dh = 4;
  const std::int64_t xStep = (sw << 16) / dw, yStep = (sh << 16) / dh;
  std::int64_t yPos = (yStep >> 1) - 32768;
  for (std::int64_t r = 0; r < dh; ++r, yPos += yStep) {
    const std::int64_t y0 = yPos < 0 ? 0 : yPos >> 16;
    const std::uint32_t fy = yPos < 0 ? 0 : std::uint32_t(yPos & 65535), gy = 65536 - fy;
    const std::int64_t y1 = y0 < sh - 1 ? y0 + 1 : y0;
    std::int64_t xPos = (xStep >> 1) - 32768;
    for (std::int64_t x = 0; x < dw; ++x, xPos += xStep) {
      const std::int64_t x0 = xPos < 0 ? 0 : xPos >> 16;
      const std::uint32_t fx = xPos < 0 ? 0 : std::uint32_t(xPos & 65535);
      const std::int64_t x1 = x0 < sw - 1 ? x0 + 1 : x0;
      const std::uint32_t w01 = (gy * fx) >> 16, w00 = gy - w01, w11 = (fy * fx) >> 16, w10 = fy - w11;
      for (int k = 0; k < 3; ++k) {
        auto S = [&](std::int64_t row, std::int64_t col) {
          return std::uint32_t(source.Rows()[std::size_t(row)][3 * col + k]);
        };
        const std::uint32_t v =
            (w00 * S(y0, x0) + w01 * S(y0, x1) + w10 * S(y1, x0) + w11 * S(y1, x1) + 32768) >> 16;
        ASSERT_EQ(dest.Rows()[std::size_t(r)][3 * x + k], v) << r << "," << x;
      }
    }
  }
}

}  // namespace

namespace {

// The vector kernel (where the processor has one) and the portable loop give
// the same bytes, padding and right-edge columns included.
TEST(ResampleBilinear, VectorAndPortablePathsAgree) {
  const std::pair<int, int> shapes[][2] = {{{720, 576}, {389, 214}}, {{720, 576}, {200, 160}},
                                           {{5, 3}, {17, 9}},        {{17, 9}, {5, 3}},
                                           {{2, 2}, {3, 7}},         {{1, 4}, {6, 2}},
                                           {{31, 1}, {30, 1}},       {{7, 7}, {7, 7}}};
  std::uint32_t seed = 50;
  for (const auto& [from, to] : shapes) {
    const TFastDIB source = RandomPicture(from.first, from.second, seed++);
    TFastDIB vector, portable;
    vector.SetSize(to.first, to.second, 24);
    portable.SetSize(to.first, to.second, 24);
    ResampleBilinear(source, vector);
    detail::ResampleBilinearPortable(source, portable, TRect{0, 0, to.first, to.second});
    EXPECT_TRUE(test::SamePixels(portable, vector, "resample"));
    EXPECT_EQ(MemoryOf(vector), MemoryOf(portable))
        << from.first << "x" << from.second << " -> " << to.first << "x" << to.second;
  }
  // Into a rectangle away from the buffer's left edge, as a letterboxed panel.
  const TFastDIB source = RandomPicture(720, 576, seed);
  TFastDIB vector = RandomPicture(389, 214, seed + 1), portable = RandomPicture(389, 214, seed + 1);
  ResampleBilinearInto(source, vector, TRect{52, 0, 337, 214});
  detail::ResampleBilinearPortable(source, portable, TRect{52, 0, 337, 214});
  EXPECT_EQ(MemoryOf(vector), MemoryOf(portable));
}

using AreaResampler = void (*)(const TFastDIB&, TFastDIB&, const TRect&);

struct TAreaCase {
  const char* Name;
  AreaResampler ResampleInto;
  Resampler Resample;
  int Height;  // of the destination: negative for rows stored top-down
  TRect Area;
};
void PrintTo(const TAreaCase& c, std::ostream* os) { *os << c.Name; }

class IntoArea : public ::testing::TestWithParam<TAreaCase> {};

// Resampling into a rectangle gives the pixels of a resample into a buffer of
// the rectangle's size, in place, and leaves everything around it alone.
TEST_P(IntoArea, FillsTheRectangleOnly) {
  const TAreaCase& c = GetParam();
  const TFastDIB source = RandomPicture(45, 31, 60);
  TFastDIB dest;
  dest.SetSize(40, c.Height, 24);
  dest.Fill(TBGRColor{1, 2, 3});
  c.ResampleInto(source, dest, c.Area);

  TFastDIB alone;  // stored in the same row order as dest
  alone.SetSize(c.Area.WidthOf(), c.Height < 0 ? -c.Area.HeightOf() : c.Area.HeightOf(), 24);
  c.Resample(source, alone);
  for (int y = 0; y < dest.RowCount(); ++y)
    for (int x = 0; x < dest.Width(); ++x) {
      const bool inside = x >= c.Area.Left && x < c.Area.Right && y >= c.Area.Top && y < c.Area.Bottom;
      const TBGRColor expected = inside ? PictureAt(alone, x - c.Area.Left, y - c.Area.Top) : TBGRColor{1, 2, 3};
      ASSERT_EQ(PictureAt(dest, x, y), expected) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Resamplers, IntoArea,
    ::testing::Values(TAreaCase{"BilinearPillarbox", ResampleBilinearInto, ResampleBilinear, 20, {7, 0, 33, 20}},
                      TAreaCase{"BilinearLetterbox", ResampleBilinearInto, ResampleBilinear, 20, {0, 3, 40, 16}},
                      TAreaCase{"BilinearTopDown", ResampleBilinearInto, ResampleBilinear, -20, {5, 2, 30, 19}},
                      TAreaCase{"NearestPillarbox", ResampleNearestInto, ResampleNearest, 20, {7, 0, 33, 20}},
                      TAreaCase{"NearestLetterbox", ResampleNearestInto, ResampleNearest, 20, {0, 3, 40, 16}},
                      TAreaCase{"NearestTopDown", ResampleNearestInto, ResampleNearest, -20, {5, 2, 30, 19}}),
    [](const auto& p) { return std::string(p.param.Name); });

}  // namespace
