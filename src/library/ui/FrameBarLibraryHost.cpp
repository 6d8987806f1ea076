#include "library/ui/FrameBarLibraryHost.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <QFileInfo>
#include <QImage>
#include <QWidget>

#include "video/NearbyFrames.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

TFrameBarLibraryHost::TFrameBarLibraryHost(TVideoFrameBar& frameBar, QWidget* window, TMainWindowHooks hooks)
    : FrameBar_(frameBar), Window_(window), Hooks_(std::move(hooks)) {}

bool TFrameBarLibraryHost::Playing() { return FrameBar_.Playing(); }
void TFrameBarLibraryHost::Pause() { FrameBar_.Pause(); }
void TFrameBarLibraryHost::Play() { FrameBar_.Play(); }
// While another video opens, its first picture covers the frame on screen:
// there is no frame to act on until the open ends.
bool TFrameBarLibraryHost::FileOpened() { return FrameBar_.FileOpened() && !FrameBar_.Opening(); }
TFastDIB& TFrameBarLibraryHost::FrameDIB() { return FrameBar_.FrameDIB(); }
TDisplayAspect TFrameBarLibraryHost::FrameAspect() { return FrameBar_.DisplayAspect(); }
QWidget* TFrameBarLibraryHost::Window() { return Window_; }

void TFrameBarLibraryHost::StartOpeningVideo(const QString& path, TPlaybackBefore before) {
  // Without the decoder plugin the bar opens nothing; saying so beats
  // waiting for an open that never comes.
  if (!FrameBar_.DecoderLoaded())
    throw std::runtime_error("Cannot open " + path.toStdString() +
                             ": the MPEG-2 video decoder (codec.so) is missing from the program folder");
  FrameBar_.FileName = path;
  Repaint();
  if (Hooks_.HideStartPicture) Hooks_.HideStartPicture();
  FrameBar_.BeginOpen(
      [this](TOpenEnd end, const std::exception_ptr& error) {
        if (end == TOpenEnd::Opened && Hooks_.VideoOpened) Hooks_.VideoOpened(FrameBar_.MaxPosition());
        if (end == TOpenEnd::Failed && Hooks_.OpenFailed) Hooks_.OpenFailed(error);
      },
      before);
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

QString TFrameBarLibraryHost::FrameStillText() {
  const std::optional<TStillKind> kind = FrameBar_.StillKind();
  return kind ? QString::fromLatin1(StillKindText(*kind)) : QString();
}

std::vector<TFastDIB> TFrameBarLibraryHost::FramesNearFrame() {
  return FrameBar_.FramesNear(BarJudgingOffsets(FrameBar_.GetFrameRate()));
}

TCaptureSource TFrameBarLibraryHost::FrameSource() {
  TCaptureSource source;
  if (!FileOpened()) return source;
  if (Hooks_.DescribeDisc) Hooks_.DescribeDisc(source);
  // A DVD title's FileName is its display name, not a file.
  if (!source.IsDvd()) source.Video = QFileInfo(FrameBar_.FileName).absoluteFilePath().toStdString();
  source.Frame = FrameBar_.FrameNumber();
  source.Position = FrameBar_.Position() * PositionBlock;
  source.TimeMs = std::llround(FrameBar_.CurrentTime() * 86400000.0);
  const double rate = FrameBar_.GetFrameRate();
  if (std::isfinite(rate) && rate > 0) source.FrameRate = rate;
  source.Aspect = FrameBar_.DisplayAspect();
  source.Still = FrameStillText().toStdString();
  return source;
}

void TFrameBarLibraryHost::GoToSource(const TCaptureSource& source, const TSourceFound& found) {
  if (Hooks_.GoToSource) Hooks_.GoToSource(source, found);
}

}  // namespace kelta
