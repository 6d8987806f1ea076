#include "update/ui/CheckUpdateManager.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <span>

#include "update/UpdateTexts.h"

namespace kelta {

// One GET, living on the stack of the Check call that runs it.
struct TCheckUpdateManager::TRequest {
  QNetworkReply* Reply = nullptr;
  QEventLoop Loop;
  QByteArray Received;     // at most one record's worth; the rest is never read
  bool Connected = false;  // the server has been reached
  bool Done = false;       // finished and reported
};

TCheckUpdateManager::TCheckUpdateManager(int currentVersion, QObject* parent)
    : QObject(parent), FCurrentVersion(currentVersion) {}

TCheckUpdateManager::~TCheckUpdateManager() {
  // Destroyed under a running Check (its owner went away inside an event):
  // end the request quietly and let Check's loop return; Check notices that
  // the manager is gone and touches nothing more.
  if (TRequest* request = FRequest) {
    FRequest = nullptr;
    request->Done = true;
    request->Reply->disconnect(this);
    request->Reply->abort();
    request->Reply->deleteLater();
    request->Reply = nullptr;
    request->Loop.quit();
  }
}

void TCheckUpdateManager::Check() {
  // One request at a time: an earlier one still running is ended (and
  // reported) before the new one starts, never left to finish unseen.
  Abort();

  QPointer<TCheckUpdateManager> alive(this);
  TRequest request;
  FRequest = &request;

  QNetworkRequest get(UpdateURL);
  // A connection of its own per check, closed by the server at the end.
  get.setRawHeader("Connection", "close");
  get.setHeader(QNetworkRequest::UserAgentHeader,
                QStringLiteral("Kelta/%1").arg(QString::fromStdString(FormatVersion(FCurrentVersion))));
  get.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  get.setTransferTimeout(TransferTimeoutMs);

  request.Reply = FClient.get(get);
  QNetworkReply* reply = request.Reply;
  connect(reply, &QNetworkReply::requestSent, this, [this, &request] { Connect(request); });
  connect(reply, &QNetworkReply::metaDataChanged, this, [this, &request] { Connect(request); });
  connect(reply, &QNetworkReply::readyRead, this, [this, &request] { ReceiveData(request); });
  connect(reply, &QNetworkReply::finished, this, [this, &request] { Finish(request, false); });

  if (!request.Done) request.Loop.exec();
  if (!alive) return;
  // The loop also ends when the application quits; the request never
  // outlives its Check.
  if (!request.Done) Finish(request, true);
}

void TCheckUpdateManager::Abort() {
  if (FRequest) Finish(*FRequest, true);
}

void TCheckUpdateManager::Connect(TRequest& request) {
  if (request.Connected || request.Done) return;
  // The reply says nothing before the request has gone out on an open
  // connection, so its first sign of life stands for both.
  request.Connected = true;
  Status(TUpdateStatus::usConnected);
  if (request.Done) return;
  Status(TUpdateStatus::usDownloading);
}

void TCheckUpdateManager::ReceiveData(TRequest& request) {
  Connect(request);
  if (request.Done) return;
  const QByteArray block = request.Reply->readAll();
  // The body of an error status is a server's page, not an update record:
  // judging it would turn "not found" into a version number.
  const QVariant status = request.Reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) return;

  const qsizetype room = qsizetype(sizeof(TUpdateInfo)) - request.Received.size();
  if (room > 0) request.Received.append(block.left(room));
  const auto data = std::span(reinterpret_cast<const std::uint8_t*>(request.Received.constData()),
                              std::size_t(request.Received.size()));
  Status(ExamineUpdateData(data, FCurrentVersion, FUpdateInfo));
}

void TCheckUpdateManager::Finish(TRequest& request, bool aborted) {
  if (request.Done) return;
  request.Done = true;

  QNetworkReply* reply = request.Reply;
  reply->disconnect(this);
  bool failed = true;
  std::uint8_t failure = FinishedOtherError;
  if (!aborted) {
    failed = reply->error() != QNetworkReply::NoError;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() >= 400) failure = FinishedHttpError;
  }
  if (!reply->isFinished()) reply->abort();
  reply->deleteLater();
  request.Reply = nullptr;
  request.Received.clear();
  if (FRequest == &request) FRequest = nullptr;
  request.Loop.quit();

  // The handlers may close and destroy the owner, and this manager with it.
  QPointer<TCheckUpdateManager> alive(this);
  if (request.Connected) Status(TUpdateStatus::usDisconnected);
  if (alive && failed) Finished(failure);
  if (alive) Finished(FinishedOver);
}

void TCheckUpdateManager::Status(TUpdateStatus status) {
  if (OnStatus) OnStatus(status);
}

void TCheckUpdateManager::Finished(std::uint8_t code) {
  if (OnFinished) OnFinished(code);
}

}  // namespace kelta
