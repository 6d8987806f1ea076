#include "library/ui/NameDlg.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "library/ui/LibraryMessage.h"

namespace kelta {

TNameDlg::TNameDlg(QWidget* parent, int clientHeight, QString what, QString taken)
    : QDialog(parent), What_(std::move(what)), Taken_(std::move(taken)) {
  setFixedSize(434, clientHeight);
  setModal(true);
  btCancel = new QPushButton(QStringLiteral("&Cancel"), this);
  btOk = new QPushButton(QStringLiteral("&Ok"), this);
  // Bottom right, Ok rightmost.
  btOk->setGeometry(434 - 16 - 98, clientHeight - 16 - 32, 98, 32);
  btCancel->setGeometry(434 - 16 - 98 - 8 - 98, clientHeight - 16 - 32, 98, 32);
  // Enter is handled by the name edit only; no button may swallow it as default.
  btOk->setAutoDefault(false);
  btCancel->setAutoDefault(false);
  connect(btOk, &QPushButton::clicked, this, [this] { btOkClick(); });
  connect(btCancel, &QPushButton::clicked, this, [this] { btCancelClick(); });
}

void TNameDlg::SetNameEdit(QLineEdit* edit) {
  NameEdit_ = edit;
  edit->setGeometry(16, 48, 401, edit->sizeHint().height());
  connect(edit, &QLineEdit::returnPressed, this, [this] { btOkClick(); });
  // The user types the name straight away.
  edit->setFocus();
}

void TNameDlg::btOkClick() {
  const QString name = NameEdit_->text();
  if (name.isEmpty()) {
    ShowInformation(this, QStringLiteral("Please input the '%1'!").arg(What_));
    return;
  }
  if (NameTaken && NameTaken(name)) {
    ShowInformation(this, Taken_);
    return;
  }
  Accepted = true;
  done(QDialog::Accepted);
}

void TNameDlg::btCancelClick() { done(QDialog::Rejected); }

void TNameDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    btCancelClick();
    return;
  }
  // Enter outside the name edit does nothing (QDialog would press a button).
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
  QDialog::keyPressEvent(event);
}

}  // namespace kelta
