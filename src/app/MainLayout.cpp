#include "app/MainLayout.h"

#include <algorithm>
#include <cmath>

namespace kelta {

namespace {

constexpr int MenuHeight = 21;
constexpr int ButtonPanelHeight = 50;
constexpr int StatusHeight = 24;
constexpr int VideoLeft = 2;
// Between the video area and the library pane: the splitter's handle.
constexpr int SplitterWidth = 10;
constexpr int StripWidth = 475;
constexpr int StripHeight = 65;
// The video area's inner margins: the slider's strip, the gap under the
// strip, the frame buttons above it and the picture's top.
constexpr int SliderStripHeight = 30;
constexpr int StripGap = 16;
constexpr int FrameButtonsAboveStrip = 69;
constexpr int PictureTop = 21;
constexpr int PictureButtonsGap = 6;
// The picture's panel and the slider leave this much of the area's width.
constexpr int SideRoom = 91;
constexpr int FrameButtonWidth = 98;
constexpr int FrameButtonStep = 99;
constexpr int ThumbnailWidth = 241;
constexpr int ThumbnailHeight = 128;
constexpr int LibraryTitleHeight = 24;
// The search field takes its height from the top of the tree.
constexpr int SearchFieldHeight = 22;

}  // namespace

int FittedLibraryWidth(int width, int libraryWidth) {
  // The video area keeps the strip of frames with its one-pixel border and margins.
  const int most = width - VideoLeft - SplitterWidth - (StripWidth + 4);
  return std::clamp(libraryWidth, TMainLayout::MinimumLibraryWidth,
                    std::max(most, TMainLayout::MinimumLibraryWidth));
}

TMainLayout LayOutMainWindow(int width, int height, int libraryWidth) {
  width = std::max(width, TMainLayout::MinimumWidth);
  height = std::max(height, TMainLayout::MinimumHeight);
  const int pane = FittedLibraryWidth(width, libraryWidth);
  TMainLayout l;
  l.MenuBar = {0, 0, width, MenuHeight};
  l.ButtonPanel = {0, MenuHeight, width, ButtonPanelHeight};
  const int middleTop = MenuHeight + ButtonPanelHeight;
  const int middleHeight = height - middleTop - StatusHeight - 3;
  l.LibraryPane = {width - pane, middleTop, pane, middleHeight};
  l.VideoArea = {VideoLeft, middleTop, width - pane - SplitterWidth - VideoLeft, middleHeight};
  l.Splitter = {l.VideoArea.Right(), middleTop, SplitterWidth, middleHeight};
  l.StatusBar = {0, height - StatusHeight, width, StatusHeight};

  // The top buttons keep their design places, narrowed in proportion below
  // the design width.
  const double narrow = std::min(1.0, double(width) / TMainLayout::DesignWidth);
  const auto scaled = [narrow](int x) { return int(std::lround(x * narrow)); };
  const int buttonX[6] = {3, 126, 249, 372, 506, 629};
  for (std::size_t i = 0; i < l.TopButtons.size(); ++i)
    l.TopButtons[i] = {scaled(buttonX[i]), 4, scaled(buttonX[i] + 120) - scaled(buttonX[i]), 42};
  l.ButtonSeparator = {scaled(498), 8, 2, 34};

  // The video area's client lies inside its one-pixel border.
  const int clientWidth = l.VideoArea.Width - 2;
  const int clientHeight = l.VideoArea.Height - 2;
  l.SliderStrip = {1, 1 + clientHeight - SliderStripHeight, clientWidth, SliderStripHeight};
  l.Slider = {42, 6, clientWidth - SideRoom, 18};
  l.FrameStrip = {1 + (clientWidth - StripWidth) / 2, 1 + clientHeight - StripHeight - StripGap, StripWidth,
                  StripHeight};
  const int buttonsY = l.FrameStrip.Y - FrameButtonsAboveStrip;
  const int buttonsX = 2 + (clientWidth - (3 * FrameButtonStep + FrameButtonWidth)) / 2;
  for (std::size_t i = 0; i < l.FrameButtons.size(); ++i)
    l.FrameButtons[i] = {buttonsX + int(i) * FrameButtonStep, buttonsY, FrameButtonWidth, 32};
  const int pictureWidth = clientWidth - SideRoom;
  l.Picture = {1 + (clientWidth - pictureWidth) / 2 + 1, PictureTop, pictureWidth,
               buttonsY - PictureButtonsGap - PictureTop};

  l.LibraryTitle = {0, 0, pane, LibraryTitleHeight};
  l.GridToggle = {pane - LibraryTitleHeight, 1, LibraryTitleHeight - 2, LibraryTitleHeight - 2};
  // The thumbnail box stays in the middle of a widened pane.
  const int thumbnailWidth = std::min(ThumbnailWidth, pane - 4);
  l.Thumbnail = {(pane - thumbnailWidth) / 2, middleHeight - ThumbnailHeight - 1, thumbnailWidth, ThumbnailHeight};
  l.SearchField = {0, LibraryTitleHeight, pane, SearchFieldHeight};
  const int treeTop = LibraryTitleHeight + SearchFieldHeight;
  l.Tree = {0, treeTop, pane, middleHeight - treeTop - 130};

  l.StatusLine = {3, 5, width - 6, 14};
  l.Progress = {width - 244, 8, 176, 9};
  l.CancelOpen = {width - 62, 2, 58, 20};
  return l;
}

}  // namespace kelta
