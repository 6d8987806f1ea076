#pragma once
// The yes-or-no question asked before something of the library is deleted.

#include <QString>

class QWidget;

namespace kelta {

class TActionWarnning {
 public:
  // When set, nothing is asked and the answer is No.
  bool Suppressed = false;
  QString Text;
  QWidget* Owner = nullptr;

  // True only when the user pressed Yes (No, Cancel and Escape all refuse).
  bool Confirm() const;
};

}  // namespace kelta
