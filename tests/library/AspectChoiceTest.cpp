// The aspect choice the save dialog starts with for a video's frame.

#include <gtest/gtest.h>

#include <ostream>

#include "library/AspectChoice.h"

namespace kelta {
namespace {

struct TChoiceCase {
  const char* Name;
  int Width, Height;
  TDisplayAspect Aspect;
  TAspectRatio Expected;
};
void PrintTo(const TChoiceCase& c, std::ostream* os) { *os << c.Name; }

class MatchingChoice : public ::testing::TestWithParam<TChoiceCase> {};

TEST_P(MatchingChoice, StoresTheFrameInItsShape) {
  const TChoiceCase& c = GetParam();
  EXPECT_EQ(MatchingAspectChoice(c.Width, c.Height, c.Aspect), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    AspectChoice, MatchingChoice,
    ::testing::Values(TChoiceCase{"Pal4x3", 720, 576, {4, 3}, TAspectRatio::Ratio4x3},
                      TChoiceCase{"Pal16x9", 720, 576, {16, 9}, TAspectRatio::Ratio16x9},
                      TChoiceCase{"Ntsc4x3", 720, 480, {4, 3}, TAspectRatio::Ratio4x3},
                      TChoiceCase{"Ntsc16x9", 720, 480, {16, 9}, TAspectRatio::Ratio16x9},
                      TChoiceCase{"UnknownAsAlways", 720, 576, {}, TAspectRatio::Ratio16x9},
                      TChoiceCase{"Mpeg1SifNearly4x3", 352, 288, {110000, 82413}, TAspectRatio::Ratio4x3},
                      TChoiceCase{"SquarePixelsAlready", 720, 480, {3, 2}, TAspectRatio::AsCaptured},
                      TChoiceCase{"TwoPointTwentyOne", 720, 576, {221, 100}, TAspectRatio::SquarePixels}),
    [](const auto& p) { return std::string(p.param.Name); });

}  // namespace
}  // namespace kelta
