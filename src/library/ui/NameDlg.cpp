#include "library/ui/NameDlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kelta {

TNameDlg::TNameDlg(QWidget* parent, int clientHeight, TNameDlgTexts texts)
    : QDialog(parent), Texts_(std::move(texts)) {
  setObjectName(Texts_.ObjectName);
  setWindowTitle(Texts_.Title);
  setFixedSize(434, clientHeight);
  setModal(true);
  NameLabel_ = new QLabel(Texts_.Label, this);
  NameLabel_->move(16, 16);
  NameEdit_ = new QLineEdit(this);
  NameEdit_->setObjectName(Texts_.EditName);
  NameEdit_->setGeometry(16, 48, 401, NameEdit_->sizeHint().height());
  connect(NameEdit_, &QLineEdit::returnPressed, this, [this] { btOkClick(); });
  // The user types the name straight away.
  NameEdit_->setFocus();
  // Bottom right, Ok rightmost.
  AddOkCancel(this, QRect(434 - 16 - 98, clientHeight - 16 - 32, 98, 32),
              QRect(434 - 16 - 98 - 8 - 98, clientHeight - 16 - 32, 98, 32), btOk, btCancel,
              [this] { btOkClick(); }, [this] { btCancelClick(); });
}

void TNameDlg::FormShow() {
  if (EditMode && !Texts_.EditTitle.isEmpty()) setWindowTitle(Texts_.EditTitle);
}

void TNameDlg::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void TNameDlg::btOkClick() {
  if (!CheckName(this, NameEdit_, NameTaken, QStringLiteral("Please input the '%1'!").arg(Texts_.What),
                 Texts_.Taken))
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
