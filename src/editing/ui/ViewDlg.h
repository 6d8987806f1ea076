#pragma once
// The frame view: the current video frame in its display shape (16:9 when
// that is unknown) in a framed panel, its context menu exporting it or
// closing the window.

#include <QDialog>

#include "editing/ui/PictureWindow.h"
#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"

class QMenu;

namespace kelta {

class TVideoOutPanel;

class TViewDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TViewDlg(QWidget* parent = nullptr);

  TFastDIB Frame;  // lent to the panel
  TExportImageAs ExportImageAs;

  TVideoOutPanel* Panel() const { return Panel_; }
  QMenu* PopupMenu() const { return Popup_; }

  // Frame becomes the video frame at square pixels for its display aspect
  // (see ToSquarePixels); with the aspect unknown, resampled to
  // W x (9 W div 16), W its width. The panel and window take its size.
  void SetVideoFrame(const TFastDIB& videoFrame, TDisplayAspect aspect = {});
  // Panel: Frame's size + 11 each way; client area: panel's right and bottom + 10.
  void FitToFrame();

  void pmiExportClick(int tag);

 private:
  TVideoOutPanel* Panel_;
  QMenu* Popup_;
};

}  // namespace kelta
