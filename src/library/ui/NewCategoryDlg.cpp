#include "library/ui/NewCategoryDlg.h"

#include <QLabel>
#include <QLineEdit>

namespace kelta {

TnewCategoryDlg::TnewCategoryDlg(QWidget* parent)
    : TNameDlg(parent, 146, QStringLiteral("category name"),
               QStringLiteral("A category with this name already exists!")) {
  setObjectName(QStringLiteral("newCategoryDlg"));
  setWindowTitle(QStringLiteral("New Category"));
  Label1 = new QLabel(QStringLiteral("Category Name"), this);
  Label1->move(16, 16);
  etCategoryName = new QLineEdit(this);
  etCategoryName->setObjectName(QStringLiteral("etCategoryName"));
  SetNameEdit(etCategoryName);
}

void TnewCategoryDlg::FormShow() {
  if (EditMode) setWindowTitle(QStringLiteral("Edit Category"));
}

void TnewCategoryDlg::showEvent(QShowEvent* event) {
  FormShow();
  TNameDlg::showEvent(event);
}

}  // namespace kelta
