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

namespace {

// Everything the manager reports, in order: "S<status>" and "F<code>".
struct TEventLog {
  QStringList Events;
  void Attach(TCheckUpdateManager& manager) {
    manager.OnStatus = [this](TUpdateStatus s) { Events << QStringLiteral("S%1").arg(int(s)); };
    manager.OnFinished = [this](std::uint8_t c) { Events << QStringLiteral("F%1").arg(int(c)); };
  }
};

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
  TEventLog log;
  log.Attach(manager);
  manager.Check();

  QCOMPARE(log.Events, events);
  QVERIFY(!manager.Checking());
  QCOMPARE(manager.UpdateInfo().Version, recordVersion);
  QCOMPARE(server.RequestLines(), QList<QByteArray>{"GET /kelta/latest.upd HTTP/1.1"});
}

void CheckUpdateManagerTest::refusedConnectionFailsWithOtherError() {
  TCheckUpdateManager manager(CurrentVersion);
  manager.UpdateURL = TLocalHttpServer::RefusingUrl();
  TEventLog log;
  log.Attach(manager);
  manager.Check();
  QCOMPARE(log.Events, (QStringList{"F2", "F0"}));
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

QTEST_MAIN(CheckUpdateManagerTest)
#include "CheckUpdateManagerTest.moc"
