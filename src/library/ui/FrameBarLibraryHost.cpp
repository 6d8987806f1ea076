#include "library/ui/FrameBarLibraryHost.h"

#include <QImage>
#include <QWidget>

#include "video/ui/VideoFrameBar.h"

namespace kelta {

TFrameBarLibraryHost::TFrameBarLibraryHost(TVideoFrameBar& frameBar, QWidget* window,
                                           std::function<void()> clearThumbnail,
                                           std::function<void(const QImage&)> setThumbnail)
    : FrameBar_(frameBar),
      Window_(window),
      ClearThumbnail_(std::move(clearThumbnail)),
      SetThumbnail_(std::move(setThumbnail)) {}

bool TFrameBarLibraryHost::Playing() { return FrameBar_.Playing(); }
void TFrameBarLibraryHost::Pause() { FrameBar_.Pause(); }
void TFrameBarLibraryHost::Play() { FrameBar_.Play(); }
bool TFrameBarLibraryHost::FileOpened() { return FrameBar_.FileOpened(); }
TFastDIB& TFrameBarLibraryHost::FrameDIB() { return FrameBar_.FrameDIB(); }
QWidget* TFrameBarLibraryHost::Window() { return Window_; }

void TFrameBarLibraryHost::Repaint() {
  if (Window_) Window_->repaint();
}

void TFrameBarLibraryHost::ClearThumbnail() {
  if (ClearThumbnail_) ClearThumbnail_();
}

void TFrameBarLibraryHost::SetThumbnail(const QImage& picture) {
  if (SetThumbnail_) SetThumbnail_(picture);
}

}  // namespace kelta
