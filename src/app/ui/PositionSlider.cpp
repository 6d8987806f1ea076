#include "app/ui/PositionSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

namespace kelta {

TPositionSlider::TPositionSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  // Tab reaches the slider; its keys are the window's (see keyPressEvent).
  setFocusPolicy(Qt::TabFocus);
  setRange(0, 100);
  setValue(0);
}

bool TPositionSlider::OnPointer(const QPoint& point) const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  return handle.contains(point);
}

void TPositionSlider::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() != Qt::LeftButton || OnPointer(at)) {
    if (event->button() == Qt::LeftButton) Dragging = true;
    QSlider::mousePressEvent(event);
    if (OnMouseDown) OnMouseDown();
    return;
  }
  // A press on the track puts the pointer there and drags it from there, so
  // that the release seeks as after any drag.
  Dragging = true;
  if (OnMouseDown) OnMouseDown();
  setValue(ValueAt(at.x()));
  QSlider::mousePressEvent(event);
}

int TPositionSlider::ValueAt(int x) const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
  const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  // The pointer's centre travels from half its width to the groove's end less that.
  const int span = groove.width() - handle.width();
  return QStyle::sliderValueFromPosition(minimum(), maximum(), x - groove.left() - handle.width() / 2, span,
                                         option.upsideDown);
}

void TPositionSlider::keyPressEvent(QKeyEvent* event) {
  // The window's key table has stepped the video by now and moved the
  // slider with it; a step of the slider's own would move it off the frame.
  event->ignore();
}

void TPositionSlider::mouseReleaseEvent(QMouseEvent* event) {
  QSlider::mouseReleaseEvent(event);
  if (OnMouseUp) OnMouseUp();
}

void TPositionSlider::SetMarks(std::vector<int> values) {
  Marks_ = std::move(values);
  update();
}

void TPositionSlider::paintEvent(QPaintEvent* event) {
  QSlider::paintEvent(event);
  if (Marks_.empty() || maximum() <= minimum()) return;
  QStyleOptionSlider option;
  initStyleOption(&option);
  const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
  const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  // The pointer's centre travels from half its width to the groove's end less that.
  const int span = groove.width() - handle.width();
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
  for (const int value : Marks_) {
    const int x = groove.left() + handle.width() / 2 +
                  QStyle::sliderPositionFromValue(minimum(), maximum(), value, span, option.upsideDown);
    painter.drawLine(x, 0, x, 3);
    painter.drawLine(x, height() - 4, x, height() - 1);
  }
}

}  // namespace kelta
