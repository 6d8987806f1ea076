#include "update/ui/LocalHttpServer.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace kelta::testing {

TLocalHttpServer::TLocalHttpServer(QList<TScriptedResponse> responses) : FResponses(std::move(responses)) {
  if (!FServer.listen(QHostAddress::LocalHost, 0)) qFatal("test server cannot listen");
  connect(&FServer, &QTcpServer::newConnection, this, &TLocalHttpServer::Accept);
}

QUrl TLocalHttpServer::Url(const QString& path) const {
  return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(FServer.serverPort()).arg(path));
}

QUrl TLocalHttpServer::RefusingUrl() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) qFatal("test server cannot listen");
  const quint16 port = probe.serverPort();
  probe.close();
  return QUrl(QStringLiteral("http://127.0.0.1:%1/kelta/latest.upd").arg(port));
}

void TLocalHttpServer::Accept() {
  while (QTcpSocket* socket = FServer.nextPendingConnection()) {
    socket->setParent(this);
    const TScriptedResponse response = FResponses.at(qMin(FConnections, FResponses.size() - 1));
    ++FConnections;
    auto received = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, received, response] {
      const bool hadHeader = received->contains("\r\n\r\n");
      received->append(socket->readAll());
      if (hadHeader || !received->contains("\r\n\r\n")) return;
      FRequestLines.append(received->left(received->indexOf("\r\n")));
      if (!response.Silent) Serve(socket, response);
    });
  }
}

void TLocalHttpServer::Serve(QTcpSocket* socket, const TScriptedResponse& response) {
  qsizetype length = 0;
  for (const QByteArray& piece : response.Pieces) length += piece.size();
  QByteArray header = "HTTP/1.1 " + QByteArray::number(response.Status) + " Scripted\r\n";
  header += "Content-Type: " + response.ContentType + "\r\n";
  for (const QByteArray& line : response.Headers) header += line + "\r\n";
  // An endless body is delimited by the end of the connection.
  if (!response.EndlessFill) header += "Content-Length: " + QByteArray::number(length) + "\r\n";
  header += "Connection: close\r\n\r\n";
  socket->write(header);
  if (!response.Pieces.isEmpty()) socket->write(response.Pieces.first());
  socket->flush();

  struct TProgress {
    qsizetype Next = 1;
    QDeadlineTimer Patience{5000};
  };
  auto progress = std::make_shared<TProgress>();
  auto* pacer = new QTimer(socket);
  auto step = [this, socket, response, progress, pacer] {
    if (progress->Next < response.Pieces.size()) {
      const bool ready = !response.NextPieceWhen || response.NextPieceWhen();
      if (!ready && !progress->Patience.hasExpired()) return;
      socket->write(response.Pieces.at(progress->Next++));
      socket->flush();
      progress->Patience.setRemainingTime(5000);
      if (progress->Next < response.Pieces.size()) return;
    }
    pacer->stop();
    if (response.EndlessFill) {
      Pour(socket, *response.EndlessFill);
      return;
    }
    ++FAnswered;
    socket->disconnectFromHost();
  };
  connect(pacer, &QTimer::timeout, this, step);
  pacer->start(5);
  step();
}

void TLocalHttpServer::Pour(QTcpSocket* socket, char fill) {
  const QByteArray block(64 * 1024, fill);
  auto sent = std::make_shared<qint64>(0);
  // More goes out only once the socket's own buffer has drained, so the
  // server's memory stays flat whatever the client does.
  auto more = [socket, block, sent] {
    if (socket->state() != QAbstractSocket::ConnectedState) return;
    if (*sent >= EndlessSafetyStop) {
      socket->disconnectFromHost();
      return;
    }
    if (socket->bytesToWrite() > 0) return;
    socket->write(block);
    *sent += block.size();
  };
  connect(socket, &QTcpSocket::bytesWritten, this, more);
  connect(socket, &QTcpSocket::disconnected, this, [this, sent] {
    if (*sent < EndlessSafetyStop) ++FCutOff;
  });
  more();
}

}  // namespace kelta::testing
