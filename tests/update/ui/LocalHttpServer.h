#pragma once
// A tiny HTTP server on 127.0.0.1 for the update checker's tests: it answers
// each connection with a scripted response, can hold back the rest of a body
// until the test has seen the first pieces, can send a body without end, or
// can stay silent.

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

#include <functional>
#include <optional>

class QTcpSocket;

namespace kelta::testing {

struct TScriptedResponse {
  int Status = 200;
  // The body, written one piece at a time.
  QList<QByteArray> Pieces;
  // Before each piece after the first: the piece waits until this holds
  // (polled while the event loop runs; gives up waiting after five seconds).
  std::function<bool()> NextPieceWhen;
  // Read the request and never answer.
  bool Silent = false;
  QByteArray ContentType = "application/octet-stream";
  // Further header lines, "Name: value".
  QList<QByteArray> Headers;
  // After the pieces the body goes on with no length announced: this byte
  // over and over, for as long as the client reads, up to EndlessSafetyStop.
  std::optional<char> EndlessFill;
};

class TLocalHttpServer : public QObject {
  Q_OBJECT

 public:
  // Connection n gets responses[n], the last one repeating.
  explicit TLocalHttpServer(QList<TScriptedResponse> responses);

  QUrl Url(const QString& path = QStringLiteral("/kelta/latest.upd")) const;
  // The request line of every request received, in order.
  const QList<QByteArray>& RequestLines() const { return FRequestLines; }
  // How many responses have been sent completely.
  int Answered() const { return FAnswered; }
  // How many endless bodies the client cut off by closing the connection.
  int CutOff() const { return FCutOff; }

  // Where an endless body ends all the same, so that a client that never
  // stops reading fails its test instead of running on.
  static constexpr qint64 EndlessSafetyStop = 64 * 1024 * 1024;

  // An address on which nothing listens, so connecting is refused.
  static QUrl RefusingUrl();

 private:
  void Accept();
  void Serve(QTcpSocket* socket, const TScriptedResponse& response);
  void Pour(QTcpSocket* socket, char fill);

  QTcpServer FServer;
  QList<TScriptedResponse> FResponses;
  QList<QByteArray> FRequestLines;
  int FConnections = 0;
  int FAnswered = 0;
  int FCutOff = 0;
};

}  // namespace kelta::testing

// Responses go into Qt Test's data tables.
Q_DECLARE_METATYPE(kelta::testing::TScriptedResponse)
