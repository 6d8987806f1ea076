#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "update/UpdateTexts.h"
#include "update/ui/CheckUpdateDlg.h"
#include "update/ui/LocalHttpServer.h"
#include "update/ui/UpdateRecordBytes.h"
#include "update/ui/WrapLabel.h"

using namespace kelta;
using kelta::testing::Record;
using kelta::testing::TLocalHttpServer;
using kelta::testing::TScriptedResponse;
using namespace std::chrono_literals;

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

TScriptedResponse Answer(const QByteArray& body) { return TScriptedResponse{200, {body}, {}, false}; }

const QString Starting = Q(LogStarting);
const QString Connected = Q(LogConnected);
const QString Downloading = Q(LogDownloading);
const QString Disconnected = Q(LogDisconnected);
const QString Unknown = Q(LogUnknownError);
const QString NoInfo = Q(LogNoVersionInfo);
const QString Quitting = Q(LogQuitting);

const QStringList ServedLog{Starting, Connected, Downloading, Disconnected, Quitting};
const QStringList InvalidLog{Starting, Connected, Downloading, Unknown, NoInfo, Disconnected, Quitting};

QString NewerText(const QString& latest) {
  return QStringLiteral("current version is: 3.0.1.0\nthe latest version is: %1\n"
                        "please click the download link to get it.")
      .arg(latest);
}

const QString Prefix = QStringLiteral("Could not reach the update server: ");
const QRgb LinkColour = qRgb(128, 0, 128);

// The rules of the program's own style sheet that reach a dialog opened over
// the main window.
const char* const ProgramStyle = R"(
QWidget#MainDlg { background: #E7E7E7; color: #686868; }
QWidget#MainDlg QLabel { color: #686868; }
QPushButton { font-weight: bold; color: #686868; border: 1px solid #B5B5B5; border-radius: 3px; }
)";

// How many of the widget's pixels, drawn on white, are exactly `colour`.
int PixelsOf(QWidget* widget, QRgb colour) {
  QImage image(widget->size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  widget->render(&image, {}, {}, QWidget::DrawChildren);
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour;
  return count;
}

// The dialog as the user sees it over the main window, found by its
// controls' names.
struct TDialogView {
  explicit TDialogView(const QUrl& url) : Dialog(&Main, url) {
    Main.setObjectName(QStringLiteral("MainDlg"));
    Check = Dialog.findChild<QPushButton*>(QStringLiteral("btCheck"));
    Abort = Dialog.findChild<QPushButton*>(QStringLiteral("btAbort"));
    Ok = Dialog.findChild<QPushButton*>(QStringLiteral("btOk"));
    Log = Dialog.findChild<QPlainTextEdit*>(QStringLiteral("moInfo"));
    Info = Dialog.findChild<TWrapLabel*>(QStringLiteral("lbInfo"));
    Error = Dialog.findChild<TWrapLabel*>(QStringLiteral("lbError"));
    Link = Dialog.findChild<QLabel*>(QStringLiteral("lbDownloadURL"));
    Dialog.SetLinkOpener([this](const QUrl& link) {
      Opened << link;
      return true;
    });
    Dialog.show();
  }

  QStringList LogLines() const {
    const QString text = Log->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
  }
  bool Idle() const { return Check->isEnabled() && !Abort->isEnabled(); }
  bool Checking() const { return !Check->isEnabled() && Abort->isEnabled(); }
  // A click on Check returns when the check is over.
  void RunCheck() { QTest::mouseClick(Check, Qt::LeftButton); }

  QWidget Main;
  TcheckUpdateDlg Dialog;
  QPushButton* Check;
  QPushButton* Abort;
  QPushButton* Ok;
  QPlainTextEdit* Log;
  TWrapLabel* Info;
  TWrapLabel* Error;
  QLabel* Link;
  QList<QUrl> Opened;
};

}  // namespace

class CheckUpdateDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void startsIdleWithHiddenResult();
  void showsResultOfTheFile_data();
  void showsResultOfTheFile();
  void dataInPiecesShowsTheLastPiecesResult();
  void failureShowsTheReason_data();
  void failureShowsTheReason();
  void errorLineGoesWithTheNextCheck();
  void abortWhileConnectingGoesIdleAtOnce();
  void secondCheckStartsFromClearedLog();
  void checkWhileInvalidFilesRequestRunsStartsClean();
  void linkOpensOnlyWebAddresses_data();
  void linkOpensOnlyWebAddresses();
  void longTextsStayInsideTheDialog_data();
  void longTextsStayInsideTheDialog();
  void escapeClosesAndEndsRunningCheck();
  void okCloses();
  void logPassesFocusToOk();
};

void CheckUpdateDlgTest::initTestCase() { qApp->setStyleSheet(QString::fromLatin1(ProgramStyle)); }

void CheckUpdateDlgTest::startsIdleWithHiddenResult() {
  TDialogView view(TLocalHttpServer::RefusingUrl());
  QCOMPARE(view.Dialog.windowTitle(), QStringLiteral("Check Update"));
  QCOMPARE(view.Dialog.size(), QSize(448, 306));
  QVERIFY(view.Idle());
  QVERIFY(view.Info->isHidden());
  QVERIFY(view.Error->isHidden());
  QVERIFY(view.Link->isHidden());
  QVERIFY(view.LogLines().isEmpty());
}

void CheckUpdateDlgTest::showsResultOfTheFile_data() {
  QTest::addColumn<QByteArray>("body");
  QTest::addColumn<QStringList>("log");
  QTest::addColumn<QString>("info");  // null: hidden
  QTest::addColumn<QString>("link");  // null: hidden

  const QString text64(64, u'7');
  QTest::newRow("same version") << Record(3010, "3.0.1.0", "http://kelta.example/") << ServedLog
                                << QStringLiteral("You already have the latest version installed.") << QString();
  QTest::newRow("next version") << Record(3011, "3.0.1.1", "http://kelta.example/kelta-3011.zip") << ServedLog
                                << NewerText(QStringLiteral("3.0.1.1"))
                                << QStringLiteral("http://kelta.example/kelta-3011.zip");
  QTest::newRow("below valid") << Record(2999, "2.9.9.9", "http://kelta.example/") << InvalidLog << QString()
                               << QString();
  QTest::newRow("negative") << Record(-4000, "x", "http://kelta.example/") << InvalidLog << QString()
                            << QString();
  QTest::newRow("three bytes") << Record(3011, "", "", 3) << InvalidLog << QString() << QString();
  QTest::newRow("twelve bytes") << Record(4000, "", "", 12) << ServedLog << NewerText(QString())
                                << QStringLiteral("");
  QTest::newRow("text fills its field") << Record(3011, text64.toStdString(), "http://kelta.example/")
                                        << ServedLog << NewerText(text64)
                                        << QStringLiteral("http://kelta.example/");
  QTest::newRow("markup shown as text") << Record(3011, "<b>3.1</b>", "http://kelta.example/<i>") << ServedLog
                                        << NewerText(QStringLiteral("<b>3.1</b>"))
                                        << QStringLiteral("http://kelta.example/<i>");
}

void CheckUpdateDlgTest::showsResultOfTheFile() {
  QFETCH(QByteArray, body);
  QFETCH(QStringList, log);
  QFETCH(QString, info);
  QFETCH(QString, link);

  TLocalHttpServer server({Answer(body)});
  TDialogView view(server.Url());
  view.RunCheck();

  QCOMPARE(view.LogLines(), log);
  QVERIFY(view.Idle());
  QCOMPARE(view.Info->isVisible(), !info.isNull());
  if (!info.isNull()) QCOMPARE(view.Info->text(), info);
  QCOMPARE(view.Link->isVisible(), !link.isNull());
  if (!link.isNull()) QCOMPARE(view.Link->text(), link);
  QCOMPARE(view.Info->textFormat(), Qt::PlainText);
  QCOMPARE(view.Link->textFormat(), Qt::PlainText);
}

void CheckUpdateDlgTest::dataInPiecesShowsTheLastPiecesResult() {
  const QByteArray record = Record(3011, "3.0.1.1", "http://kelta.example/get");
  TDialogView* view = nullptr;
  QString infoAfterSecondPiece;
  bool idleAfterFirstPiece = false;
  int piece = 1;
  TScriptedResponse response{200, {record.left(2), record.mid(2, 9), record.mid(11)}, {}, false};
  response.NextPieceWhen = [&] {
    if (piece == 1 && view->LogLines().contains(NoInfo)) {
      idleAfterFirstPiece = view->Idle();
      ++piece;
      return true;
    }
    if (piece == 2 && view->Info->isVisible()) {
      infoAfterSecondPiece = view->Info->text();
      ++piece;
      return true;
    }
    return false;
  };
  TLocalHttpServer server({response});
  TDialogView dialog(server.Url());
  view = &dialog;
  dialog.RunCheck();

  QCOMPARE(piece, 3);
  QVERIFY(idleAfterFirstPiece);
  QCOMPARE(infoAfterSecondPiece, NewerText(QStringLiteral("3.0")));
  QCOMPARE(dialog.LogLines(), InvalidLog);
  QCOMPARE(dialog.Info->text(), NewerText(QStringLiteral("3.0.1.1")));
  QVERIFY(dialog.Info->isVisible());
  QCOMPARE(dialog.Link->text(), QStringLiteral("http://kelta.example/get"));
  QVERIFY(dialog.Link->isVisible());
  QVERIFY(dialog.Idle());
}

// Everything but a refused connection is served by the local server.
void CheckUpdateDlgTest::failureShowsTheReason_data() {
  QTest::addColumn<TScriptedResponse>("response");
  QTest::addColumn<bool>("refusing");
  QTest::addColumn<int>("deadlineMs");  // 0: the default
  QTest::addColumn<QStringList>("log");
  QTest::addColumn<QString>("line");

  const QByteArray record = Record(3011, "3.0.1.1", "http://kelta.example/");
  QTest::newRow("refused") << TScriptedResponse{} << true << 0 << QStringList{Starting, Quitting}
                           << Prefix + "the connection was refused";
  QTest::newRow("not found") << TScriptedResponse{404, {record}} << false << 0 << ServedLog
                             << Prefix + "HTTP 404 Not Found";
  QTest::newRow("login page") << TScriptedResponse{.Pieces = {record}, .ContentType = "text/html"} << false << 0
                              << ServedLog << Prefix + "the answer is a web page, not update information";
  QTest::newRow("silent server") << TScriptedResponse{.Silent = true} << false << 500 << ServedLog
                                 << Prefix + "the server did not answer within 500 milliseconds";
  // Twelve bytes already announce a newer version; the rest never comes, and
  // the half-read result gives way to the error.
  QTest::newRow("record cut short") << TScriptedResponse{200, {record.left(12), record.mid(12)}, [] { return false; }}
                                    << false << 1000 << ServedLog
                                    << Prefix + "the server did not answer within 1 second";
}

void CheckUpdateDlgTest::failureShowsTheReason() {
  QFETCH(TScriptedResponse, response);
  QFETCH(bool, refusing);
  QFETCH(int, deadlineMs);
  QFETCH(QStringList, log);
  QFETCH(QString, line);

  TLocalHttpServer server({response});
  TDialogView view(refusing ? TLocalHttpServer::RefusingUrl() : server.Url());
  if (deadlineMs > 0) view.Dialog.SetCheckDeadline(std::chrono::milliseconds(deadlineMs));
  view.RunCheck();

  QCOMPARE(view.LogLines(), log);
  QVERIFY(view.Error->isVisible());
  QCOMPARE(view.Error->text(), line);
  QVERIFY(view.Info->isHidden());
  QVERIFY(view.Link->isHidden());
  QVERIFY(view.Idle());
}

void CheckUpdateDlgTest::errorLineGoesWithTheNextCheck() {
  TLocalHttpServer server({TScriptedResponse{500, {"oops"}}, Answer(Record(3010))});
  TDialogView view(server.Url());
  view.RunCheck();
  QCOMPARE(view.Error->text(), Prefix + "HTTP 500 Internal Server Error");
  QVERIFY(view.Error->isVisible());

  view.RunCheck();
  QVERIFY(view.Error->isHidden());
  QCOMPARE(view.Info->text(), QStringLiteral("You already have the latest version installed."));
  QVERIFY(view.Info->isVisible());
}

void CheckUpdateDlgTest::abortWhileConnectingGoesIdleAtOnce() {
  TLocalHttpServer server({TScriptedResponse{200, {}, {}, true}});
  TDialogView view(server.Url());
  bool checkingBefore = false;
  bool idleAtOnce = false;
  // The first turn of the event loop inside the check: the connection is
  // not up yet.
  QTimer::singleShot(0, this, [&] {
    checkingBefore = view.Checking();
    QTest::mouseClick(view.Abort, Qt::LeftButton);
    idleAtOnce = view.Idle();
  });
  view.RunCheck();

  QVERIFY(checkingBefore);
  QVERIFY(idleAtOnce);
  QCOMPARE(view.LogLines(), (QStringList{Starting, Quitting}));
  QVERIFY(view.Error->isHidden());
  QVERIFY(view.Info->isHidden());
  QVERIFY(view.Link->isHidden());
  QCOMPARE(server.Answered(), 0);
}

void CheckUpdateDlgTest::secondCheckStartsFromClearedLog() {
  TLocalHttpServer server(
      {Answer(Record(3011, "3.0.1.1", "http://kelta.example/")), Answer(Record(3010)), Answer(Record(1))});
  TDialogView view(server.Url());
  view.RunCheck();
  QVERIFY(view.Link->isVisible());

  view.RunCheck();
  QCOMPARE(view.LogLines(), ServedLog);
  QCOMPARE(view.Info->text(), QStringLiteral("You already have the latest version installed."));
  QVERIFY(view.Link->isHidden());

  view.RunCheck();
  QCOMPARE(view.LogLines(), InvalidLog);
  QVERIFY(view.Info->isHidden());
  QVERIFY(view.Link->isHidden());
}

void CheckUpdateDlgTest::checkWhileInvalidFilesRequestRunsStartsClean() {
  // The first file proves invalid after two bytes and its request then
  // stalls; Check is enabled again, and pressing it must not mix the two.
  const QByteArray stalled = Record(3011);
  TScriptedResponse first{200, {stalled.left(2), stalled.mid(2)}, [] { return false; }, false};
  TLocalHttpServer server({first, Answer(Record(3010))});
  TDialogView view(server.Url());
  bool idleAfterInvalid = false;
  QTimer poll;
  connect(&poll, &QTimer::timeout, this, [&] {
    if (!view.LogLines().contains(NoInfo)) return;
    poll.stop();
    idleAfterInvalid = view.Idle();
    view.RunCheck();
  });
  poll.start(5);
  view.RunCheck();

  QVERIFY(idleAfterInvalid);
  QCOMPARE(view.LogLines(), ServedLog);
  QCOMPARE(view.Info->text(), QStringLiteral("You already have the latest version installed."));
  QVERIFY(view.Idle());
  QCOMPARE(server.RequestLines().size(), 2);
}

void CheckUpdateDlgTest::linkOpensOnlyWebAddresses_data() {
  QTest::addColumn<QString>("address");
  QTest::addColumn<bool>("opens");
  QTest::newRow("http") << QStringLiteral("http://kelta.example/kelta-3011.zip") << true;
  QTest::newRow("https") << QStringLiteral("https://kelta.example/download?v=3011") << true;
  QTest::newRow("file") << QStringLiteral("file:///etc/passwd") << false;
  QTest::newRow("javascript") << QStringLiteral("javascript:alert(1)") << false;
  QTest::newRow("program scheme") << QStringLiteral("ssh://kelta.example") << false;
  QTest::newRow("empty") << QString() << false;
}

void CheckUpdateDlgTest::linkOpensOnlyWebAddresses() {
  QFETCH(QString, address);
  QFETCH(bool, opens);
  TLocalHttpServer server({Answer(Record(3011, "3.0.1.1", address.toStdString()))});
  TDialogView view(server.Url());
  view.RunCheck();
  QVERIFY(view.Link->isVisible());
  QCOMPARE(view.Link->text(), address);

  // Only an address that opens looks like a link, in the dialog's purple,
  // whatever the program's style sheet gives other labels.
  QCOMPARE(view.Link->font().underline(), opens);
  QCOMPARE(view.Link->cursor().shape(), opens ? Qt::PointingHandCursor : Qt::ArrowCursor);
  QCOMPARE(PixelsOf(view.Link, LinkColour) > 0, opens);

  QTest::mouseClick(view.Link, Qt::LeftButton);
  QCOMPARE(view.Opened, opens ? QList<QUrl>{QUrl(address)} : QList<QUrl>{});
}

void CheckUpdateDlgTest::longTextsStayInsideTheDialog_data() {
  QTest::addColumn<QString>("version");
  QTest::addColumn<QString>("link");
  QTest::newRow("one long word each") << QString(64, u'W')
                                      << QStringLiteral("http://kelta.example/") + QString(239, u'd');
  QTest::newRow("long sentence and path")
      << QStringLiteral("3.1.0.0, the autumn release with sharper export and new filters")
      << QStringLiteral("https://kelta.example/downloads/2024/autumn/kelta-setup-3.1.0.0-full-installer.exe");
}

void CheckUpdateDlgTest::longTextsStayInsideTheDialog() {
  QFETCH(QString, version);
  QFETCH(QString, link);
  TLocalHttpServer server({Answer(Record(3011, version.toStdString(), link.toStdString()))});
  TDialogView view(server.Url());
  view.RunCheck();

  // The text is kept whole and every drawn line fits the label.
  QCOMPARE(view.Info->text(), NewerText(version));
  const QStringList lines = view.Info->Lines();
  QCOMPARE(lines.join(QString()), NewerText(version).remove(u'\n'));
  const QFontMetrics infoMetrics(view.Info->font());
  for (const QString& line : lines)
    QVERIFY2(infoMetrics.horizontalAdvance(line.trimmed()) <= view.Info->contentsRect().width(), qPrintable(line));
  QVERIFY(view.Info->heightForWidth(view.Info->width()) <= view.Info->height());

  // The link loses its middle on screen, below the text and clear of the
  // buttons; the tooltip and the click have all of it.
  QVERIFY(view.Link->isVisible());
  QVERIFY(view.Link->text().contains(QChar(0x2026)));
  QVERIFY(view.Link->text().startsWith(link.left(10)));
  QVERIFY(view.Link->text().endsWith(link.right(3)));
  QVERIFY(view.Dialog.rect().contains(view.Link->geometry()));
  QVERIFY(view.Link->x() + view.Link->width() <= view.Info->x() + view.Info->width());
  QVERIFY(view.Link->y() >= view.Info->y() + view.Info->heightForWidth(view.Info->width()));
  QVERIFY(!view.Link->geometry().intersects(view.Check->geometry()));
  QCOMPARE(view.Link->toolTip(), link);
  QTest::mouseClick(view.Link, Qt::LeftButton);
  QCOMPARE(view.Opened, QList<QUrl>{QUrl(link)});
}

void CheckUpdateDlgTest::escapeClosesAndEndsRunningCheck() {
  TLocalHttpServer server({TScriptedResponse{200, {}, {}, true}});
  TDialogView view(server.Url());
  QStringList logAtClose;
  bool idleAtClose = false;
  QTimer poll;
  connect(&poll, &QTimer::timeout, this, [&] {
    if (server.RequestLines().isEmpty()) return;
    poll.stop();
    QTest::keyClick(view.Log, Qt::Key_Escape);
    logAtClose = view.LogLines();
    idleAtClose = view.Idle();
  });
  poll.start(5);
  view.RunCheck();

  // The check ended with the window, not when the silent server gave up.
  QCOMPARE(logAtClose, (QStringList{Starting, Connected, Downloading, Disconnected, Quitting}));
  QVERIFY(idleAtClose);
  QVERIFY(!view.Dialog.isVisible());
  QCOMPARE(view.Dialog.result(), int(QDialog::Rejected));
  QCOMPARE(view.LogLines().last(), Quitting);
  QVERIFY(view.Idle());
  QCOMPARE(server.Answered(), 0);
}

void CheckUpdateDlgTest::okCloses() {
  TDialogView view(TLocalHttpServer::RefusingUrl());
  QTest::mouseClick(view.Ok, Qt::LeftButton);
  QVERIFY(!view.Dialog.isVisible());
  QCOMPARE(view.Dialog.result(), int(QDialog::Accepted));
}

void CheckUpdateDlgTest::logPassesFocusToOk() {
  TDialogView view(TLocalHttpServer::RefusingUrl());
  view.Dialog.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&view.Dialog));
  view.Check->setFocus();
  view.Log->setFocus();
  QTRY_COMPARE(view.Dialog.focusWidget(), view.Ok);
}

QTEST_MAIN(CheckUpdateDlgTest)
#include "CheckUpdateDlgTest.moc"
