#pragma once
// The library's notices and refusals: message boxes titled "Information"
// owned by the window that asks.

#include <QMessageBox>
#include <QString>

namespace kelta {

// Information icon, one Ok button.
void ShowInformation(QWidget* owner, const QString& text);

// Any icon and buttons; returns the button pressed (Escape gives the escape button).
QMessageBox::StandardButton AskInformation(QWidget* owner, const QString& text, QMessageBox::Icon icon,
                                           QMessageBox::StandardButtons buttons);

}  // namespace kelta
