#pragma once
// The frame bar's open in progress (see VideoFrameBarOpening.cpp): the
// worker, whom to tell of the end, and the previous video's look to put back
// when no new video opens.

#include <array>
#include <cstdint>
#include <memory>

#include <QString>

#include "imaging/FastDIB.h"
#include "video/VideoOpener.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

struct TVideoFrameBar::TOpening {
  // Tells this open's queued news from a later open's.
  std::uint64_t Id = 0;
  TOpenDone Done;
  TPlaybackBefore Before = TPlaybackBefore::Paused;
  QString PreviousName;
  // The output panel's picture before the new video's first one covered it.
  TFastDIB PreviousPanel;
  bool PanelCovered = false;
  // The cells' pictures that new thumbnails replaced, and the new cells'
  // positions, which take effect with the new video.
  std::array<TFastDIB, CellCount> PreviousThumbs;
  std::array<bool, CellCount> ThumbReplaced{};
  std::array<std::int64_t, CellCount> NewPositions{};
  // Last, so that it goes first: its worker ends before the rest goes.
  std::unique_ptr<TVideoOpener> Opener;
};

}  // namespace kelta
