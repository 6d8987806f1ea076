// Where the main window's controls stand for its size.

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/MainLayout.h"

namespace kelta {
namespace {

bool Inside(const TBox& inner, const TBox& outer) {
  return inner.X >= 0 && inner.Y >= 0 && inner.Right() <= outer.Width && inner.Bottom() <= outer.Height;
}

bool Apart(const TBox& a, const TBox& b) {
  return a.Right() <= b.X || b.Right() <= a.X || a.Bottom() <= b.Y || b.Bottom() <= a.Y;
}

// The design size keeps the window's original places.
TEST(MainLayout, TheDesignSizeKeepsTheOriginalPlaces) {
  const TMainLayout l = LayOutMainWindow(750, 501, 245);
  EXPECT_EQ(l.VideoArea, (TBox{2, 71, 493, 403}));
  EXPECT_EQ(l.LibraryPane, (TBox{505, 71, 245, 403}));
  EXPECT_EQ(l.StatusBar, (TBox{0, 477, 750, 24}));
  EXPECT_EQ(l.TopButtons[3], (TBox{372, 4, 120, 42}));
  EXPECT_EQ(l.TopButtons[5], (TBox{629, 4, 120, 42}));
  EXPECT_EQ(l.Picture, (TBox{47, 21, 400, 225}));
  EXPECT_EQ(l.FrameStrip, (TBox{9, 321, 475, 65}));
  EXPECT_EQ(l.FrameButtons[0], (TBox{50, 252, 98, 32}));
  EXPECT_EQ(l.FrameButtons[3], (TBox{347, 252, 98, 32}));
  EXPECT_EQ(l.Slider, (TBox{42, 6, 400, 18}));
  EXPECT_EQ(l.SearchField, (TBox{0, 24, 245, 22}));
  EXPECT_EQ(l.GridToggle, (TBox{221, 1, 22, 22}));
  EXPECT_EQ(l.Tree, (TBox{0, 46, 245, 227}));
  EXPECT_EQ(l.Thumbnail, (TBox{2, 274, 241, 128}));
  EXPECT_EQ(l.Progress, (TBox{506, 8, 176, 9}));
  EXPECT_EQ(l.CancelOpen, (TBox{688, 2, 58, 20}));
}

struct TSizeCase {
  int Width, Height, Pane;
};

class MainLayoutSizes : public testing::TestWithParam<TSizeCase> {};

// At every size from the minimum up, each control lies inside its
// container, the window's parts do not overlap, and the strip keeps its
// size with the frame buttons and the picture above it.
TEST_P(MainLayoutSizes, NothingIsCutOrOverlaps) {
  const TSizeCase c = GetParam();
  const TMainLayout l = LayOutMainWindow(c.Width, c.Height, c.Pane);
  const TBox window{0, 0, c.Width, c.Height};
  const std::vector<TBox> parts = {l.MenuBar, l.ButtonPanel, l.VideoArea, l.Splitter, l.LibraryPane, l.StatusBar};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    EXPECT_TRUE(Inside(parts[i], window)) << i;
    for (std::size_t j = i + 1; j < parts.size(); ++j) EXPECT_TRUE(Apart(parts[i], parts[j])) << i << " " << j;
  }
  for (std::size_t i = 0; i < l.TopButtons.size(); ++i) {
    EXPECT_TRUE(Inside(l.TopButtons[i], l.ButtonPanel));
    if (i + 1 < l.TopButtons.size()) {
      EXPECT_TRUE(Apart(l.TopButtons[i], l.TopButtons[i + 1]));
    }
  }
  // The strip's shadow runs under the slider's strip, as it always did.
  const std::vector<TBox> video = {l.Picture, l.FrameButtons[0], l.FrameButtons[3], l.FrameStrip};
  for (std::size_t i = 0; i < video.size(); ++i) {
    EXPECT_TRUE(Inside(video[i], l.VideoArea)) << i;
    for (std::size_t j = i + 1; j < video.size(); ++j) EXPECT_TRUE(Apart(video[i], video[j])) << i << " " << j;
  }
  EXPECT_TRUE(Inside(l.SliderStrip, l.VideoArea));
  EXPECT_LT(l.FrameStrip.Y, l.SliderStrip.Y);
  EXPECT_EQ(l.FrameStrip.Width, 475);
  EXPECT_GE(l.Picture.Height, 100);
  const std::vector<TBox> pane = {l.LibraryTitle, l.SearchField, l.Tree, l.Thumbnail};
  for (std::size_t i = 0; i < pane.size(); ++i) {
    EXPECT_TRUE(Inside(pane[i], l.LibraryPane)) << i;
    for (std::size_t j = i + 1; j < pane.size(); ++j) EXPECT_TRUE(Apart(pane[i], pane[j])) << i << " " << j;
  }
  EXPECT_GE(l.Tree.Height, 100);
  EXPECT_TRUE(Inside(l.GridToggle, l.LibraryTitle));
  EXPECT_LE(std::abs(l.Thumbnail.X * 2 + l.Thumbnail.Width - l.LibraryPane.Width), 1);
  EXPECT_TRUE(Inside(l.CancelOpen, l.StatusBar));
}

INSTANTIATE_TEST_SUITE_P(Sizes, MainLayoutSizes,
                         testing::Values(TSizeCase{632, 420, 245}, TSizeCase{632, 420, 140}, TSizeCase{640, 480, 245},
                                         TSizeCase{750, 501, 245}, TSizeCase{853, 650, 245},
                                         TSizeCase{1280, 800, 245}, TSizeCase{1280, 800, 600},
                                         TSizeCase{2560, 1560, 245}));

// The pane's width is the person's within the minimum and what leaves the
// strip of frames its room; smaller sizes are taken as the minimum.
TEST(MainLayout, ThePaneWidthIsFitted) {
  EXPECT_EQ(FittedLibraryWidth(1280, 400), 400);
  EXPECT_EQ(FittedLibraryWidth(1280, 40), TMainLayout::MinimumLibraryWidth);
  EXPECT_EQ(FittedLibraryWidth(1280, 2000), 1280 - 2 - 10 - 479);
  EXPECT_EQ(FittedLibraryWidth(TMainLayout::MinimumWidth, 245), TMainLayout::MinimumWidth - 2 - 10 - 479);
  const TMainLayout tiny = LayOutMainWindow(100, 100, 245);
  EXPECT_EQ(tiny.StatusBar.Width, TMainLayout::MinimumWidth);
  EXPECT_EQ(tiny.StatusBar.Bottom(), TMainLayout::MinimumHeight);
}

}  // namespace
}  // namespace kelta
