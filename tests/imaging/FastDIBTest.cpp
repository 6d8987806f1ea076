#include <FreeImage.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>

#include "imaging/FastDIB.h"
#include "imaging/ImagingTestSupport.h"
#include "support/SamePixels.h"

using namespace kelta;
using namespace kelta::test;

namespace {

struct StrideCase {
  int width;
  int bitCount;
  int stride;
  int padding;
};

class StrideTest : public ::testing::TestWithParam<StrideCase> {};

TEST_P(StrideTest, RowsArePaddedToFourBytes) {
  const StrideCase c = GetParam();
  TFastDIB dib;
  dib.SetSize(c.width, 2, std::uint8_t(c.bitCount));
  EXPECT_EQ(dib.RowStride(), c.stride);
  EXPECT_EQ(dib.RowPadding(), c.padding);
  EXPECT_EQ(dib.ImageSize(), std::uint32_t(c.stride * 2));
  EXPECT_EQ(dib.Rows()[1], dib.Bits() + c.stride);
}

INSTANTIATE_TEST_SUITE_P(Widths, StrideTest,
                         ::testing::Values(StrideCase{1, 24, 4, 1}, StrideCase{3, 24, 12, 3},
                                           StrideCase{4, 24, 12, 0}, StrideCase{5, 24, 16, 1},
                                           StrideCase{720, 24, 2160, 0}, StrideCase{33, 1, 8, 3},
                                           StrideCase{3, 4, 4, 2}, StrideCase{3, 8, 4, 1},
                                           StrideCase{3, 16, 8, 2}, StrideCase{3, 32, 12, 0}));

TEST(FastDIB, NewBufferIsEmpty) {
  TFastDIB dib;
  EXPECT_TRUE(dib.Empty());
  EXPECT_EQ(dib.Width(), 0);
  EXPECT_EQ(dib.RowCount(), 0);
  EXPECT_EQ(dib.Header().Size, 40u);
  EXPECT_EQ(dib.Header().Planes, 1);
}

TEST(FastDIB, SameShapeKeepsPixelsOtherShapeReplacesThem) {
  TFastDIB dib = RandomPicture(5, 3, 1);
  const auto before = MemoryOf(dib);
  const std::uint8_t* bits = dib.Bits();
  dib.SetSize(5, 3, 24);
  EXPECT_EQ(dib.Bits(), bits);
  EXPECT_EQ(MemoryOf(dib), before);

  dib.SetSize(3, 5, 24);
  EXPECT_EQ(dib.Width(), 3);
  EXPECT_EQ(dib.RowCount(), 5);
  EXPECT_EQ(dib.ImageSize(), 60u);
}

struct BadShape {
  int width;
  int height;
  int bitCount;
};

class BadShapeTest : public ::testing::TestWithParam<BadShape> {};

TEST_P(BadShapeTest, LeavesTheBufferEmpty) {
  TFastDIB dib = RandomPicture(4, 4, 2);
  dib.SetSize(GetParam().width, GetParam().height, std::uint8_t(GetParam().bitCount));
  EXPECT_TRUE(dib.Empty());
  EXPECT_EQ(dib.RowCount(), 0);
  EXPECT_EQ(dib.Width(), 0);
  EXPECT_TRUE(dib.Rows().empty());
}

INSTANTIATE_TEST_SUITE_P(Shapes, BadShapeTest,
                         ::testing::Values(BadShape{0, 4, 24}, BadShape{4, 0, 24},
                                           BadShape{-4, 4, 24}, BadShape{4, 4, 7},
                                           BadShape{1 << 15, 1 << 15, 24},
                                           BadShape{INT_MAX, INT_MAX, 24},
                                           BadShape{INT_MAX, INT_MIN, 24}));

TEST(FastDIB, MovedFromBufferIsEmpty) {
  TFastDIB a = RandomPicture(4, 3, 3);
  const auto pixels = MemoryOf(a);
  TFastDIB b(std::move(a));
  EXPECT_EQ(MemoryOf(b), pixels);
  EXPECT_EQ(b.Rows()[2], b.Bits() + 2 * b.RowStride());
  EXPECT_TRUE(a.Empty());  // NOLINT(bugprone-use-after-move): the state is the point
  EXPECT_EQ(a.RowCount(), 0);
  EXPECT_EQ(a.Width(), 0);
}

TEST(FastDIB, OnePixelFileIsFiftyEightBytes) {
  TTempFolder dir;
  TFastDIB dib;
  dib.SetSize(1, 1, 24);
  dib.Fill({0x11, 0x22, 0x33});
  ASSERT_TRUE(dib.SaveToFile(dir.File("one.bmp")));
  const auto bytes = ReadFileBytes(dir.File("one.bmp"));
  const std::vector<std::uint8_t> expected = {
      'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
      40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,  // size, width, height, planes, bits
      0, 0, 0, 0, 4, 0, 0, 0,                            // compression, image size
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,    // resolution, colours
      0x11, 0x22, 0x33, 0};                              // blue, green, red, padding
  EXPECT_EQ(bytes, expected);
}

class RoundTripTest : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(RoundTripTest, LoadGivesTheSavedShapeAndMemory) {
  TTempFolder dir;
  const auto [w, h] = GetParam();
  const TFastDIB saved = RandomPicture(w, h, std::uint32_t(w * 31 + h));
  ASSERT_TRUE(saved.SaveToFile(dir.File("p.bmp")));
  TFastDIB loaded = RandomPicture(2, 2, 9);  // a previous picture must not survive
  ASSERT_TRUE(loaded.LoadFromFile(dir.File("p.bmp")));
  EXPECT_EQ(loaded.Width(), w);
  EXPECT_EQ(loaded.Height(), h);
  EXPECT_EQ(loaded.BitCount(), 24);
  EXPECT_TRUE(test::SamePixels(saved, loaded, "fastdib"));
  EXPECT_EQ(MemoryOf(loaded), MemoryOf(saved));

  TFastDIB fromMemory = RandomPicture(2, 2, 9);
  ASSERT_TRUE(fromMemory.LoadFromMemory(ReadFileBytes(dir.File("p.bmp"))));
  EXPECT_EQ(fromMemory.Height(), h);
  EXPECT_EQ(MemoryOf(fromMemory), MemoryOf(saved));
}

// FreeImage's own BMP reader sees the pixels where they belong.
TEST_P(RoundTripTest, IndependentReaderSeesTheSamePixels) {
  TTempFolder dir;
  const auto [w, h] = GetParam();
  const TFastDIB saved = RandomPicture(w, h, std::uint32_t(w * 17 + h));
  ASSERT_TRUE(saved.SaveToFile(dir.File("p.bmp")));
  FIBITMAP* fi = FreeImage_Load(FIF_BMP, dir.File("p.bmp").c_str(), 0);
  ASSERT_NE(fi, nullptr);
  EXPECT_EQ(int(FreeImage_GetWidth(fi)), w);
  EXPECT_EQ(int(FreeImage_GetHeight(fi)), h);
  EXPECT_EQ(FreeImage_GetBPP(fi), 24u);
  for (int y = 0; y < h; ++y) {
    // FreeImage counts scan lines from the bottom of the picture.
    const BYTE* line = FreeImage_GetScanLine(fi, h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const TBGRColor c = PictureAt(saved, x, y);
      ASSERT_EQ(line[3 * x + FI_RGBA_BLUE], c.Blue) << x << "," << y;
      ASSERT_EQ(line[3 * x + FI_RGBA_GREEN], c.Green) << x << "," << y;
      ASSERT_EQ(line[3 * x + FI_RGBA_RED], c.Red) << x << "," << y;
    }
  }
  FreeImage_Unload(fi);
}

INSTANTIATE_TEST_SUITE_P(Shapes, RoundTripTest,
                         ::testing::Values(std::pair{1, 1}, std::pair{5, 3}, std::pair{4, 4},
                                           std::pair{13, 7}, std::pair{2, 9}));

TEST(FastDIB, PixelAtRowZeroIsTheBottomLeftPixel) {
  TFastDIB dib;
  dib.SetSize(3, 4, 24);
  dib.Fill({0, 0, 0});
  // The first bytes of memory are the bottom-left pixel of a bottom-up bitmap.
  dib.Bits()[0] = 7;
  dib.Bits()[1] = 8;
  dib.Bits()[2] = 9;
  EXPECT_EQ(dib.PixelAt(0, 0), (TBGRColor{7, 8, 9}));
  EXPECT_EQ(dib.PixelPtr(0, 3), dib.Bits());
  EXPECT_EQ(dib.PixelPtr(0, 0), dib.Rows()[3]);
}

TEST(FastDIB, TopDownFileLoadsWithItsFirstRowOnTop) {
  TTempFolder dir;
  TFastDIB saved = RandomPicture(2, 3, 4);
  ASSERT_TRUE(saved.SaveToFile(dir.File("p.bmp")));
  auto bytes = ReadFileBytes(dir.File("p.bmp"));
  const std::int32_t topDown = -3;
  std::memcpy(&bytes[22], &topDown, 4);
  WriteFileBytes(dir.File("td.bmp"), bytes);
  TFastDIB dib;
  ASSERT_TRUE(dib.LoadFromFile(dir.File("td.bmp")));
  EXPECT_EQ(dib.RowCount(), 3);
  EXPECT_EQ(dib.PixelPtr(0, 0), dib.Bits());
}

TEST(FastDIB, DrawRegionFromOriginStartsAtTheTopLeftPixel) {
  const TFastDIB source = RandomPicture(4, 3, 5);
  TFastDIB dest;
  dest.SetSize(2, 2, 24);
  source.DrawRegion(dest, 0, 0, 2, 2, 0, 0);
  // The top picture row is the last memory row of both buffers.
  for (int x = 0; x < 2; ++x) {
    EXPECT_EQ(dest.PixelAt(1, x), source.PixelAt(2, x));
    EXPECT_EQ(dest.PixelAt(0, x), source.PixelAt(1, x));
  }
}

struct RegionCase {
  const char* name;
  int x, y, width, height, srcX, srcY;
};
void PrintTo(const RegionCase& c, std::ostream* os) { *os << c.name; }


class DrawRegionTest : public ::testing::TestWithParam<RegionCase> {};

// Clipping against both buffers: every destination pixel whose partner lies
// inside the source is copied, everything else stays as it was.
TEST_P(DrawRegionTest, CopiesExactlyTheOverlap) {
  const RegionCase c = GetParam();
  const TFastDIB source = RandomPicture(6, 5, 6);
  TFastDIB dest = RandomPicture(5, 4, 7);
  const TFastDIB before = RandomPicture(5, 4, 7);
  source.DrawRegion(dest, c.x, c.y, c.width, c.height, c.srcX, c.srcY);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      const int sx = x - c.x + c.srcX, sy = y - c.y + c.srcY;
      const bool inside = x >= c.x && x < c.x + c.width && y >= c.y && y < c.y + c.height &&
                          sx >= 0 && sx < 6 && sy >= 0 && sy < 5;
      const TBGRColor want = inside ? PictureAt(source, sx, sy) : PictureAt(before, x, y);
      ASSERT_EQ(PictureAt(dest, x, y), want) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Regions, DrawRegionTest,
    ::testing::Values(RegionCase{"Inside", 1, 1, 2, 2, 3, 2},
                      RegionCase{"NegativeDestination", -2, -1, 5, 4, 0, 0},
                      RegionCase{"PastDestinationEdges", 3, 2, 9, 9, 0, 0},
                      RegionCase{"NegativeSource", 0, 0, 5, 4, -3, -2},
                      RegionCase{"PastSourceEdges", 0, 0, 5, 4, 4, 3},
                      RegionCase{"NothingOverlaps", 0, 0, 5, 4, 6, 0},
                      RegionCase{"ZeroSize", 0, 0, 0, 4, 0, 0}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(FastDIB, DrawRegionWithinOneBufferCopiesAsFromACopy) {
  for (const auto& [dx, dy] : {std::pair{1, 1}, std::pair{-1, -1}, std::pair{2, 0}, std::pair{0, -2}}) {
    TFastDIB dib = RandomPicture(6, 5, 8);
    const TFastDIB copy = RandomPicture(6, 5, 8);
    TFastDIB expected = RandomPicture(6, 5, 8);
    copy.DrawRegion(expected, dx, dy, 6, 5, 0, 0);
    dib.DrawRegion(dib, dx, dy, 6, 5, 0, 0);
    EXPECT_TRUE(test::SamePixels(expected, dib, "fastdib"));
    EXPECT_EQ(MemoryOf(dib), MemoryOf(expected)) << dx << "," << dy;
  }
}

TEST(FastDIB, DrawOfAnEmptyBufferDrawsNothing) {
  const TFastDIB empty;
  TFastDIB dest = RandomPicture(3, 3, 9);
  const auto before = MemoryOf(dest);
  empty.Draw(dest, 0, 0);
  EXPECT_EQ(MemoryOf(dest), before);
}

TEST(FastDIB, FillWritesEveryPixelAndNoPadding) {
  TFastDIB dib;
  dib.SetSize(5, 3, 24);
  std::memset(dib.Bits(), 0xAB, dib.ImageSize());
  dib.Fill({1, 2, 3});
  for (int r = 0; r < 3; ++r) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(dib.PixelAt(r, x), (TBGRColor{1, 2, 3}));
    EXPECT_EQ(dib.Rows()[std::size_t(r)][15], 0xAB);
  }
}

// A damaged file is refused and leaves the buffer empty, whatever it held.
struct DamagedCase {
  const char* name;
  std::function<void(std::vector<std::uint8_t>&)> damage;  // applied to a valid 4 x 3 file
};
void PrintTo(const DamagedCase& c, std::ostream* os) { *os << c.name; }


void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::int64_t v) {
  const auto u = std::uint32_t(v);
  std::memcpy(&b[at], &u, 4);
}

class DamagedFileTest : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedFileTest, LoadFailsAndLeavesTheBufferEmpty) {
  TTempFolder dir;
  ASSERT_TRUE(RandomPicture(4, 3, 10).SaveToFile(dir.File("valid.bmp")));
  auto bytes = ReadFileBytes(dir.File("valid.bmp"));
  ASSERT_EQ(bytes.size(), 54u + 36u);
  GetParam().damage(bytes);
  WriteFileBytes(dir.File("bad.bmp"), bytes);

  TFastDIB dib = RandomPicture(4, 3, 11);
  EXPECT_FALSE(dib.LoadFromFile(dir.File("bad.bmp")));
  EXPECT_TRUE(dib.Empty());
  EXPECT_EQ(dib.Width(), 0);
  EXPECT_EQ(dib.RowCount(), 0);
  EXPECT_EQ(dib.ImageSize(), 0u);

  TFastDIB fromMemory = RandomPicture(4, 3, 11);
  EXPECT_FALSE(fromMemory.LoadFromMemory(bytes));
  EXPECT_TRUE(fromMemory.Empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedFileTest,
    ::testing::Values(
        DamagedCase{"Empty", [](auto& b) { b.clear(); }},
        DamagedCase{"TruncatedFileHeader", [](auto& b) { b.resize(10); }},
        DamagedCase{"TruncatedInfoHeader", [](auto& b) { b.resize(40); }},
        DamagedCase{"TruncatedPixels", [](auto& b) { b.resize(b.size() - 1); }},
        DamagedCase{"NoPixels", [](auto& b) { b.resize(54); }},
        DamagedCase{"NotBM", [](auto& b) { b[0] = 'P'; }},
        DamagedCase{"CoreHeaderSize", [](auto& b) { Put32(b, 14, 12); }},
        DamagedCase{"V5HeaderSize", [](auto& b) { Put32(b, 14, 124); }},
        DamagedCase{"RunLengthCompressed", [](auto& b) { Put32(b, 30, 1); }},
        DamagedCase{"BitFields", [](auto& b) { Put32(b, 30, 3); }},
        DamagedCase{"NegativeWidth", [](auto& b) { Put32(b, 18, -4); }},
        DamagedCase{"ZeroWidth", [](auto& b) { Put32(b, 18, 0); }},
        DamagedCase{"ZeroHeight", [](auto& b) { Put32(b, 22, 0); }},
        DamagedCase{"HugeSquare", [](auto& b) { Put32(b, 18, 70000); Put32(b, 22, 70000); }},
        DamagedCase{"AreaOverflows32Bits", [](auto& b) { Put32(b, 18, 65536); Put32(b, 22, 65536); }},
        DamagedCase{"LargestSizes", [](auto& b) { Put32(b, 18, INT_MAX); Put32(b, 22, INT_MIN); }},
        DamagedCase{"WideButShortFile", [](auto& b) { Put32(b, 18, 100000); }},
        DamagedCase{"ZeroBitCount", [](auto& b) { b[28] = 0; }},
        DamagedCase{"OddBitCount", [](auto& b) { b[28] = 7; }},
        DamagedCase{"TwoPlanes", [](auto& b) { b[26] = 2; }},
        DamagedCase{"PixelOffsetPastEnd", [](auto& b) { Put32(b, 10, 1000); }},
        DamagedCase{"PixelOffsetInsideHeader", [](auto& b) { Put32(b, 10, 20); }}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(FastDIB, MissingFileFailsAndLeavesTheBufferEmpty) {
  TTempFolder dir;
  TFastDIB dib = RandomPicture(4, 3, 12);
  EXPECT_FALSE(dib.LoadFromFile(dir.File("missing.bmp")));
  EXPECT_TRUE(dib.Empty());
  EXPECT_EQ(dib.RowCount(), 0);
}

TEST(FastDIB, SaveIntoMissingFolderFailsAndWritesNothing) {
  TTempFolder dir;
  EXPECT_FALSE(RandomPicture(2, 2, 13).SaveToFile(dir.File("no/such/folder.bmp")));
}

}  // namespace
