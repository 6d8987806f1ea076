#pragma once
// The framed picture panels: a light outline with a soft shadow and a 24-bit
// picture drawn unscaled at (4, 4). TVideoOutPanel shows a buffer its owner
// lends it; TVideoOutPanelEx owns a fixed 389 x 214 buffer (the main window's
// video display, filled by the frame bar).

#include <functional>

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

  // The whole panel as it is painted, into a W x H 24-bit buffer.
  void PaintTo(TFastDIB& buffer) const;

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

 private:
  TFastDIB OwnImage_;
};

}  // namespace kelta
