#pragma once
// TFramePixelView: a video frame either at 100 % - each stored pixel on one
// device pixel of the screen, also at a scale factor other than 1 - with
// the part on show moved by dragging, the arrow keys, PageUp/PageDown,
// Home and End; or fitted whole into the view in its display shape, with
// black bars, as the main window's picture shows it.

#include <cstdint>

#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>
#include <QPointF>

#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"

namespace kelta {

enum class TFrameZoom : std::uint8_t { ActualSize, Fit };

class TFramePixelView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TFramePixelView(QWidget* parent = nullptr);

  // Shows a copy of `frame` (24-bit), at the top left corner at 100 %.
  void SetFrame(const TFastDIB& frame, TDisplayAspect aspect);
  const TFastDIB& Frame() const { return Frame_; }

  void SetZoom(TFrameZoom zoom);
  TFrameZoom Zoom() const { return Zoom_; }

  // At 100 %: the frame pixel at the view's top left corner (0, 0 while the
  // frame is narrower or lower than the view, which then centres it).
  QPoint Offset() const;
  void ScrollTo(QPoint framePixel);
  // The view's size in device pixels: how much of the frame shows at 100 %.
  QSize DeviceSize() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  // The scroll bars count frame pixels (device pixels); at Fit there is
  // nothing to scroll.
  void UpdateScrollRanges();
  // The view's device size the ranges were set for.
  QSize RangesFor_;
  // Where the frame's top left corner lies in the view, in device pixels.
  QPoint FrameOrigin() const;
  void UpdateCursor();
  // The fitted picture at the view's device size, made again when that changed.
  QImage& FittedImage();

  TFastDIB Frame_;
  TDisplayAspect Aspect_;
  QImage Image_;   // Frame_ as Qt draws it
  QImage Fitted_;  // the Fit picture, view-sized with its bars
  TFrameZoom Zoom_ = TFrameZoom::ActualSize;
  bool Dragging_ = false;
  QPointF DragStart_;
  QPoint ScrollAtDragStart_;
  // Where 100 % was left for Fit, to come back to.
  QPoint OffsetBeforeFit_;
};

}  // namespace kelta
