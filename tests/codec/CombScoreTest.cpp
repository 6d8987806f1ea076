// What counts as combs: the teeth of an edge whose two fields were taken at
// different moments, and not the sharp edges and thin lines of a still
// picture.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>

#include "codec/CombScore.h"

using kelta::codec::FramePtr;

namespace {

constexpr int Size = 64;

// A grey 64 x 64 picture whose luma `luma(x, y)` draws.
FramePtr Picture(const std::function<int(int x, int y)>& luma) {
  FramePtr f(av_frame_alloc());
  f->format = AV_PIX_FMT_YUV420P;
  f->width = f->height = Size;
  if (av_frame_get_buffer(f.get(), 0) < 0) throw std::runtime_error("no picture");
  for (int y = 0; y < Size; ++y)
    for (int x = 0; x < Size; ++x) f->data[0][y * f->linesize[0] + x] = std::uint8_t(luma(x, y));
  return f;
}

struct CombCase {
  const char* name;
  std::function<int(int x, int y)> luma;
  bool combed;
};

void PrintTo(const CombCase& c, std::ostream* os) { *os << c.name; }

class CombScoreCases : public ::testing::TestWithParam<CombCase> {};

TEST_P(CombScoreCases, TellsTeethFromStillDetail) {
  const FramePtr frame = Picture(GetParam().luma);
  EXPECT_EQ(kelta::codec::Combed(kelta::codec::CombScore(frame.get(), frame.get())), GetParam().combed);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, CombScoreCases,
    ::testing::Values(
        CombCase{"FlatGrey", [](int, int) { return 128; }, false},
        CombCase{"SharpHorizontalEdge", [](int, int y) { return y < Size / 2 ? 40 : 200; }, false},
        // A rule every fourth row, as text and frames have.
        CombCase{"ThinLines", [](int, int y) { return y % 4 == 1 ? 230 : 60; }, false},
        // A dark bar whose fields are 8 pixels apart: it moved between them.
        CombCase{"MovedEdge", [](int x, int y) { return x < (y % 2 ? 36 : 28) ? 40 : 200; }, true}),
    [](const ::testing::TestParamInfo<CombCase>& row) { return std::string(row.param.name); });

// The score weaves the frame from the two pictures' rows: two still pictures
// of a bar in different places comb, the same picture twice does not.
TEST(CombScore, WeavesEvenRowsOfOneWithOddRowsOfTheOther) {
  const FramePtr left = Picture([](int x, int) { return x < 24 ? 40 : 200; });
  const FramePtr right = Picture([](int x, int) { return x < 32 ? 40 : 200; });
  EXPECT_FALSE(kelta::codec::Combed(kelta::codec::CombScore(left.get(), left.get())));
  EXPECT_TRUE(kelta::codec::Combed(kelta::codec::CombScore(left.get(), right.get())));
}

}  // namespace
