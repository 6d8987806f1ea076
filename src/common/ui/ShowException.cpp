#include "common/ui/ShowException.h"

#include <QMessageBox>

namespace kelta {

QString ErrorReportText(const QString& message) {
  if (!message.isEmpty() && message.back() > QChar(u'.')) return message + QLatin1Char('.');
  return message;
}

void ShowErrorMessage(const QString& message, QWidget* parent) {
  QMessageBox box(QMessageBox::Critical, ApplicationTitle, ErrorReportText(message), QMessageBox::Ok, parent);
  box.exec();
}

void ShowException(const std::exception& error, QWidget* parent) {
  ShowErrorMessage(QString::fromUtf8(error.what()), parent);
}

}  // namespace kelta
