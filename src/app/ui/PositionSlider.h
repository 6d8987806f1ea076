#pragma once
// TPositionSlider: the video position slider. It keeps its own dragging flag,
// set when a mouse button goes down on the pointer (before the owner hears of
// the press) and cleared only by the owner, so the owner decides what a
// release means: a click on the track moves the slider without seeking.

#include <functional>

#include <QSlider>

namespace kelta {

class TPositionSlider : public QSlider {
  Q_OBJECT
 public:
  explicit TPositionSlider(QWidget* parent = nullptr);

  bool Dragging = false;
  std::function<void()> OnMouseDown;
  std::function<void()> OnMouseUp;

  // True when the point (widget coordinates) lies on the pointer.
  bool OnPointer(const QPoint& point) const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace kelta
