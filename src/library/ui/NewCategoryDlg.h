#pragma once
// Asks for a category name; in edit mode it renames an existing category.

#include "library/ui/NameDlg.h"

namespace kelta {

class TnewCategoryDlg : public TNameDlg {
  Q_OBJECT
 public:
  explicit TnewCategoryDlg(QWidget* parent = nullptr);

  QLabel* Label1 = nullptr;
  QLineEdit* etCategoryName = nullptr;
};

}  // namespace kelta
