#pragma once
// What the library controller needs from the rest of the program: the frame
// bar's playback and current frame, opening a video, and the main window's
// thumbnail box and repainting. The main window provides it; tests provide
// their own.

#include <QString>

class QImage;
class QWidget;

namespace kelta {

class TFastDIB;

class TLibraryHost {
 public:
  virtual ~TLibraryHost() = default;

  virtual bool Playing() = 0;
  virtual void Pause() = 0;
  virtual void Play() = 0;
  // A video has been opened; FrameDIB then holds the current frame.
  virtual bool FileOpened() = 0;
  virtual TFastDIB& FrameDIB() = 0;
  // Opens the file in the frame bar and readies the main window for it: the
  // start picture hidden, the slider at 0 over the video's positions, the
  // frame buttons and the slider enabled. The decoder's errors propagate, and
  // a missing decoder is an error too.
  virtual void OpenVideo(const QString& path) = 0;

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
};

inline QString TLibraryHost::SuggestedFilmName() { return QString(); }

}  // namespace kelta
