#include "library/ui/NewCategoryDlg.h"

namespace kelta {

TnewCategoryDlg::TnewCategoryDlg(QWidget* parent)
    : TNameDlg(parent, 146,
               {QStringLiteral("newCategoryDlg"), QStringLiteral("New Category"), QStringLiteral("Edit Category"),
                QStringLiteral("Category Name"), QStringLiteral("etCategoryName"), QStringLiteral("category name"),
                QStringLiteral("A category with this name already exists!")}),
      Label1(NameLabel()),
      etCategoryName(NameEdit()) {}

}  // namespace kelta
