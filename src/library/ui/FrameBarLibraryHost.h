#pragma once
// The library controller's view of the program: playback and the current
// frame from the frame bar, dialogs owned by and repaints of the main window,
// and the window's thumbnail box through two callbacks.

#include <functional>

#include "library/ui/LibraryHost.h"

namespace kelta {

class TVideoFrameBar;

class TFrameBarLibraryHost : public TLibraryHost {
 public:
  TFrameBarLibraryHost(TVideoFrameBar& frameBar, QWidget* window, std::function<void()> clearThumbnail,
                       std::function<void(const QImage&)> setThumbnail);

  bool Playing() override;
  void Pause() override;
  void Play() override;
  bool FileOpened() override;
  TFastDIB& FrameDIB() override;
  QWidget* Window() override;
  void Repaint() override;
  void ClearThumbnail() override;
  void SetThumbnail(const QImage& picture) override;

 private:
  TVideoFrameBar& FrameBar_;
  QWidget* Window_;
  std::function<void()> ClearThumbnail_;
  std::function<void(const QImage&)> SetThumbnail_;
};

}  // namespace kelta
