#include "app/ui/InstanceChannel.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <memory>

namespace kelta {

namespace {

// A path longer than this is cut short or refused; a request never needs more.
constexpr qint64 MaxRequestBytes = 64 * 1024;

}  // namespace

TInstanceServer::TInstanceServer(QObject* parent) : QObject(parent), Server_(new QLocalServer(this)) {
  connect(Server_, &QLocalServer::newConnection, this, &TInstanceServer::Accept);
}

TInstanceServer::~TInstanceServer() {
  // The socket file goes with the listening instance.
  Server_->close();
}

bool TInstanceServer::Listen(const QString& socketPath) {
  QLocalServer::removeServer(socketPath);
  // Only this user may hand videos to this user's Kelta.
  Server_->setSocketOptions(QLocalServer::UserAccessOption);
  return Server_->listen(socketPath);
}

void TInstanceServer::Accept() {
  while (QLocalSocket* socket = Server_->nextPendingConnection()) {
    socket->setParent(this);
    // The request is whatever arrives until the sender hangs up: a path
    // needs no end mark, and a line break in a file name cannot split it.
    auto request = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, socket, [socket, request] {
      request->append(socket->readAll());
      if (request->size() > MaxRequestBytes) socket->abort();
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket, request] {
      request->append(socket->readAll());
      socket->deleteLater();
      if (request->size() > MaxRequestBytes) return;
      if (OnRequest) OnRequest(QString::fromUtf8(*request));
    });
  }
}

bool SendToRunningInstance(const QString& socketPath, const QString& video, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(socketPath);
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(video.toUtf8());
  if (socket.bytesToWrite() > 0 && !socket.waitForBytesWritten(timeoutMs)) return false;
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
  return true;
}

}  // namespace kelta
