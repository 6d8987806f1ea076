#pragma once
// TPaneSplitter: the handle between the video area and the library pane. A
// drag tells its owner how far the pointer moved since the press, so the
// owner can size the pane from the width it had then.

#include <functional>

#include <QWidget>

namespace kelta {

class TPaneSplitter : public QWidget {
  Q_OBJECT
 public:
  explicit TPaneSplitter(QWidget* parent = nullptr);

  // At the press (before any move) and at each move, with the pixels moved
  // to the right since the press.
  std::function<void()> OnDragStart;
  std::function<void(int movedRight)> OnDrag;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int PressX_ = 0;
  bool Dragging_ = false;
};

}  // namespace kelta
