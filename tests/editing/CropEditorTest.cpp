#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "editing/CropEditor.h"
#include "EditingFixtures.h"

using namespace kelta;
using kelta::testing::FillPattern;
using kelta::testing::PatternPixel;
using kelta::testing::PixelXY;
using kelta::testing::SamePixels;

namespace kelta {
std::ostream& operator<<(std::ostream& os, const TRect& r) {
  return os << "(" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << ")";
}
}  // namespace kelta

namespace {

struct MouseEvent {
  char Kind;  // 'd' press, 'm' move, 'u' release (left button)
  int X = 0;
  int Y = 0;
};

struct CropCase {
  std::string Name;
  std::vector<MouseEvent> Events;
  TRect Expected;
  TCropState State = TCropState::Idle;
  // Expected handle squares (checked when the selection is not empty).
  TRect TopLeftHandle{};
  TRect BottomRightHandle{};
};

// A 320 x 240 picture; "select" below is the selection (100,100)-(200,150).
const std::vector<MouseEvent> Select = {{'d', 100, 100}, {'m', 150, 120}, {'m', 200, 150}, {'u', 200, 150}};

std::vector<MouseEvent> After(const std::vector<MouseEvent>& first, std::vector<MouseEvent> more) {
  std::vector<MouseEvent> all = first;
  all.insert(all.end(), more.begin(), more.end());
  return all;
}

void PrintTo(const CropCase& c, std::ostream* os) { *os << c.Name; }

class CropSequence : public ::testing::TestWithParam<CropCase> {
 protected:
  void SetUp() override {
    FillPattern(Document.WorkImage, 320, 240);
    ASSERT_TRUE(Document.ImageLoaded());
    Tool.RefreshSource();
  }
  void Play(const std::vector<MouseEvent>& events) {
    for (const MouseEvent& e : events) {
      if (e.Kind == 'd') Tool.MouseDown(e.X, e.Y);
      if (e.Kind == 'm') Tool.MouseMove(e.X, e.Y);
      if (e.Kind == 'u') Tool.MouseUp();
    }
  }
  TImageDocument Document;
  TCropEditor Tool{Document};
};

TEST_P(CropSequence, GivesSelectionStateAndHandles) {
  const CropCase& c = GetParam();
  Play(c.Events);
  EXPECT_EQ(Tool.CropRect, c.Expected);
  EXPECT_EQ(Tool.DragState(), c.State);
  if (!IsEmptyRect(c.Expected) && c.State == TCropState::Idle) {
    EXPECT_EQ(Tool.Handles()[0], c.TopLeftHandle);
    EXPECT_EQ(Tool.Handles()[2], c.BottomRightHandle);
    EXPECT_EQ(Tool.SavedSelection(), c.Expected);
    EXPECT_TRUE(Tool.ShowsHandles());
  }
  // The figure shown is the selection, with its corners in order.
  const TRect outline = Tool.OutlineRect();
  EXPECT_LE(outline.Left, outline.Right);
  EXPECT_LE(outline.Top, outline.Bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Mouse, CropSequence,
    ::testing::Values(
        CropCase{"ClickWithoutMovement", {{'d', 50, 60}, {'u', 50, 60}}, {50, 60, 50, 60}},
        CropCase{"DrawnDownRight", Select, {100, 100, 200, 150}, TCropState::Idle,
                 {92, 92, 100, 100}, {200, 150, 208, 158}},
        CropCase{"DrawnUpLeftIsNormalised",
                 {{'d', 300, 200}, {'m', 250, 170}, {'m', 100, 100}, {'u', 100, 100}},
                 {100, 100, 300, 200}, TCropState::Idle, {92, 92, 100, 100}, {300, 200, 308, 208}},
        CropCase{"DrawnPastTopLeftTouchesEdgesWithHandlesInside",
                 {{'d', 50, 40}, {'m', -20, -30}, {'u', -20, -30}},
                 {0, 0, 50, 40}, TCropState::Idle, {0, 0, 8, 8}, {50, 40, 58, 48}},
        CropCase{"DrawnPastBottomRightTouchesEdgesWithHandlesInside",
                 {{'d', 100, 100}, {'m', 500, 400}, {'u', 500, 400}},
                 {100, 100, 320, 240}, TCropState::Idle, {92, 92, 100, 100}, {312, 232, 320, 240}},
        CropCase{"WhileDrawingTheCornerMayLieUpLeft",
                 {{'d', 100, 100}, {'m', 40, 30}}, {100, 100, 40, 30}, TCropState::Drawing},
        CropCase{"MovedPastRightEdgeKeepsWidth",
                 After(Select, {{'d', 150, 120}, {'m', 400, 120}, {'u', 400, 120}}),
                 {220, 100, 320, 150}, TCropState::Idle, {212, 92, 220, 100}, {312, 150, 320, 158}},
        CropCase{"MovedPastTopLeftKeepsSize",
                 After(Select, {{'d', 150, 120}, {'m', 0, 0}, {'u', 0, 0}}),
                 {0, 0, 100, 50}, TCropState::Idle, {0, 0, 8, 8}, {100, 50, 108, 58}},
        CropCase{"MovingInProgress", After(Select, {{'d', 150, 120}, {'m', 160, 130}}),
                 {110, 110, 210, 160}, TCropState::Moving},
        // The corner keeps its distance to the pointer that grabbed its handle.
        CropCase{"TopLeftHandleDraggedAcrossRightEdgeSwapsSides",
                 After(Select, {{'d', 95, 95}, {'m', 400, 100}, {'u', 400, 100}}),
                 {200, 105, 320, 150}, TCropState::Idle, {192, 97, 200, 105}, {312, 150, 320, 158}},
        CropCase{"BottomRightHandleDragged",
                 After(Select, {{'d', 204, 154}, {'m', 250, 180}, {'u', 250, 180}}),
                 {100, 100, 246, 176}, TCropState::Idle, {92, 92, 100, 100}, {246, 176, 254, 184}},
        CropCase{"HandleGrabbedWithoutMovingKeepsTheCorner",
                 After(Select, {{'d', 206, 157}, {'m', 207, 157}, {'m', 206, 157}, {'u', 206, 157}}),
                 {100, 100, 200, 150}, TCropState::Idle, {92, 92, 100, 100}, {200, 150, 208, 158}},
        CropCase{"HandleDraggedPastTopLeftStopsAtEdges",
                 After(Select, {{'d', 204, 154}, {'m', -50, -60}, {'u', -50, -60}}),
                 {0, 0, 100, 100}, TCropState::Idle, {0, 0, 8, 8}, {100, 100, 108, 108}},
        CropCase{"HandleInsideSelectionAtImageEdgeSizes",
                 {{'d', 0, 0}, {'m', 100, 100}, {'u', 100, 100}, {'d', 4, 4}},
                 {0, 0, 100, 100}, TCropState::Sizing},
        CropCase{"ClickOutsideDropsSelection",
                 After(Select, {{'d', 300, 220}, {'u', 300, 220}}), {300, 220, 300, 220}},
        CropCase{"PressOnVanishedHandleStartsNewSelection",
                 After(Select, {{'d', 300, 220}, {'u', 300, 220}, {'d', 95, 95}}),
                 {95, 95, 95, 95}, TCropState::Drawing}),
    [](const auto& p) { return p.param.Name; });

class CropTool : public ::testing::Test {
 protected:
  void SetUp() override {
    FillPattern(Document.WorkImage, 200, 150);
    ASSERT_TRUE(Document.ImageLoaded());
    Tool.RefreshSource();
  }
  void SelectRect(int l, int t, int r, int b) {
    Tool.MouseDown(l, t);
    Tool.MouseMove(r, b);
    Tool.MouseUp();
  }
  TImageDocument Document;
  TCropEditor Tool{Document};
};

TEST_F(CropTool, IdleCursorFollowsHandlesAndSelection) {
  EXPECT_EQ(Tool.MouseMove(50, 50), CursorCropCross);
  SelectRect(40, 30, 120, 90);
  EXPECT_EQ(Tool.MouseMove(36, 26), CursorSizeAll);
  EXPECT_EQ(Tool.LastHandleFound(), 0);
  EXPECT_EQ(Tool.MouseMove(124, 94), CursorSizeAll);
  EXPECT_EQ(Tool.LastHandleFound(), 2);
  EXPECT_EQ(Tool.MouseMove(80, 60), CursorCropInside);
  EXPECT_EQ(Tool.MouseMove(120, 60), CursorCropCross);  // right edge is outside
  // A miss keeps the handle found last.
  EXPECT_EQ(Tool.LastHandleFound(), 2);
}

TEST_F(CropTool, ClickWithoutMovementCropsNothing) {
  Tool.MouseDown(50, 50);
  Tool.MouseUp();
  EXPECT_FALSE(Tool.Crop());
  EXPECT_EQ(Document.WorkImage.Width(), 200);
  EXPECT_FALSE(Tool.ShowsHandles());
}

TEST_F(CropTool, HandlesShowOnceTheSelectionIsDrawn) {
  Tool.MouseDown(40, 30);
  Tool.MouseMove(10, 5);
  // While drawing: the outline alone, its corners in order.
  EXPECT_FALSE(Tool.ShowsHandles());
  EXPECT_EQ(Tool.OutlineRect(), (TRect{10, 5, 40, 30}));
  Tool.MouseUp();
  EXPECT_TRUE(Tool.ShowsHandles());
  // A click outside drops the selection with its handles.
  Tool.MouseDown(150, 120);
  Tool.MouseUp();
  EXPECT_FALSE(Tool.ShowsHandles());
}

TEST_F(CropTool, SecondCropCutsFromFirstAndRevertRestores) {
  SelectRect(10, 20, 110, 100);
  ASSERT_TRUE(Tool.Crop());
  EXPECT_TRUE(IsEmptyRect(Tool.CropRect));
  ASSERT_EQ(Document.WorkImage.Width(), 100);
  ASSERT_EQ(Document.WorkImage.RowCount(), 80);
  EXPECT_TRUE(PixelXY(Document.WorkImage, 0, 0) == PatternPixel(10, 20));
  EXPECT_TRUE(PixelXY(Document.WorkImage, 99, 79) == PatternPixel(109, 99));
  EXPECT_FALSE(Tool.ShowsHandles());

  SelectRect(5, 5, 55, 45);
  ASSERT_TRUE(Tool.Crop());
  ASSERT_EQ(Document.WorkImage.Width(), 50);
  ASSERT_EQ(Document.WorkImage.RowCount(), 40);
  EXPECT_TRUE(PixelXY(Document.WorkImage, 0, 0) == PatternPixel(15, 25));
  EXPECT_TRUE(PixelXY(Document.WorkImage, 49, 39) == PatternPixel(64, 64));

  Tool.Revert();
  EXPECT_TRUE(SamePixels(Document.WorkImage, Document.LoadedImage));
  EXPECT_EQ(Document.WorkImage.Width(), 200);
  // After reverting, the next crop cuts from the loaded picture again.
  SelectRect(30, 40, 60, 70);
  ASSERT_TRUE(Tool.Crop());
  EXPECT_TRUE(PixelXY(Document.WorkImage, 0, 0) == PatternPixel(30, 40));
}

TEST_F(CropTool, NoHandlesAfterCrop) {
  SelectRect(10, 20, 110, 100);
  ASSERT_TRUE(Tool.Crop());
  // The squares of the cut selection are gone: pressing where one was starts a new selection.
  EXPECT_EQ(Tool.MouseMove(6, 16), CursorCropCross);
  Tool.MouseDown(6, 16);
  EXPECT_EQ(Tool.DragState(), TCropState::Drawing);
}

TEST(KeepInside, FreeEdgesFollowTheirOrder) {
  TImageDocument document;
  FillPattern(document.WorkImage, 100, 80);
  TCropEditor tool(document);
  struct Case {
    TRect In, Out;
  };
  for (const Case& c : {Case{{-5, -5, 50, 40}, {0, 0, 50, 40}},
                        Case{{120, 10, 130, 20}, {95, 10, 100, 20}},
                        Case{{10, 90, 20, 95}, {10, 75, 20, 80}},
                        Case{{-10, 10, -2, 20}, {0, 10, 5, 20}},
                        Case{{10, -10, 20, -1}, {10, 0, 20, 5}}}) {
    tool.CropRect = c.In;
    tool.KeepInside(false);
    EXPECT_EQ(tool.CropRect, c.Out) << "from " << c.In;
  }
}

}  // namespace
