#pragma once
// TPositionSlider: the video position slider. It keeps its own dragging flag,
// set when the left button goes down on it (before the owner hears of the
// press) and cleared only by the owner, so the owner decides what a release
// means. A press on the track moves the pointer there and drags it from there.

#include <functional>
#include <vector>

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
  // The value whose pointer is centred at x (widget coordinates).
  int ValueAt(int x) const;

  // Values marked along the track (a DVD title's chapter starts); none by default.
  void SetMarks(std::vector<int> values);
  const std::vector<int>& Marks() const { return Marks_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::vector<int> Marks_;
};

}  // namespace kelta
