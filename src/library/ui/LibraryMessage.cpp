#include "library/ui/LibraryMessage.h"

namespace kelta {

QMessageBox::StandardButton AskInformation(QWidget* owner, const QString& text, QMessageBox::Icon icon,
                                           QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, QStringLiteral("Information"), text, buttons, owner);
  box.setObjectName(QStringLiteral("InformationBox"));
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void ShowInformation(QWidget* owner, const QString& text) {
  AskInformation(owner, text, QMessageBox::Information, QMessageBox::Ok);
}

}  // namespace kelta
