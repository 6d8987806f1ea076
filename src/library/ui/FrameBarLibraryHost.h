#pragma once
// The library controller's view of the program: playback, the current frame
// and opening a video from the frame bar, dialogs owned by and repaints of the
// main window, and the window's own controls through callbacks.

#include <cstdint>
#include <exception>
#include <functional>

#include "library/ui/LibraryHost.h"

namespace kelta {

class TVideoFrameBar;

// What the main window does for the host; any may be left empty.
struct TMainWindowHooks {
  std::function<void()> ClearThumbnail;
  std::function<void(const QImage&)> SetThumbnail;
  // Before a video opens: the start picture goes.
  std::function<void()> HideStartPicture;
  // After it opened: the slider over its positions, the frame controls enabled.
  std::function<void(std::int64_t maxPosition)> VideoOpened;
  // It failed to open: the error reaches the user.
  std::function<void(const std::exception_ptr& error)> OpenFailed;
  // A command could not act; the reason goes to the status line.
  std::function<void(const QString&)> Explain;
  // A name for a new film from the video on screen.
  std::function<QString()> SuggestedFilmName;
  // Fills in the disc, title and chapter when a DVD title is on screen;
  // leaves the source as it is otherwise.
  std::function<void(TCaptureSource&)> DescribeDisc;
  // Carries out Go to Source (see TLibraryHost::GoToSource).
  std::function<void(const TCaptureSource&, const TLibraryHost::TSourceFound&)> GoToSource;
};

class TFrameBarLibraryHost : public TLibraryHost {
 public:
  TFrameBarLibraryHost(TVideoFrameBar& frameBar, QWidget* window, TMainWindowHooks hooks);

  bool Playing() override;
  void Pause() override;
  void Play() override;
  bool FileOpened() override;
  TFastDIB& FrameDIB() override;
  TDisplayAspect FrameAspect() override;
  void StartOpeningVideo(const QString& path, TPlaybackBefore before) override;
  QWidget* Window() override;
  void Repaint() override;
  void ClearThumbnail() override;
  void SetThumbnail(const QImage& picture) override;
  void Explain(const QString& why) override;
  QString SuggestedFilmName() override;
  QString FrameStillText() override;
  std::vector<TFastDIB> FramesNearFrame() override;
  TCaptureSource FrameSource() override;
  void GoToSource(const TCaptureSource& source, const TSourceFound& found) override;

 private:
  TVideoFrameBar& FrameBar_;
  QWidget* Window_;
  TMainWindowHooks Hooks_;
};

}  // namespace kelta
