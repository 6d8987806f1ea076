#pragma once
// The small modal dialogs that ask for a library name share one behaviour:
// Ok refuses an empty name (and, when the caller says so, a name already
// taken among the new item's siblings) with an "Information" box and stays
// open; Enter in the name edit acts as Ok; Escape closes without accepting.

#include <QDialog>
#include <QString>

#include "library/ui/NameEntry.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelta {

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

  void btOkClick();
  void btCancelClick();

 protected:
  // `what` fills the empty-name message ("category name", ...); `taken` is
  // the refusal shown for a sibling's name.
  TNameDlg(QWidget* parent, int clientHeight, QString what, QString taken);
  // Places the name edit and connects Enter in it to Ok.
  void SetNameEdit(QLineEdit* edit);
  QLineEdit* NameEdit() const { return NameEdit_; }

  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLineEdit* NameEdit_ = nullptr;
  QString What_;
  QString Taken_;
};

}  // namespace kelta
