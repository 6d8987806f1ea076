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

 protected:
  // A message shown during start-up (a missing decoder, say) must not lie
  // hidden under the splash, which stays on top: the splash steps aside.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* Image1_ = nullptr;
};

}  // namespace kelta
