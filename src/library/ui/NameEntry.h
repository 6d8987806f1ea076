#pragma once
// What the dialogs that ask for a library name share: Ok and Cancel that
// never act as default buttons (Enter belongs to the name edit, where it acts
// as Ok), Escape as Cancel, and the refusal of an empty or taken name with an
// "Information" box while the dialog stays open. Names are kept without their
// outer blanks: "Name " beside "Name" would look like a duplicate, and a name
// of blanks like an empty row.

#include <functional>

#include <QRect>
#include <QString>

class QDialog;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kelta {

// Answers whether a name is already used where the new item would go.
using TNameTaken = std::function<bool(const QString&)>;

// "&Cancel" then "&Ok" (so Tab reaches Cancel first), placed and connected.
void AddOkCancel(QDialog* dialog, QRect okArea, QRect cancelArea, QPushButton*& ok, QPushButton*& cancel,
                 std::function<void()> okClick, std::function<void()> cancelClick);

// Trims the edit's text to the name that would be stored (so whoever reads
// the edit afterwards gets that name), then answers whether it may be used;
// otherwise shows why (emptyText or takenText) and gives false.
bool CheckName(QWidget* owner, QLineEdit* edit, const TNameTaken& taken, const QString& emptyText,
               const QString& takenText);

// Escape cancels and Enter outside the name edit does nothing (QDialog would
// press a button); true when the key was one of them.
bool HandleNameDialogKey(QKeyEvent* event, const std::function<void()>& cancel);

}  // namespace kelta
