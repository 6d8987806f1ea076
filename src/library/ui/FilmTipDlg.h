#pragma once
// Explains, with two pictures of the File menu, how to make a film before an
// image can be saved into it.

#include <QDialog>

class QLabel;
class QPushButton;

namespace kelta {

class TfilmTipDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TfilmTipDlg(QWidget* parent = nullptr);

  QLabel* Image1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Image2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Image3 = nullptr;
  QPushButton* btClose() const { return Close_; }

  // The entries of the opened File menu as the pictures show them.
  enum class TMenuEntry { NewCategory, NewFilm };
  static QPixmap FileMenuPicture(QSize size, TMenuEntry highlighted);
  static QPixmap InformationSign(QSize size);

 private:
  void FitLines();

  QPushButton* Close_ = nullptr;
};

}  // namespace kelta
