#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "imaging/ImageUtils.h"
#include "imaging/ImagingTestSupport.h"
#include "support/SamePixels.h"

using namespace kelta;
using namespace kelta::test;

namespace {

TEST(Clamp, LowIsTestedFirst) {
  EXPECT_EQ(Clamp(-5, 0, 1000), 0);
  EXPECT_EQ(Clamp(1500, 0, 1000), 1000);
  EXPECT_EQ(Clamp(42, 0, 1000), 42);
  EXPECT_EQ(Clamp(5, 10, 0), 10);
  EXPECT_EQ(Clamp(INT_MIN, INT_MIN + 1, INT_MAX), INT_MIN + 1);
}

TEST(RandomImageName, HasTheNamePropertiesOverManyDraws) {
  const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  std::set<std::string> names;
  std::set<char> firsts;
  std::set<std::size_t> digitPlaces;
  bool sawNine = false;
  constexpr int Draws = 20000;
  for (int n = 0; n < Draws; ++n) {
    const std::string name = RandomImageName();
    ASSERT_EQ(name.size(), 8u) << name;
    ASSERT_TRUE(name[0] >= 'A' && name[0] <= 'Z') << name;
    bool lowDigit = false;
    for (std::size_t i = 0; i < 8; ++i) {
      const char c = name[i];
      const bool digit = c >= '0' && c <= '9';
      ASSERT_TRUE(digit || letters.find(c) != std::string::npos) << name;
      if (i > 0) {
        ASSERT_NE(c, name[i - 1]) << name;
      }
      if (digit) digitPlaces.insert(i);
      lowDigit |= digit && c != '9';
      sawNine |= c == '9';
    }
    // The placed digit is 0 .. 8, so a name never has only nines for digits.
    ASSERT_TRUE(lowDigit) << name;
    names.insert(name);
    firsts.insert(name[0]);
  }
  // Calls within one clock tick still give different names.
  EXPECT_GT(names.size(), std::size_t(Draws - 5));
  EXPECT_EQ(firsts.size(), 26u);
  EXPECT_EQ(digitPlaces, (std::set<std::size_t>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_TRUE(sawNine);
}

TEST(DrawFrame, OutlinesTheEdgesAndLeavesTheInside) {
  for (const int pen : {1, 2}) {
    TFastDIB dib = RandomPicture(7, 6, 20);
    const TFastDIB before = RandomPicture(7, 6, 20);
    DrawFrame(RGB(255, 255, 255), pen, dib);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 7; ++x) {
        const bool edge = x < pen || y < pen || x >= 7 - pen || y >= 6 - pen;
        const TBGRColor want = edge ? TBGRColor{255, 255, 255} : PictureAt(before, x, y);
        EXPECT_EQ(PictureAt(dib, x, y), want) << pen << ": " << x << "," << y;
      }
  }
}

TEST(CopyFrameBits, CopiesTheWholeImageOnlyIntoA24BitBuffer) {
  const TFastDIB frame = RandomPicture(5, 3, 21);
  const FrameView source = FrameView::Bgr24(frame.Bits(), 5, 3);
  TFastDIB dib;
  dib.SetSize(5, 3, 24);
  EXPECT_TRUE(CopyFrameBits(source, dib));
  EXPECT_TRUE(test::SamePixels(frame, dib, "imageutils"));
  EXPECT_EQ(MemoryOf(dib), MemoryOf(frame));

  TFastDIB empty;
  EXPECT_FALSE(CopyFrameBits(source, empty));
  EXPECT_TRUE(empty.Empty());
  TFastDIB eightBit;
  eightBit.SetSize(5, 3, 8);
  EXPECT_FALSE(CopyFrameBits(source, eightBit));
  EXPECT_EQ(eightBit.Bits()[0], 0);
  EXPECT_FALSE(CopyFrameBits(FrameView{}, dib));
  EXPECT_TRUE(test::SamePixels(frame, dib, "imageutils"));
  EXPECT_EQ(MemoryOf(dib), MemoryOf(frame));
}

// A frame whose shape differs from the buffer's in any way is refused: the
// buffer keeps its pixels and nothing past the frame's own bytes is read
// (each source lies in memory of exactly its size, for the sanitizers).
struct ShapeMismatch {
  const char* name;
  std::int32_t width, height;
  std::int64_t stride;
  std::int32_t bufferWidth, bufferHeight;
};

void PrintTo(const ShapeMismatch& c, std::ostream* os) { *os << c.name; }

class CopyFrameBitsRefuses : public ::testing::TestWithParam<ShapeMismatch> {};

TEST_P(CopyFrameBitsRefuses, AFrameOfAnotherShape) {
  const ShapeMismatch& c = GetParam();
  const std::vector<std::uint8_t> memory(std::size_t(c.stride) * std::size_t(c.height), 0xEE);
  const FrameView source{memory.data(), c.width, c.height, c.stride};
  TFastDIB dib = RandomPicture(c.bufferWidth, c.bufferHeight, 22);
  ASSERT_FALSE(dib.Empty());
  const std::vector<std::uint8_t> before = MemoryOf(dib);
  EXPECT_FALSE(CopyFrameBits(source, dib));
  EXPECT_EQ(MemoryOf(dib), before);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, CopyFrameBitsRefuses,
    ::testing::Values(
        // The buffer is 4 x 3 with rows 12 bytes apart unless a case says otherwise.
        ShapeMismatch{"wider_source", 5, 3, 16, 4, 3},
        ShapeMismatch{"taller_source", 4, 4, 12, 4, 3},
        ShapeMismatch{"different_stride", 4, 3, 16, 4, 3},
        // Same stride (9 bytes pad to 12), fewer pixels: the buffer's last
        // column would be left stale.
        ShapeMismatch{"narrower_source_same_stride", 3, 3, 12, 4, 3},
        ShapeMismatch{"shorter_source", 4, 2, 12, 4, 3},
        // Frames are bottom-up; a top-down buffer would show them upside down.
        ShapeMismatch{"top_down_buffer", 4, 3, 12, 4, -3}),
    [](const auto& param) { return std::string(param.param.name); });

// A picture whose blue bytes run through every value 0 .. 255 once, green
// downwards and red in another order, two rows with padding at the end.
TFastDIB AllValues() {
  TFastDIB dib;
  dib.SetSize(257, 2, 24);  // 771 pixel bytes, one padding byte per row
  for (int r = 0; r < 2; ++r) {
    std::uint8_t* row = dib.Rows()[std::size_t(r)];
    for (int x = 0; x < 257; ++x) {
      row[3 * x] = std::uint8_t(x);
      row[3 * x + 1] = std::uint8_t(255 - x);
      row[3 * x + 2] = std::uint8_t(x * 7);
    }
    row[771] = 0xAB;
  }
  return dib;
}

// Per-byte adjustments: table of (adjustment, byte value -> expected byte).
struct TableCase {
  const char* name;
  std::function<void(TFastDIB&)> adjust;
  std::function<int(int)> expected;  // same for every channel
};
void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

class ByteTableTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(ByteTableTest, MapsEveryByteValue) {
  TFastDIB dib = AllValues();
  const TFastDIB before = AllValues();
  GetParam().adjust(dib);
  for (int r = 0; r < 2; ++r) {
    for (int i = 0; i < 771; ++i) {
      const int v = before.Rows()[std::size_t(r)][i];
      ASSERT_EQ(dib.Rows()[std::size_t(r)][i], GetParam().expected(v)) << "byte value " << v;
    }
    EXPECT_EQ(dib.Rows()[std::size_t(r)][771], 0xAB) << "padding";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Adjustments, ByteTableTest,
    ::testing::Values(
        TableCase{"LightnessZero", [](TFastDIB& d) { AdjustLightness(d, 0); }, [](int v) { return v; }},
        TableCase{"LightnessFull", [](TFastDIB& d) { AdjustLightness(d, 255); }, [](int) { return 255; }},
        TableCase{"LightnessBeyondFull", [](TFastDIB& d) { AdjustLightness(d, 9999); }, [](int) { return 255; }},
        TableCase{"LightnessBlack", [](TFastDIB& d) { AdjustLightness(d, -255); }, [](int) { return 0; }},
        TableCase{"LightnessBeyondBlack", [](TFastDIB& d) { AdjustLightness(d, -9999); }, [](int) { return 0; }},
        TableCase{"LightnessPlusOne", [](TFastDIB& d) { AdjustLightness(d, 1); },
                  [](int v) { return std::min(v + 1, 255); }},
        // Ramp from 0 to 127: step (128 * 65536) / 255 = 32896.
        TableCase{"LightnessMinus128", [](TFastDIB& d) { AdjustLightness(d, -128); },
                  [](int v) { return int((std::int64_t(v) * 32896) >> 16); }},
        TableCase{"ContrastZero", [](TFastDIB& d) { AdjustContrast(d, 0); }, [](int v) { return v; }},
        TableCase{"ContrastPlus127", [](TFastDIB& d) { AdjustContrast(d, 127); },
                  [](int v) { return v < 128 ? 0 : 255; }},
        TableCase{"ContrastThresholdFrom128", [](TFastDIB& d) { AdjustContrast(d, 200); },
                  [](int v) { return v < 128 ? 0 : 255; }},
        TableCase{"ContrastMinus128", [](TFastDIB& d) { AdjustContrast(d, -128); }, [](int) { return 128; }},
        // Entries 0 .. 99 are 0, a ramp 100 .. 155 from 0 (step 256*65536/55), 156 .. 255 are 255.
        TableCase{"ContrastPlus100", [](TFastDIB& d) { AdjustContrast(d, 100); },
                  [](int v) {
                    if (v < 100) return 0;
                    if (v > 155) return 255;
                    return std::min(255, int((std::int64_t(v - 100) * (256 * 65536 / 55)) >> 16));
                  }},
        TableCase{"SaturationNeutral", [](TFastDIB& d) { AdjustSaturation(d, 255); }, [](int v) { return v; }},
        TableCase{"NoShift", [](TFastDIB& d) { ShiftColors(d, 0, 0, 0); }, [](int v) { return v; }}),
    [](const auto& p) { return std::string(p.param.name); });

struct PixelCase {
  const char* name;
  std::function<void(TFastDIB&)> adjust;
  TBGRColor input;
  TBGRColor expected;
};
void PrintTo(const PixelCase& c, std::ostream* os) { *os << c.name; }

class PixelTest : public ::testing::TestWithParam<PixelCase> {};

TEST_P(PixelTest, GivesTheExpectedPixel) {
  TFastDIB dib;
  dib.SetSize(3, 2, 24);
  dib.Fill(GetParam().input);
  GetParam().adjust(dib);
  for (int r = 0; r < 2; ++r)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dib.PixelAt(r, x), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Adjustments, PixelTest,
    ::testing::Values(
        PixelCase{"SaturationZeroMakesGrey", [](TFastDIB& d) { AdjustSaturation(d, 0); }, {0, 0, 255}, {86, 86, 86}},
        PixelCase{"GreyGainsOneAtZero", [](TFastDIB& d) { AdjustSaturation(d, 0); }, {90, 90, 90}, {91, 91, 91}},
        PixelCase{"GreyGainsOneAt100", [](TFastDIB& d) { AdjustSaturation(d, 100); }, {7, 7, 7}, {8, 8, 8}},
        PixelCase{"GreyGainsOneAt510", [](TFastDIB& d) { AdjustSaturation(d, 510); }, {255, 255, 255}, {255, 255, 255}},
        PixelCase{"NeutralKeepsGrey", [](TFastDIB& d) { AdjustSaturation(d, 255); }, {90, 90, 90}, {90, 90, 90}},
        // Mean 85: W(c) = ((c + 1) * 510) >> 8, G = 86 - W(85) = -85.
        PixelCase{"SaturationFullPushesFromTheMean", [](TFastDIB& d) { AdjustSaturation(d, 510); },
                  {60, 80, 115}, {36, 76, 146}},
        PixelCase{"RedBeyondFull", [](TFastDIB& d) { ShiftColors(d, 300, 0, 0); }, {10, 20, 30}, {10, 20, 255}},
        PixelCase{"EachOffsetItsByte", [](TFastDIB& d) { ShiftColors(d, -5, 6, -20); }, {10, 20, 30}, {0, 26, 25}},
        PixelCase{"ExtremeOffsets", [](TFastDIB& d) { ShiftColors(d, INT_MIN, INT_MAX, 0); }, {10, 20, 30}, {10, 255, 0}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Adjustments, SaturationNeutralLeavesARandomPictureUnchanged) {
  TFastDIB dib = RandomPicture(31, 9, 22);
  AdjustSaturation(dib, 255);
  EXPECT_TRUE(test::SamePixels(RandomPicture(31, 9, 22), dib, "imageutils"));
  EXPECT_EQ(MemoryOf(dib), MemoryOf(RandomPicture(31, 9, 22)));
}

TEST(Adjustments, EmptyBufferIsLeftAlone) {
  TFastDIB dib;
  AdjustLightness(dib, 10);
  AdjustContrast(dib, 10);
  AdjustSaturation(dib, 10);
  ShiftColors(dib, 1, 2, 3);
  EXPECT_TRUE(dib.Empty());
}

}  // namespace
