#pragma once
// The "Check Update" dialog: the user starts and aborts the update check,
// follows its progress in a log and, when a newer version exists, clicks the
// download link.

#include <QDialog>
#include <QUrl>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "update/UpdateInfo.h"
#include "update/ui/CheckUpdateManager.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kelta {

class TWrapLabel;

class TcheckUpdateDlg : public QDialog {
  Q_OBJECT

 public:
  // Hands a link to the desktop; returns whether it could.
  using TLinkOpener = std::function<bool(const QUrl&)>;

  explicit TcheckUpdateDlg(QWidget* parent = nullptr,
                           const QUrl& updateURL = QUrl(QString::fromLatin1(DefaultUpdateURL)));
  ~TcheckUpdateDlg() override;

  // Replaces the desktop's opener (QDesktopServices::openUrl).
  void SetLinkOpener(TLinkOpener opener) { LinkOpener_ = std::move(opener); }
  // Replaces how long a check may take before it is given up.
  void SetCheckDeadline(std::chrono::milliseconds deadline);

  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void btCheckClick();
  void btAbortClick();
  void btOkClick();
  void lbDownloadURLClick();
  void ManagerStatus(TUpdateStatus status);
  void ManagerFinished(TCheckUpdateManager::TFinish code);
  void ShowDownloadLink(const QString& address);
  void ShowFailure();
  void AddLog(std::string_view line);
  void SetChecking(bool checking);

  std::unique_ptr<TCheckUpdateManager> Manager_;
  TLinkOpener LinkOpener_;
  QString DownloadURL_;  // in full; the label may show it shortened
  QLabel* Label2;
  QPlainTextEdit* moInfo;
  TWrapLabel* lbInfo;
  TWrapLabel* lbError;
  QLabel* lbDownloadURL;
  QPushButton* btCheck;
  QPushButton* btAbort;
  QPushButton* btOk;
};

// Shows the update dialog modally over `parent` and returns when it closes.
void ShowCheckUpdateDialog(QWidget* parent);

}  // namespace kelta
