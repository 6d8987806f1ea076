#pragma once
// TaboutDlg: the About window with the version, the support address and the
// product page. Shown modally; Ok, Esc or the close box end it.

#include <QDialog>

class QLabel;
class QPushButton;

namespace kelta {

inline const QString ProgramVersion = QStringLiteral("3.0.1.0");
inline const QString SupportAddress = QStringLiteral("support@kelta.example");
inline const QString ProductPage = QStringLiteral("http://www.kelta.example/kelta/");

class TaboutDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TaboutDlg(QWidget* parent = nullptr);

  QLabel* lbVersion = nullptr;
  QLabel* lbEmail = nullptr;
  QLabel* lbWeb = nullptr;
  QPushButton* btOk = nullptr;

  // The links handed to the desktop.
  static QUrl MailLink();
  static QUrl WebLink();

  void lbEmailClick();
  void lbWebClick();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kelta
