#include "common/ui/BusyCursor.h"

#include <QApplication>
#include <QCursor>

namespace kelta {

TBusyCursor::TBusyCursor() {
  QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  // The work that follows holds the event loop: show the cursor now.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

TBusyCursor::~TBusyCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace kelta
