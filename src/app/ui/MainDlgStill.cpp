// The main window's still choice (Playback > Still): how a paused frame is
// made into a still, kept between runs in its own file beside the library.
#include <exception>
#include <utility>

#include <QAction>

#include "app/ui/MainDlg.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

void TMainDlg::UseStillModeFile(const std::filesystem::path& file) {
  StillModeFile_ = file;
  const TStillMode mode = LoadStillMode(file);
  FrameBar->SetStillMode(mode);
  for (auto [action, itsMode] : {std::pair{tbiStillClean, TStillMode::Clean},
                                 std::pair{tbiStillWeave, TStillMode::Weave},
                                 std::pair{tbiStillBlend, TStillMode::Blend}})
    action->setChecked(itsMode == mode);
}

void TMainDlg::ChooseStillMode(TStillMode mode) {
  FrameBar->SetStillMode(mode);
  if (FrameBar->FileOpened() && !FrameBar->Opening()) ShowVideoStatus();
  if (StillModeFile_.empty()) return;
  try {
    SaveStillMode(StillModeFile_, mode);
  } catch (const std::exception&) {
    // A folder that cannot be written keeps the choice for this run, as it
    // keeps the recent videos.
  }
}

}  // namespace kelta
