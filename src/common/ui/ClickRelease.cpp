#include "common/ui/ClickRelease.h"

#include <QMouseEvent>
#include <QWidget>

namespace kelta {

bool IsClickRelease(const QObject* watched, const QEvent* event) {
  if (event->type() != QEvent::MouseButtonRelease || !watched->isWidgetType()) return false;
  const auto* mouse = static_cast<const QMouseEvent*>(event);
  const auto* widget = static_cast<const QWidget*>(watched);
  return mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint());
}

}  // namespace kelta
