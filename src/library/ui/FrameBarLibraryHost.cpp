#include "library/ui/FrameBarLibraryHost.h"

#include <stdexcept>

#include <QImage>
#include <QWidget>

#include "video/ui/VideoFrameBar.h"

namespace kelta {

TFrameBarLibraryHost::TFrameBarLibraryHost(TVideoFrameBar& frameBar, QWidget* window, TMainWindowHooks hooks)
    : FrameBar_(frameBar), Window_(window), Hooks_(std::move(hooks)) {}

bool TFrameBarLibraryHost::Playing() { return FrameBar_.Playing(); }
void TFrameBarLibraryHost::Pause() { FrameBar_.Pause(); }
void TFrameBarLibraryHost::Play() { FrameBar_.Play(); }
bool TFrameBarLibraryHost::FileOpened() { return FrameBar_.FileOpened(); }
TFastDIB& TFrameBarLibraryHost::FrameDIB() { return FrameBar_.FrameDIB(); }
QWidget* TFrameBarLibraryHost::Window() { return Window_; }

void TFrameBarLibraryHost::OpenVideo(const QString& path) {
  FrameBar_.FileName = path;
  Repaint();
  if (Hooks_.HideStartPicture) Hooks_.HideStartPicture();
  FrameBar_.OpenVideo();
  // Without the decoder plugin the bar opens nothing; saying so beats
  // enabling controls over an empty picture.
  if (!FrameBar_.FileOpened())
    throw std::runtime_error("Cannot open " + path.toStdString() +
                             ": the MPEG-2 video decoder (codec.so) is missing from the program folder");
  if (Hooks_.VideoOpened) Hooks_.VideoOpened(FrameBar_.MaxPosition());
}

void TFrameBarLibraryHost::Repaint() {
  if (Window_) Window_->repaint();
}

void TFrameBarLibraryHost::ClearThumbnail() {
  if (Hooks_.ClearThumbnail) Hooks_.ClearThumbnail();
}

void TFrameBarLibraryHost::SetThumbnail(const QImage& picture) {
  if (Hooks_.SetThumbnail) Hooks_.SetThumbnail(picture);
}

void TFrameBarLibraryHost::Explain(const QString& why) {
  if (Hooks_.Explain) Hooks_.Explain(why);
}

QString TFrameBarLibraryHost::SuggestedFilmName() {
  return Hooks_.SuggestedFilmName ? Hooks_.SuggestedFilmName() : QString();
}

}  // namespace kelta
