#pragma once
// The framed picture panels: a light outline with a soft shadow and a 24-bit
// picture drawn unscaled at (4, 4). TVideoOutPanel shows a buffer its owner
// lends it; TVideoOutPanelEx owns a buffer that fills the panel inside its
// frame, at the screen's own pixels (the main window's video display, filled
// by the frame bar): 389 x 214 at the design size.

#include <functional>

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

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
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

 private:
  TFastDIB OwnImage_;
};

}  // namespace kelta
