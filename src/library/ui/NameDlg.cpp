#include "library/ui/NameDlg.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace kelta {

TNameDlg::TNameDlg(QWidget* parent, int clientHeight, QString what, QString taken)
    : QDialog(parent), What_(std::move(what)), Taken_(std::move(taken)) {
  setFixedSize(434, clientHeight);
  setModal(true);
  // Bottom right, Ok rightmost.
  AddOkCancel(this, QRect(434 - 16 - 98, clientHeight - 16 - 32, 98, 32),
              QRect(434 - 16 - 98 - 8 - 98, clientHeight - 16 - 32, 98, 32), btOk, btCancel,
              [this] { btOkClick(); }, [this] { btCancelClick(); });
}

void TNameDlg::SetNameEdit(QLineEdit* edit) {
  NameEdit_ = edit;
  edit->setGeometry(16, 48, 401, edit->sizeHint().height());
  connect(edit, &QLineEdit::returnPressed, this, [this] { btOkClick(); });
  // The user types the name straight away.
  edit->setFocus();
}

void TNameDlg::btOkClick() {
  if (!CheckName(this, NameEdit_->text(), NameTaken, QStringLiteral("Please input the '%1'!").arg(What_), Taken_))
    return;
  Accepted = true;
  done(QDialog::Accepted);
}

void TNameDlg::btCancelClick() { done(QDialog::Rejected); }

void TNameDlg::keyPressEvent(QKeyEvent* event) {
  if (HandleNameDialogKey(event, [this] { btCancelClick(); })) return;
  QDialog::keyPressEvent(event);
}

}  // namespace kelta
