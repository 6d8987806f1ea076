#pragma once
// The framed picture panels: a light outline with a soft shadow and a 24-bit
// picture drawn unscaled at (4, 4). TVideoOutPanel shows a buffer its owner
// lends it; TVideoOutPanelEx owns a buffer that fills the panel inside its
// frame, at the screen's own pixels (the main window's video display, filled
// by the frame bar): 389 x 214 at the design size.

#include <functional>

#include <QImage>
#include <QRect>
#include <QWidget>

#include "imaging/FastDIB.h"

namespace kelta {

class TVideoOutPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TVideoOutPanel(QWidget* parent = nullptr);

  // Not owned; may be null. Whoever writes into it calls update() afterwards.
  TFastDIB* Image = nullptr;
  std::function<void(QObject* sender)> OnPanelDblClick;

  // The whole panel as it is painted, into a W x H 24-bit buffer (the
  // picture at one of its pixels to one of the buffer's).
  void PaintTo(TFastDIB& buffer) const;
  // Where the picture goes, in the panel's coordinates: inside the outline
  // and the shadow.
  QRect PictureRect() const { return QRect(4, 4, width() - 11, height() - 11); }
  // After a new picture in Image: it is painted soon, or at once; the
  // outline stays as it is.
  void PictureChanged() { update(PictureRect()); }
  void PaintPictureNow() { repaint(PictureRect()); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // Image pixels to a pixel of the panel: 1 for a lent buffer, the screen's
  // ratio for a buffer that holds the screen's own pixels.
  virtual qreal ImagePixelRatio() const { return 1.0; }

 private:
  // The outline and shadow as last painted, and what they were painted for.
  QImage Frame_;
  bool FrameFocus_ = false;
  // The picture in the screen's pixel format, its memory kept between frames.
  QImage Shown_;
};

class TVideoOutPanelEx : public TVideoOutPanel {
  Q_OBJECT
 public:
  static constexpr int ImageWidth = 389;
  static constexpr int ImageHeight = 214;

  explicit TVideoOutPanelEx(QWidget* parent = nullptr);

  // After the buffer took a new size (black): whoever fills it draws again.
  std::function<void()> OnImageResized;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  qreal ImagePixelRatio() const override { return devicePixelRatioF(); }

 private:
  TFastDIB OwnImage_;
};

}  // namespace kelta
