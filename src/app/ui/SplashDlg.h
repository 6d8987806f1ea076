#pragma once
// TSplashDlg: the borderless start-up picture, centred on the desktop.

#include <QWidget>

class QLabel;

namespace kelta {

class TSplashDlg : public QWidget {
  Q_OBJECT
 public:
  static constexpr int PictureWidth = 600;
  static constexpr int PictureHeight = 220;

  explicit TSplashDlg(QWidget* parent = nullptr);

  // The splash picture, drawn in code.
  static QPixmap MakePicture();

 private:
  QLabel* Image1_ = nullptr;
};

}  // namespace kelta
