#pragma once
// What the library controller needs from the rest of the program: the frame
// bar's playback and current frame, opening a video, and the main window's
// thumbnail box and repainting. The main window provides it; tests provide
// their own.

#include <QString>
#include <functional>
#include <vector>

#include "video/PlaybackPause.h"
#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"
#include "library/CaptureSource.h"

class QImage;
class QWidget;

namespace kelta {

// The main window's thumbnail box: a library picture's thumbnail is shown
// whole inside it, scaled down when it is larger.
constexpr int ThumbnailBoxWidth = 241;
constexpr int ThumbnailBoxHeight = 128;

class TLibraryHost {
 public:
  virtual ~TLibraryHost() = default;

  virtual bool Playing() = 0;
  virtual void Pause() = 0;
  virtual void Play() = 0;
  // A video has been opened, and no other is opening; FrameDIB then holds
  // the current frame.
  virtual bool FileOpened() = 0;
  virtual TFastDIB& FrameDIB() = 0;
  // The shape the current frame is shown at; unknown when the decoder does not say.
  virtual TDisplayAspect FrameAspect() = 0;
  // Starts opening the file in the frame bar and returns at once. Once it
  // opened, the main window is readied for it: the start picture hidden, the
  // slider at 0 over the video's positions, the frame buttons and the slider
  // enabled; an error of the decoder reaches the user when the open fails. A
  // missing decoder is an error raised at once. Playback that ran until the
  // command paused it runs again if no video opens.
  virtual void StartOpeningVideo(const QString& path, TPlaybackBefore before) = 0;

  // Owner of the commands' dialogs and message boxes.
  virtual QWidget* Window() = 0;
  // Paints the main window at once (after a dialog has closed over it).
  virtual void Repaint() = 0;
  // The thumbnail box: blanked, or showing a library picture.
  virtual void ClearThumbnail() = 0;
  virtual void SetThumbnail(const QImage& picture) = 0;
  // Says briefly, in the main window's status line, why a command could not act.
  virtual void Explain(const QString& why) = 0;
  // A name for a new film from the video on screen (a DVD's volume name);
  // empty when it suggests none.
  virtual QString SuggestedFilmName();
  // What was done to the current frame to make it a still ("film frame
  // rebuilt"); empty when nothing says.
  virtual QString FrameStillText();
  // Frames of the video near the current one (about a second either way),
  // decoded without showing them: FrameDIB stays as it is. None when the
  // video cannot give them.
  virtual std::vector<TFastDIB> FramesNearFrame();
  // Where the current frame comes from: the video or DVD title, the frame
  // and its time (the capture date is the caller's). Empty when unknown.
  virtual TCaptureSource FrameSource();
  // Opens the video or DVD title of the source, in the background like any
  // open, and shows its frame. A video or disc that is not where the source
  // says is looked for with the person's help; `found` hears where it turned
  // up, before the open begins. Nothing happens by default.
  using TSourceFound = std::function<void(const TCaptureSource& found)>;
  virtual void GoToSource(const TCaptureSource& source, const TSourceFound& found);
};

inline QString TLibraryHost::SuggestedFilmName() { return QString(); }
inline QString TLibraryHost::FrameStillText() { return QString(); }
inline std::vector<TFastDIB> TLibraryHost::FramesNearFrame() { return {}; }
inline TCaptureSource TLibraryHost::FrameSource() { return {}; }
inline void TLibraryHost::GoToSource(const TCaptureSource&, const TSourceFound&) {}

}  // namespace kelta
