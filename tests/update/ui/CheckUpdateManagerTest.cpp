#include <QPointer>
#include <QTest>
#include <QTimer>

#include "update/ui/CheckUpdateManager.h"
#include "update/ui/LocalHttpServer.h"
#include "update/ui/UpdateRecordBytes.h"

using namespace kelta;
using kelta::testing::Record;
using kelta::testing::TLocalHttpServer;
using kelta::testing::TScriptedResponse;
using namespace std::chrono_literals;

namespace {

// Everything the manager reports, in order: "S<status>" and "F<code>".
struct TEventLog {
  QStringList Events;
  void Attach(TCheckUpdateManager& manager) {
    manager.OnStatus = [this](TUpdateStatus s) { Events << QStringLiteral("S%1").arg(int(s)); };
    manager.OnFinished = [this](TCheckUpdateManager::TFinish c) { Events << QStringLiteral("F%1").arg(int(c)); };
  }
};

// One check, start to end: what the manager reported, in order.
QStringList CheckAndLog(TCheckUpdateManager& manager) {
  TEventLog log;
  log.Attach(manager);
  manager.Check();
  manager.OnStatus = nullptr;
  manager.OnFinished = nullptr;
  return log.Events;
}

}  // namespace

class CheckUpdateManagerTest : public QObject {
  Q_OBJECT

 private slots:
  void reportsRequestAndVerdict_data();
  void reportsRequestAndVerdict();
  void refusedConnectionFailsWithOtherError();
  void abortEndsTheRequestAndCheckReturns();
  void newCheckEndsTheRunningOne();
  void survivesBeingDestroyedByItsOwnReport();
  void endlessAnswerIsCutOff_data();
  void endlessAnswerIsCutOff();
  void failureTellsWhy_data();
  void failureTellsWhy();
  void redirectToALoginPageIsAWebPage();
};

// S0 connected, S1 disconnected, S2 downloading, S3 newer, S4 up to date, S5 invalid.
void CheckUpdateManagerTest::reportsRequestAndVerdict_data() {
  QTest::addColumn<int>("status");
  QTest::addColumn<QByteArray>("body");
  QTest::addColumn<QStringList>("events");
  QTest::addColumn<int>("recordVersion");

  QTest::newRow("newer") << 200 << Record(3011, "3.0.1.1", "http://a/")
                         << QStringList{"S0", "S2", "S3", "S1", "F0"} << 3011;
  QTest::newRow("same version") << 200 << Record(3010) << QStringList{"S0", "S2", "S4", "S1", "F0"} << 3010;
  QTest::newRow("invalid") << 200 << Record(2999) << QStringList{"S0", "S2", "S5", "S1", "F0"} << 0;
  QTest::newRow("empty body") << 200 << QByteArray() << QStringList{"S0", "S2", "S1", "F0"} << 0;
  // An error page is never taken for an update record, whatever its bytes.
  QTest::newRow("not found") << 404 << Record(3011, "3.0.1.1", "http://a/")
                             << QStringList{"S0", "S2", "S1", "F1", "F0"} << 0;
  QTest::newRow("server error") << 500 << QByteArray("oops")
                                << QStringList{"S0", "S2", "S1", "F1", "F0"} << 0;
}

void CheckUpdateManagerTest::reportsRequestAndVerdict() {
  QFETCH(int, status);
  QFETCH(QByteArray, body);
  QFETCH(QStringList, events);
  QFETCH(int, recordVersion);

  TLocalHttpServer server({TScriptedResponse{status, {body}, {}, false}});
  TCheckUpdateManager manager(CurrentVersion);
  manager.UpdateURL = server.Url();
  QCOMPARE(CheckAndLog(manager), events);
  QVERIFY(!manager.Checking());
  QCOMPARE(manager.UpdateInfo().Version, recordVersion);
  QCOMPARE(server.RequestLines(), QList<QByteArray>{"GET /kelta/latest.upd HTTP/1.1"});
}

void CheckUpdateManagerTest::refusedConnectionFailsWithOtherError() {
  TCheckUpdateManager manager(CurrentVersion);
  manager.UpdateURL = TLocalHttpServer::RefusingUrl();
  QCOMPARE(CheckAndLog(manager), (QStringList{"F2", "F0"}));
}

void CheckUpdateManagerTest::abortEndsTheRequestAndCheckReturns() {
  TLocalHttpServer server({TScriptedResponse{200, {}, {}, true}});
  TCheckUpdateManager manager(CurrentVersion);
  manager.UpdateURL = server.Url();
  TEventLog log;
  log.Attach(manager);
  bool checkingBeforeAbort = false;
  QStringList eventsAfterAbort;
  // Abort once the request has reached the server, so the connection is up.
  QTimer poll;
  connect(&poll, &QTimer::timeout, this, [&] {
    if (server.RequestLines().isEmpty()) return;
    poll.stop();
    checkingBeforeAbort = manager.Checking();
    manager.Abort();
    eventsAfterAbort = log.Events;
  });
  poll.start(5);
  manager.Check();

  QVERIFY(checkingBeforeAbort);
  QCOMPARE(eventsAfterAbort, (QStringList{"S0", "S2", "S1", "F2", "F0"}));
  QCOMPARE(log.Events, eventsAfterAbort);
  QVERIFY(!manager.Checking());
  QCOMPARE(server.Answered(), 0);
}

void CheckUpdateManagerTest::newCheckEndsTheRunningOne() {
  // The first connection gets a silent server, the second an answer.
  TLocalHttpServer server(
      {TScriptedResponse{200, {}, {}, true}, TScriptedResponse{200, {Record(3010)}, {}, false}});
  TCheckUpdateManager manager(CurrentVersion);
  manager.UpdateURL = server.Url();
  TEventLog log;
  log.Attach(manager);
  QStringList eventsOfFirst;
  QTimer poll;
  connect(&poll, &QTimer::timeout, this, [&] {
    if (server.RequestLines().isEmpty()) return;
    poll.stop();
    manager.Check();
    eventsOfFirst = log.Events;
  });
  poll.start(5);
  manager.Check();

  const QStringList first{"S0", "S2", "S1", "F2", "F0"};
  QCOMPARE(log.Events.mid(0, first.size()), first);
  QCOMPARE(log.Events.mid(first.size()), (QStringList{"S0", "S2", "S4", "S1", "F0"}));
  QCOMPARE(server.RequestLines().size(), 2);
  QVERIFY(!manager.Checking());
}

void CheckUpdateManagerTest::survivesBeingDestroyedByItsOwnReport() {
  TLocalHttpServer server({TScriptedResponse{200, {Record(3011)}, {}, false}});
  QPointer<TCheckUpdateManager> manager = new TCheckUpdateManager(CurrentVersion);
  manager->UpdateURL = server.Url();
  QStringList events;
  manager->OnStatus = [&](TUpdateStatus s) {
    events << QStringLiteral("S%1").arg(int(s));
    if (s == TUpdateStatus::usConnected) delete manager.data();
  };
  manager->Check();
  QVERIFY(manager.isNull());
  QCOMPARE(events, QStringList{"S0"});
}

void CheckUpdateManagerTest::endlessAnswerIsCutOff_data() {
  QTest::addColumn<TScriptedResponse>("response");
  QTest::addColumn<QStringList>("events");
  QTest::addColumn<int>("failure");  // TUpdateFailureKind

  const auto endless = [](QList<QByteArray> pieces, char fill) {
    return TScriptedResponse{.Pieces = std::move(pieces), .EndlessFill = fill};
  };
  QTest::newRow("after a record") << endless({Record(3011, "3.0.1.1", "http://a/")}, char(0xEE))
                                  << QStringList{"S0", "S2", "S3", "S1", "F0"} << int(TUpdateFailureKind::None);
  QTest::newRow("without a record") << endless({}, '\0') << QStringList{"S0", "S2", "S5", "S1", "F2", "F0"}
                                    << int(TUpdateFailureKind::TooLarge);
  QTest::newRow("after an invalid record") << endless({Record(2999)}, char(0xEE))
                                           << QStringList{"S0", "S2", "S5", "S1", "F2", "F0"}
                                           << int(TUpdateFailureKind::TooLarge);
  QTest::newRow("error page") << TScriptedResponse{.Status = 404, .EndlessFill = 'x'}
                              << QStringList{"S0", "S2", "S1", "F1", "F0"} << int(TUpdateFailureKind::HttpStatus);
}

void CheckUpdateManagerTest::endlessAnswerIsCutOff() {
  QFETCH(TScriptedResponse, response);
  QFETCH(QStringList, events);
  QFETCH(int, failure);

  TLocalHttpServer server({response});
  TCheckUpdateManager manager(CurrentVersion);
  manager.UpdateURL = server.Url();
  QCOMPARE(CheckAndLog(manager), events);
  QCOMPARE(int(manager.Failure().Kind), failure);
  QVERIFY(!manager.Checking());
  // Never more than one byte past the limit is taken, and the connection is
  // closed long before the server's safety stop.
  QVERIFY2(manager.BytesRead() <= qint64(MaxUpdateAnswerBytes) + 1, QByteArray::number(manager.BytesRead()));
  QTRY_COMPARE(server.CutOff(), 1);
}

// Everything but a refused connection is served by the local server.
void CheckUpdateManagerTest::failureTellsWhy_data() {
  QTest::addColumn<TScriptedResponse>("response");
  QTest::addColumn<bool>("refusing");
  QTest::addColumn<int>("deadlineMs");  // 0: the default
  QTest::addColumn<QStringList>("events");
  QTest::addColumn<QString>("line");

  const QStringList httpFailed{"S0", "S2", "S1", "F1", "F0"};
  const QStringList otherFailed{"S0", "S2", "S1", "F2", "F0"};
  const QByteArray record = Record(3011, "3.0.1.1", "http://a/");
  const QString prefix = QStringLiteral("Could not reach the update server: ");
  const auto page = [&](QByteArray type) {
    return TScriptedResponse{.Pieces = {record}, .ContentType = std::move(type)};
  };

  QTest::newRow("refused") << TScriptedResponse{} << true << 0 << QStringList{"F2", "F0"}
                           << prefix + "the connection was refused";
  QTest::newRow("not found") << TScriptedResponse{404, {record}} << false << 0 << httpFailed
                             << prefix + "HTTP 404 Not Found";
  QTest::newRow("server error") << TScriptedResponse{500, {"oops"}} << false << 0 << httpFailed
                                << prefix + "HTTP 500 Internal Server Error";
  QTest::newRow("html page") << page("text/html; charset=utf-8") << false << 0 << otherFailed
                             << prefix + "the answer is a web page, not update information";
  QTest::newRow("xhtml page") << page("application/xhtml+xml") << false << 0 << otherFailed
                              << prefix + "the answer is a web page, not update information";
  QTest::newRow("silent server") << TScriptedResponse{.Silent = true} << false << 500 << otherFailed
                                 << prefix + "the server did not answer within 500 milliseconds";
  // The rest of the body is held back far longer than the deadline.
  QTest::newRow("stalled body") << TScriptedResponse{200, {record.left(2), record.mid(2)}, [] { return false; }}
                                << false << 1000 << QStringList{"S0", "S2", "S5", "S1", "F2", "F0"}
                                << prefix + "the server did not answer within 1 second";
}

void CheckUpdateManagerTest::failureTellsWhy() {
  QFETCH(TScriptedResponse, response);
  QFETCH(bool, refusing);
  QFETCH(int, deadlineMs);
  QFETCH(QStringList, events);
  QFETCH(QString, line);

  TLocalHttpServer server({response});
  TCheckUpdateManager manager(CurrentVersion);
  manager.UpdateURL = refusing ? TLocalHttpServer::RefusingUrl() : server.Url();
  if (deadlineMs > 0) manager.Deadline = std::chrono::milliseconds(deadlineMs);
  QCOMPARE(CheckAndLog(manager), events);
  QCOMPARE(QString::fromStdString(UpdateFailureLine(manager.Failure())), line);
  QCOMPARE(manager.UpdateInfo().Version, 0);
  QVERIFY(!manager.Checking());
}

void CheckUpdateManagerTest::redirectToALoginPageIsAWebPage() {
  // What a captive portal does: every address is sent on to its login page,
  // and the redirect itself comes with a page of its own.
  const QByteArray page = "<html><body>Please log in</body></html>";
  TLocalHttpServer server({TScriptedResponse{.Status = 302, .Pieces = {page}, .ContentType = "text/html",
                                             .Headers = {"Location: /login"}},
                           TScriptedResponse{.Pieces = {page}, .ContentType = "text/html"}});
  TCheckUpdateManager manager(CurrentVersion);
  manager.UpdateURL = server.Url();
  QCOMPARE(CheckAndLog(manager), (QStringList{"S0", "S2", "S1", "F2", "F0"}));
  QCOMPARE(int(manager.Failure().Kind), int(TUpdateFailureKind::WebPage));
  QCOMPARE(server.RequestLines(), (QList<QByteArray>{"GET /kelta/latest.upd HTTP/1.1", "GET /login HTTP/1.1"}));
}

QTEST_MAIN(CheckUpdateManagerTest)
#include "CheckUpdateManagerTest.moc"
