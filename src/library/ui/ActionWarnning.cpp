#include "library/ui/ActionWarnning.h"

#include "library/ui/LibraryMessage.h"

namespace kelta {

bool TActionWarnning::Confirm() const {
  if (Suppressed) return false;
  return AskInformation(Owner, Text, QMessageBox::Question,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) == QMessageBox::Yes;
}

}  // namespace kelta
