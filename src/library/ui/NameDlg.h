#pragma once
// The small modal dialogs that ask for a library name share one behaviour:
// Ok takes the name without its outer blanks and refuses an empty one (and,
// when the caller says so, a name already taken among the new item's
// siblings) with an "Information" box and stays open; Enter in the name edit
// acts as Ok; Escape closes without accepting.

#include <QDialog>
#include <QString>

#include "library/ui/NameEntry.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelta {

// What tells one name dialog from another.
struct TNameDlgTexts {
  QString ObjectName;
  QString Title;
  QString EditTitle;  // the caption in edit mode; empty keeps Title
  QString Label;      // above the name edit
  QString EditName;   // the name edit's object name
  QString What;       // fills the empty-name message ("category name", ...)
  QString Taken;      // the refusal shown for a sibling's name
};

class TNameDlg : public QDialog {
  Q_OBJECT
 public:
  // False until Ok succeeds.
  bool Accepted = false;
  // Set by the caller before showing when an existing item is edited.
  bool EditMode = false;
  // Optional: answers whether a name is already used by a sibling; such a
  // name is refused like an empty one, with the dialog kept open.
  TNameTaken NameTaken;

  QPushButton* btOk = nullptr;
  QPushButton* btCancel = nullptr;

  // The caption of edit mode, set when the dialog shows.
  void FormShow();
  void btOkClick();
  void btCancelClick();

 protected:
  // Builds the label and the name edit at the top, the buttons at the bottom;
  // Enter in the edit acts as Ok.
  TNameDlg(QWidget* parent, int clientHeight, TNameDlgTexts texts);
  QLabel* NameLabel() const { return NameLabel_; }
  QLineEdit* NameEdit() const { return NameEdit_; }

  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TNameDlgTexts Texts_;
  QLabel* NameLabel_ = nullptr;
  QLineEdit* NameEdit_ = nullptr;
};

}  // namespace kelta
