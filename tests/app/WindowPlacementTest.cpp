#include <gtest/gtest.h>

#include "app/WindowPlacement.h"

namespace kelta {
namespace {

struct CentreCase {
  const char* name;
  int workW, workH, winW, winH;
  TPoint expected;
};

class CenteredPositionTest : public ::testing::TestWithParam<CentreCase> {};

TEST_P(CenteredPositionTest, HalvesTheDifference) {
  const CentreCase& c = GetParam();
  EXPECT_EQ(CenteredPosition(c.workW, c.workH, c.winW, c.winH), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CenteredPositionTest,
    ::testing::Values(CentreCase{"WorkArea1024x738", 1024, 738, 760, 530, {132, 104}},
                      CentreCase{"OddDifferenceRoundsTowardZero", 1025, 739, 760, 530, {132, 104}},
                      // A narrow work area: the window overhangs both sides equally.
                      CentreCase{"NarrowerThanWindow", 700, 600, 760, 530, {-30, 35}},
                      CentreCase{"NarrowOddOverhang", 701, 600, 760, 530, {-29, 35}}),
    [](const auto& param) { return std::string(param.param.name); });

struct MoveCase {
  const char* name;
  TRect proposed;
  TRect expected;
};

class ClampMovedRectTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(ClampMovedRectTest, KeepsTheWindowInside) {
  const MoveCase& c = GetParam();
  EXPECT_EQ(ClampMovedRect(c.proposed, 1280, 1000), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClampMovedRectTest,
    ::testing::Values(MoveCase{"Inside", {100, 100, 860, 630}, {100, 100, 860, 630}},
                      MoveCase{"PastLeft", {-40, 100, 720, 630}, {0, 100, 760, 630}},
                      MoveCase{"AtLeftEdge", {0, 100, 760, 630}, {0, 100, 760, 630}},
                      MoveCase{"PastRight", {600, 100, 1360, 630}, {520, 100, 1280, 630}},
                      MoveCase{"PastTop", {100, -5, 860, 525}, {100, 0, 860, 530}},
                      MoveCase{"PastBottom", {100, 600, 860, 1130}, {100, 470, 860, 1000}},
                      MoveCase{"PastLeftAndBottom", {-10, 900, 750, 1430}, {0, 470, 760, 1000}}),
    [](const auto& param) { return std::string(param.param.name); });

// The kept place reads back as written; anything else is no place.
TEST(WindowPlace, TextRoundTripsAndRefusesTheRest) {
  const TWindowPlace place{TBox{-1200, 40, 900, 640}, true, 300};
  EXPECT_EQ(ParseWindowPlace(WindowPlaceText(place)), place);
  for (const char* bad : {"", "window", "window 1 2 3", "window 1 2 750 501 2 245", "window 1 2 0 501 0 245",
                          "window 1 2 750 501 0 245 extra", "place 1 2 750 501 0 245",
                          "window 1 2 750 99999999 0 245"})
    EXPECT_FALSE(ParseWindowPlace(bad).has_value()) << bad;
}

struct TOpeningCase {
  const char* Name;
  std::optional<TWindowPlace> Saved;
  std::vector<TBox> Areas;
  TBox Expected;
};

class OpeningPlaceTest : public testing::TestWithParam<TOpeningCase> {};

TEST_P(OpeningPlaceTest, OpensOnAScreen) {
  const TOpeningCase& c = GetParam();
  EXPECT_EQ(OpeningPlace(c.Saved, c.Areas), c.Expected);
}

const std::vector<TBox> OneScreen = {{0, 0, 1280, 1024}};
// 1280 x 1024 at a scale factor of 2, and a second screen to the left.
const std::vector<TBox> HalfScreen = {{0, 0, 640, 512}};
const std::vector<TBox> TwoScreens = {{0, 0, 1280, 1024}, {-1920, 0, 1920, 1080}};

INSTANTIATE_TEST_SUITE_P(
    Cases, OpeningPlaceTest,
    testing::Values(
        TOpeningCase{"FirstStartCentred", std::nullopt, OneScreen, {265, 261, 750, 501}},
        TOpeningCase{"FirstStartOnAHalfScreen", std::nullopt, HalfScreen, {0, 5, 640, 501}},
        TOpeningCase{"KeptPlace", TWindowPlace{{100, 50, 900, 700}, false, 245}, OneScreen, {100, 50, 900, 700}},
        TOpeningCase{"KeptOnTheOtherScreen", TWindowPlace{{-1800, 100, 900, 700}, false, 245}, TwoScreens,
                     {-1800, 100, 900, 700}},
        TOpeningCase{"ScreenGone", TWindowPlace{{-1800, 100, 900, 700}, false, 245}, OneScreen, {265, 261, 750, 501}},
        TOpeningCase{"TooLargeShrinks", TWindowPlace{{10, 10, 1400, 1100}, false, 245}, OneScreen, {0, 0, 1280, 1024}},
        TOpeningCase{"HangingOffTheRightMovesIn", TWindowPlace{{1000, 10, 750, 501}, false, 245}, OneScreen,
                     {530, 10, 750, 501}},
        TOpeningCase{"KeptLargeOnAHalfScreen", TWindowPlace{{10, 10, 1200, 900}, false, 245}, HalfScreen,
                     {0, 0, 640, 512}},
        TOpeningCase{"NoScreenAtAll", std::nullopt, {}, {0, 0, 750, 501}}),
    [](const auto& param) { return std::string(param.param.Name); });

}  // namespace
}  // namespace kelta
