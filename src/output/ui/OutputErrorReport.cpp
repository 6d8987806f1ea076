#include "output/ui/OutputErrorReport.h"

#include <QMessageBox>

namespace kelta {

QString OutputErrorText(const QString& message) {
  if (!message.isEmpty() && message.back() > QChar(u'.')) return message + QLatin1Char('.');
  return message;
}

void ShowOutputError(const std::exception& error, QWidget* parent) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Kelta"), OutputErrorText(QString::fromUtf8(error.what())),
                  QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace kelta
