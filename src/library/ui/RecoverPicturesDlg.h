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

  // What the user decided; Undecided after Escape.
  TChoice Choice() const { return Choice_; }
  QLabel* lbText() const { return Text_; }
  QPushButton* btAdd() const { return Add_; }
  QPushButton* btLeaveAlone() const { return LeaveAlone_; }

  QLineEdit* etFilmName = nullptr;

 private:
  TChoice Choice_ = TChoice::Undecided;
  QLabel* Text_ = nullptr;
  QPushButton* Add_ = nullptr;
  QPushButton* LeaveAlone_ = nullptr;
};

}  // namespace kelta
