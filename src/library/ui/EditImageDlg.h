#pragma once
// Asks for an image's name and memo when an image of the library is edited.

#include "library/ui/NameDlg.h"

class QPlainTextEdit;

namespace kelta {

class TeditImageDlg : public TNameDlg {
  Q_OBJECT
 public:
  explicit TeditImageDlg(QWidget* parent = nullptr);

  QLabel* Label1 = nullptr;
  QLineEdit* etImageName = nullptr;
  QLabel* Label2 = nullptr;
  QPlainTextEdit* moMemo = nullptr;
};

}  // namespace kelta
