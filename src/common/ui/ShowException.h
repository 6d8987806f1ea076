#pragma once
// The standard error report: how an error that ends a command reaches the
// user, the same from every window of the program.

#include <exception>

#include <QString>

class QWidget;

namespace kelta {

inline const QString ApplicationTitle = QStringLiteral("Kelta");

// The message with a full stop appended when its last character sorts after ".".
QString ErrorReportText(const QString& message);

// A message box: caption = application title, error icon, ErrorReportText.
void ShowException(const std::exception& error, QWidget* parent = nullptr);
void ShowErrorMessage(const QString& message, QWidget* parent = nullptr);

}  // namespace kelta
