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
  socket->write(QStringLiteral("HTTP/1.1 %1 Scripted\r\nContent-Type: application/octet-stream\r\n"
                               "Content-Length: %2\r\nConnection: close\r\n\r\n")
                    .arg(response.Status)
                    .arg(length)
                    .toLatin1());
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
    ++FAnswered;
    socket->disconnectFromHost();
  };
  connect(pacer, &QTimer::timeout, this, step);
  pacer->start(5);
  step();
}

}  // namespace kelta::testing
