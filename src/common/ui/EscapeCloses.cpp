#include "common/ui/EscapeCloses.h"

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

namespace kelta {

namespace {

// Watches the window itself: a key reaches it when the focused control let
// it pass.
class TEscapeCloses : public QObject {
 public:
  explicit TEscapeCloses(QWidget* window) : QObject(window), Window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == Window_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      Window_->close();
      return true;
    }
    return false;
  }

 private:
  QWidget* Window_;
};

}  // namespace

void CloseOnEscape(QWidget* window) { window->installEventFilter(new TEscapeCloses(window)); }

}  // namespace kelta
