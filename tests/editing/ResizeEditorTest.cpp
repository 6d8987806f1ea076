#include <gtest/gtest.h>

#include "EditingFixtures.h"
#include "editing/ResizeEditor.h"

#include <string>

using namespace kelta;
using kelta::testing::FillPattern;
using kelta::testing::SamePixels;

namespace {

struct ConstrainCase {
  int Value, Other, Side, Expected;
};

class Constrain : public ::testing::TestWithParam<ConstrainCase> {};

TEST_P(Constrain, RoundsHalfToEven) {
  const ConstrainCase& c = GetParam();
  EXPECT_EQ(ConstrainedSide(c.Value, c.Other, c.Side), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, Constrain,
    ::testing::Values(ConstrainCase{360, 576, 720, 288},   // 720 x 576 at width 360
                      ConstrainCase{100, 405, 720, 56},    // 56.25
                      ConstrainCase{100, 3, 200, 2},       // 1.5 -> 2
                      ConstrainCase{100, 5, 200, 2},       // 2.5 -> 2
                      ConstrainCase{100, 7, 200, 4},       // 3.5 -> 4
                      ConstrainCase{100, 151, 200, 76},    // 75.5 -> 76
                      ConstrainCase{100, 149, 200, 74},    // 74.5 -> 74
                      ConstrainCase{101, 3, 200, 2},       // 1.515
                      ConstrainCase{0, 576, 720, 0},
                      ConstrainCase{99999, 32767, 32768, 99996},  // product beyond 32 bits
                      ConstrainCase{360, 576, 0, 0}),
    [](const auto& p) { return "Case" + std::to_string(p.index); });

TEST(RoundHalfEven, NegativeQuotients) {
  EXPECT_EQ(RoundHalfEven(-3, 2), -2);  // -1.5
  EXPECT_EQ(RoundHalfEven(-5, 2), -2);  // -2.5
  EXPECT_EQ(RoundHalfEven(-7, 4), -2);  // -1.75
  EXPECT_EQ(RoundHalfEven(7, -2), -4);  // -3.5
}

class Resize : public ::testing::Test {
 protected:
  void SetUp() override {
    FillPattern(Document.WorkImage, 64, 48);
    ASSERT_TRUE(Document.ImageLoaded());
  }
  TImageDocument Document;
  TResizeEditor Tool{Document};
};

TEST_F(Resize, SameSizeChangesNothing) {
  EXPECT_FALSE(Tool.Resize(64, 48));
  EXPECT_TRUE(SamePixels(Document.WorkImage, Document.LoadedImage));
}

TEST_F(Resize, AlwaysStartsFromTheLoadedImage) {
  ASSERT_TRUE(Tool.Resize(32, 24));
  EXPECT_EQ(Document.WorkImage.Width(), 32);
  EXPECT_EQ(Document.WorkImage.RowCount(), 24);
  ASSERT_TRUE(Tool.Resize(10, 10));
  ASSERT_TRUE(Tool.Resize(64, 48));
  EXPECT_TRUE(SamePixels(Document.WorkImage, Document.LoadedImage));
}

struct SizeCase {
  std::int64_t Width, Height;
  bool Allowed;
};

class ResizeLimits : public ::testing::TestWithParam<SizeCase> {};

// Each side 1 .. 32767 and at most 100 million pixels in all; a refused size
// says why and leaves the picture shown as it was.
TEST_P(ResizeLimits, RefusesSizesThatCannotBeMade) {
  const SizeCase& c = GetParam();
  const std::string problem = ResizeSizeProblem(c.Width, c.Height);
  EXPECT_EQ(problem.empty(), c.Allowed) << problem;
  if (c.Allowed) return;
  EXPECT_NE(problem.find(std::to_string(c.Width) + " x " + std::to_string(c.Height)), std::string::npos);
  TImageDocument document;
  FillPattern(document.WorkImage, 64, 48);
  ASSERT_TRUE(document.ImageLoaded());
  TResizeEditor tool(document);
  ASSERT_TRUE(tool.Resize(32, 24));
  EXPECT_THROW(tool.Resize(std::int32_t(c.Width), std::int32_t(c.Height)), EResizeRefused);
  EXPECT_EQ(document.WorkImage.Width(), 32);
  EXPECT_EQ(document.WorkImage.RowCount(), 24);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ResizeLimits,
                         ::testing::Values(SizeCase{0, 100, false}, SizeCase{100, 0, false},
                                           SizeCase{-5, 10, false}, SizeCase{1, 1, true},
                                           SizeCase{32767, 1, true}, SizeCase{32768, 1, false},
                                           SizeCase{1, 99999, false}, SizeCase{99999, 99999, false},
                                           SizeCase{10000, 10000, true}, SizeCase{10000, 10001, false},
                                           SizeCase{32767, 3051, true}, SizeCase{32767, 3052, false}));

TEST(ImageDocument, EmptyOrMissingPictureIsRefused) {
  TImageDocument document;
  FillPattern(document.WorkImage, 8, 6);
  ASSERT_TRUE(document.ImageLoaded());
  document.WorkImage.SetSize(0, 0, 24);
  EXPECT_FALSE(document.ImageLoaded());
  EXPECT_EQ(document.LoadedImage.Width(), 8);
  // A missing file keeps the picture shown.
  FillPattern(document.WorkImage, 8, 6);
  EXPECT_FALSE(document.LoadFromFile("/nonexistent/kelta-missing.bmp"));
  EXPECT_EQ(document.WorkImage.Width(), 8);
}

}  // namespace
