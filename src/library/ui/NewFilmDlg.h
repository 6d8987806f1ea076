#pragma once
// Asks for a film name; in edit mode it renames an existing film.

#include "library/ui/NameDlg.h"

namespace kelta {

class TnewFilmDlg : public TNameDlg {
  Q_OBJECT
 public:
  explicit TnewFilmDlg(QWidget* parent = nullptr);

  QLabel* Label1 = nullptr;
  QLineEdit* etFilmName = nullptr;
};

}  // namespace kelta
