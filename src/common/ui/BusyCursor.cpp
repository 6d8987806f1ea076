#include "common/ui/BusyCursor.h"

#include <QApplication>
#include <QCursor>

namespace kelta {

// No events are processed here: a timer or a click let through in the middle
// of a command could start another one.
TBusyCursor::TBusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

TBusyCursor::~TBusyCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace kelta
