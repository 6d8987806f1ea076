#include "update/ui/CheckUpdateDlg.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringDecoder>

#include <algorithm>

#include "common/ui/ClickRelease.h"
#include "common/ui/DesktopCentre.h"
#include "update/DownloadLink.h"
#include "update/UpdateFailure.h"
#include "update/UpdateTexts.h"
#include "update/ui/CheckUpdateManager.h"
#include "update/ui/WrapLabel.h"

namespace kelta {

namespace {

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The record's texts are 8-bit; files written on older systems are not
// UTF-8, and a byte-for-byte reading shows them better than replacement marks.
QString FromRecordText(const std::string& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  return utf8.hasError() ? QString::fromLatin1(bytes.data(), qsizetype(bytes.size())) : text;
}

// The address when the dialog may hand it to the desktop: a web address with
// a host, nothing else. Empty otherwise.
QUrl OpenableLink(const QString& text) {
  // The address comes from a file on a server: only a web address goes to
  // the desktop, never a local file, a script or another program's scheme.
  if (!IsWebAddress(text.toStdString())) return {};
  const QUrl url(text, QUrl::TolerantMode);
  const QString scheme = url.scheme();
  if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https")) return {};
  return url;
}

// The main window's style sheet colours every label under it, this dialog's
// too; only a sheet on the label itself outranks it, whatever the selectors.
const QString LinkStyle = QStringLiteral("QLabel#lbDownloadURL { color: rgb(128, 0, 128); }");

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int left) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(left, 261, 98, 32);
  return button;
}

}  // namespace

TcheckUpdateDlg::TcheckUpdateDlg(QWidget* parent, const QUrl& updateURL)
    : QDialog(parent), Manager_(std::make_unique<TCheckUpdateManager>(CurrentVersion)) {
  setObjectName(QStringLiteral("checkUpdateDlg"));
  setWindowTitle(FromView(UpdateCaption));
  CentreOnDesktopWhenShown(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
  setFixedSize(448, 306);
  QPalette surface = palette();
  surface.setColor(QPalette::Window, QColor(231, 231, 231));
  setPalette(surface);
  setAutoFillBackground(true);
  QFont tahoma(QStringLiteral("Tahoma"));
  tahoma.setPixelSize(11);
  setFont(tahoma);

  Label2 = new QLabel(FromView(UpdatePrompt), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->move(8, 8);
  Label2->adjustSize();

  moInfo = new QPlainTextEdit(this);
  moInfo->setObjectName(QStringLiteral("moInfo"));
  moInfo->setReadOnly(true);
  moInfo->setGeometry(8, 40, 433, 137);
  QFont fixed(QStringLiteral("Fixedsys"));
  fixed.setStyleHint(QFont::TypeWriter);
  fixed.setFixedPitch(true);
  moInfo->setFont(fixed);
  moInfo->installEventFilter(this);

  // Server-supplied texts are shown as they are, never as markup. The result
  // area holds five lines: the three result lines with a long version text
  // wrapped once or twice.
  lbInfo = new TWrapLabel(this);
  lbInfo->setObjectName(QStringLiteral("lbInfo"));
  lbInfo->setGeometry(8, 181, 433, 65);
  lbInfo->hide();

  // A failed check says why in the place of the result.
  lbError = new TWrapLabel(this);
  lbError->setObjectName(QStringLiteral("lbError"));
  lbError->setGeometry(lbInfo->geometry());
  lbError->hide();

  lbDownloadURL = new QLabel(this);
  lbDownloadURL->setObjectName(QStringLiteral("lbDownloadURL"));
  lbDownloadURL->setTextFormat(Qt::PlainText);
  lbDownloadURL->move(8, 232);
  lbDownloadURL->installEventFilter(this);
  lbDownloadURL->hide();

  btCheck = MakeButton(this, "btCheck", tr("&Check"), 8);
  btAbort = MakeButton(this, "btAbort", tr("&Abort"), 109);
  btOk = MakeButton(this, "btOk", tr("&Ok"), 343);
  btAbort->setEnabled(false);
  connect(btCheck, &QPushButton::clicked, this, [this] { btCheckClick(); });
  connect(btAbort, &QPushButton::clicked, this, [this] { btAbortClick(); });
  connect(btOk, &QPushButton::clicked, this, [this] { btOkClick(); });

  Manager_->UpdateURL = updateURL;
  Manager_->OnStatus = [this](TUpdateStatus status) { ManagerStatus(status); };
  Manager_->OnFinished = [this](TCheckUpdateManager::TFinish code) { ManagerFinished(code); };
  LinkOpener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

void TcheckUpdateDlg::SetCheckDeadline(std::chrono::milliseconds deadline) { Manager_->Deadline = deadline; }

TcheckUpdateDlg::~TcheckUpdateDlg() {
  // The manager may report while it ends; nothing here must hear it.
  Manager_->OnStatus = nullptr;
  Manager_->OnFinished = nullptr;
}

void TcheckUpdateDlg::done(int result) {
  // Closing the window ends a running check instead of leaving the request
  // to run on unseen.
  if (Manager_->Checking()) Manager_->Abort();
  QDialog::done(result);
}

bool TcheckUpdateDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == moInfo && event->type() == QEvent::FocusIn) {
    // The log is for reading only; the keyboard belongs to Ok.
    btOk->setFocus();
  } else if (watched == lbDownloadURL && IsClickRelease(watched, event)) {
    lbDownloadURLClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TcheckUpdateDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    reject();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TcheckUpdateDlg::btCheckClick() {
  // A check still running (the buttons go idle once a file proves invalid,
  // while its request may go on) ends before the log is cleared for the new
  // one, so its last lines never land in the new log.
  if (Manager_->Checking()) Manager_->Abort();
  moInfo->clear();
  lbInfo->hide();
  lbError->hide();
  lbDownloadURL->hide();
  SetChecking(true);
  AddLog(LogStarting);
  Manager_->Check();
}

void TcheckUpdateDlg::btAbortClick() {
  Manager_->Abort();
  SetChecking(false);
}

void TcheckUpdateDlg::btOkClick() { accept(); }

void TcheckUpdateDlg::lbDownloadURLClick() {
  const QUrl url = OpenableLink(DownloadURL_);
  if (!url.isEmpty() && LinkOpener_) LinkOpener_(url);
}

void TcheckUpdateDlg::ShowDownloadLink(const QString& address) {
  DownloadURL_ = address;
  // A refused address is shown as plain text: nothing about it may invite a
  // click that does nothing.
  const bool opens = !OpenableLink(address).isEmpty();
  lbDownloadURL->setStyleSheet(opens ? LinkStyle : QString());
  QFont font = lbDownloadURL->font();
  font.setUnderline(opens);
  lbDownloadURL->setFont(font);
  if (opens)
    lbDownloadURL->setCursor(Qt::PointingHandCursor);
  else
    lbDownloadURL->unsetCursor();

  // An address has no spaces to wrap at: a long one loses its middle, where
  // the host and the file name at its ends are kept, and the tooltip has it
  // whole.
  const QString shown = lbDownloadURL->fontMetrics().elidedText(address, Qt::ElideMiddle, lbInfo->width());
  lbDownloadURL->setText(shown);
  lbDownloadURL->setToolTip(shown == address ? QString() : address);
  lbDownloadURL->adjustSize();
  // Just below the result text, and never down into the buttons.
  const int textBottom = lbInfo->y() + std::min(lbInfo->heightForWidth(lbInfo->width()), lbInfo->height());
  lbDownloadURL->move(lbInfo->x(), std::min(textBottom + 4, btCheck->y() - lbDownloadURL->height()));
}

void TcheckUpdateDlg::ManagerStatus(TUpdateStatus status) {
  switch (status) {
    case TUpdateStatus::usConnected:
      AddLog(LogConnected);
      break;
    case TUpdateStatus::usDisconnected:
      AddLog(LogDisconnected);
      break;
    case TUpdateStatus::usDownloading:
      AddLog(LogDownloading);
      break;
    case TUpdateStatus::usNewerVersion: {
      const TUpdateInfo& info = Manager_->UpdateInfo();
      lbInfo->setText(FromRecordText(NewerVersionText(Manager_->CurrentVersion(), VersionTextOf(info))));
      ShowDownloadLink(FromRecordText(DownloadURLOf(info)));
      lbInfo->show();
      lbDownloadURL->show();
      break;
    }
    case TUpdateStatus::usUpToDate:
      lbInfo->setText(FromView(UpToDateText));
      lbInfo->show();
      break;
    case TUpdateStatus::usInvalidInfo:
      AddLog(LogUnknownError);
      AddLog(LogNoVersionInfo);
      SetChecking(false);
      break;
  }
}

void TcheckUpdateDlg::ManagerFinished(TCheckUpdateManager::TFinish code) {
  // The failure codes come before the final 0; the log says only that the
  // check is over, the result area says why it failed.
  if (code != TCheckUpdateManager::TFinish::Over) {
    ShowFailure();
    return;
  }
  AddLog(LogQuitting);
  SetChecking(false);
}

void TcheckUpdateDlg::ShowFailure() {
  // An aborted check has nothing to explain: the user ended it.
  const std::string line = UpdateFailureLine(Manager_->Failure());
  if (line.empty()) return;
  // A result read from part of an answer that then failed is not to be
  // trusted: the error takes its place.
  lbInfo->hide();
  lbDownloadURL->hide();
  lbError->setText(FromView(line));
  lbError->show();
}

void TcheckUpdateDlg::AddLog(std::string_view line) { moInfo->appendPlainText(FromView(line)); }

void TcheckUpdateDlg::SetChecking(bool checking) {
  btCheck->setEnabled(!checking);
  btAbort->setEnabled(checking);
}

void ShowCheckUpdateDialog(QWidget* parent) {
  QPointer<TcheckUpdateDlg> dialog = new TcheckUpdateDlg(parent);
  dialog->exec();
  delete dialog.data();
}

}  // namespace kelta
