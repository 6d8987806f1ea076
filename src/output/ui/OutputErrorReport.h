#pragma once
// The standard error report for errors of the output writers: a message box
// with the application title, the error icon and the message, a full stop
// appended when its last character sorts after ".".

#include <exception>

#include <QString>

class QWidget;

namespace kelta {

QString OutputErrorText(const QString& message);
void ShowOutputError(const std::exception& error, QWidget* parent);

}  // namespace kelta
