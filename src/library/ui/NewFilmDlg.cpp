#include "library/ui/NewFilmDlg.h"

#include <QLabel>
#include <QLineEdit>

namespace kelta {

TnewFilmDlg::TnewFilmDlg(QWidget* parent)
    : TNameDlg(parent, 146, QStringLiteral("film name"),
               QStringLiteral("A film with this name already exists in this category!")) {
  setObjectName(QStringLiteral("newFilmDlg"));
  setWindowTitle(QStringLiteral("New Film"));
  Label1 = new QLabel(QStringLiteral("Film Name"), this);
  Label1->move(16, 16);
  etFilmName = new QLineEdit(this);
  etFilmName->setObjectName(QStringLiteral("etFilmName"));
  SetNameEdit(etFilmName);
}

void TnewFilmDlg::FormShow() {
  if (EditMode) setWindowTitle(QStringLiteral("Edit Film"));
}

void TnewFilmDlg::showEvent(QShowEvent* event) {
  FormShow();
  TNameDlg::showEvent(event);
}

}  // namespace kelta
