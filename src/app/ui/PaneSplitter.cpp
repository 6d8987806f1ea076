#include "app/ui/PaneSplitter.h"

#include <QMouseEvent>

namespace kelta {

TPaneSplitter::TPaneSplitter(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PaneSplitter"));
  setCursor(Qt::SplitHCursor);
  setToolTip(QStringLiteral("Drag to widen or narrow the image library"));
}

void TPaneSplitter::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  // On the screen: the handle itself moves with the drag.
  PressX_ = int(event->globalPosition().x());
  Dragging_ = true;
  if (OnDragStart) OnDragStart();
}

void TPaneSplitter::mouseMoveEvent(QMouseEvent* event) {
  if (Dragging_ && OnDrag) OnDrag(int(event->globalPosition().x()) - PressX_);
}

void TPaneSplitter::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Dragging_ = false;
}

}  // namespace kelta
