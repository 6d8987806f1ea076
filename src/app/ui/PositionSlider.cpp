#include "app/ui/PositionSlider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

namespace kelta {

TPositionSlider::TPositionSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setFocusPolicy(Qt::NoFocus);
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
  if (event->button() == Qt::LeftButton && OnPointer(event->position().toPoint())) Dragging = true;
  QSlider::mousePressEvent(event);
  if (OnMouseDown) OnMouseDown();
}

void TPositionSlider::mouseReleaseEvent(QMouseEvent* event) {
  QSlider::mouseReleaseEvent(event);
  if (OnMouseUp) OnMouseUp();
}

}  // namespace kelta
