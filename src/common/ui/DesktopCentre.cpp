#include "common/ui/DesktopCentre.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kelta {

namespace {

class TDesktopCentring : public QObject {
 public:
  explicit TDesktopCentring(QWidget* window) : QObject(window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      auto* window = static_cast<QWidget*>(watched);
      const QWidget* owner = window->parentWidget();
      if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.left() + (area.width() - window->width()) / 2,
                     area.top() + (area.height() - window->height()) / 2);
      }
    }
    return false;
  }
};

}  // namespace

void CentreOnDesktopWhenShown(QWidget* window) { window->installEventFilter(new TDesktopCentring(window)); }

}  // namespace kelta
