#pragma once
// TActualSizeDlg: the paused frame at 100 %, its stored pixels one to one
// on the screen's device pixels, in a window of its own that opens with room
// for the whole frame where the screen has it; the part on show moves by
// dragging and with the arrow keys, PageUp/PageDown, Home and End. Fit (F)
// shows the whole frame in its display shape instead, 100 % (1) goes back,
// Escape closes.

#include <cstdint>

#include <QDialog>

#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"
#include "video/ui/FramePixelView.h"

class QLabel;
class QPushButton;

namespace kelta {

class TActualSizeDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TActualSizeDlg(QWidget* parent = nullptr);

  // Shows a copy of the frame at 100 % and sizes and places the window for
  // it on its owner's screen. `frameNumber` counts from 0 as the decoder
  // does (-1 when it does not say); the title counts from 1, as the status
  // line does.
  void SetFrame(const TFastDIB& frame, TDisplayAspect aspect, std::int64_t frameNumber);

  void SetZoom(TFrameZoom zoom);
  TFramePixelView* View() const { return View_; }
  QPushButton* FitButton() const { return Fit_; }
  QPushButton* ActualSizeButton() const { return ActualSize_; }

 private:
  void FollowZoom();
  // The window at 100 %: the frame whole and the buttons above it, or the
  // screen's work area when that is smaller, centred on it.
  void PlaceForFrame();

  QWidget* Bar_;
  QPushButton* Fit_;
  QPushButton* ActualSize_;
  QLabel* Hint_;
  TFramePixelView* View_;
  std::int64_t FrameNumber_ = -1;
};

}  // namespace kelta
