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

}  // namespace
}  // namespace kelta
