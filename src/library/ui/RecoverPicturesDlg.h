#pragma once
// The one question start-up asks about pictures in the image folder that no
// library entry names: add them to a film (named "Recovered" unless the user
// types another name) or leave them alone for good. Escape decides nothing.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelta {

class TRecoverPicturesDlg : public QDialog {
  Q_OBJECT
 public:
  enum class TChoice { Undecided, Add, LeaveAlone };

  TRecoverPicturesDlg(QWidget* parent, int pictureCount);

  TChoice Choice = TChoice::Undecided;
  QLabel* lbText = nullptr;
  QLineEdit* etFilmName = nullptr;
  QPushButton* btAdd = nullptr;
  QPushButton* btLeaveAlone = nullptr;
};

}  // namespace kelta
