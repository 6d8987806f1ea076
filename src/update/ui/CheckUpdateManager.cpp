#include "update/ui/CheckUpdateManager.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <span>

#include "update/UpdateTexts.h"

namespace kelta {

namespace {

constexpr qint64 RecordSize = qint64(sizeof(TUpdateInfo));
constexpr qint64 MaxAnswer = qint64(MaxUpdateAnswerBytes);

// The status of the answer, 0 while none has arrived (or for non-HTTP
// failures).
int HttpStatusOf(const QNetworkReply* reply) {
  return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

bool IsSuccess(int status) { return status >= 200 && status <= 299; }

TUpdateFailure FailureOf(const QNetworkReply* reply) {
  const int status = HttpStatusOf(reply);
  if (status != 0 && !IsSuccess(status)) return {TUpdateFailureKind::HttpStatus, status};
  switch (reply->error()) {
    case QNetworkReply::NoError:
      return {};
    case QNetworkReply::ConnectionRefusedError:
      return {TUpdateFailureKind::Refused};
    case QNetworkReply::HostNotFoundError:
      return {TUpdateFailureKind::HostNotFound};
    case QNetworkReply::RemoteHostClosedError:
      return {TUpdateFailureKind::ConnectionClosed};
    default:
      return {TUpdateFailureKind::NetworkError, 0, {}, reply->errorString().toStdString()};
  }
}

}  // namespace

// One GET, living on the stack of the Check call that runs it.
struct TCheckUpdateManager::TRequest {
  QNetworkReply* Reply = nullptr;
  QEventLoop Loop;
  QTimer Deadline;
  QByteArray Received;     // at most one record's worth; the rest is read and dropped
  qint64 BytesRead = 0;    // of the body, kept or not
  bool Connected = false;  // the server has been reached
  bool Done = false;       // finished and reported
};

TCheckUpdateManager::TCheckUpdateManager(int currentVersion, QObject* parent)
    : QObject(parent), CurrentVersion_(currentVersion) {}

TCheckUpdateManager::~TCheckUpdateManager() {
  // Destroyed under a running Check (its owner went away inside an event):
  // end the request quietly and let Check's loop return; Check notices that
  // the manager is gone and touches nothing more.
  if (TRequest* request = Request_) {
    Request_ = nullptr;
    request->Done = true;
    request->Deadline.stop();
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
  Request_ = &request;
  Failure_ = {};
  BytesRead_ = 0;

  QNetworkRequest get(UpdateURL);
  // A connection of its own per check, closed by the server at the end.
  get.setRawHeader("Connection", "close");
  get.setHeader(QNetworkRequest::UserAgentHeader,
                QStringLiteral("Kelta/%1").arg(QString::fromStdString(FormatVersion(CurrentVersion_))));
  get.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);

  request.Reply = Client_.get(get);
  QNetworkReply* reply = request.Reply;
  // Qt stops taking bytes from the connection while this much waits unread,
  // so a server sending without end cannot fill memory between two turns of
  // the event loop.
  reply->setReadBufferSize(MaxAnswer);
  connect(reply, &QNetworkReply::requestSent, this, [this, &request] { Connect(request); });
  connect(reply, &QNetworkReply::metaDataChanged, this, [this, &request] { ReadHeaders(request); });
  connect(reply, &QNetworkReply::readyRead, this, [this, &request] { ReceiveData(request); });
  connect(reply, &QNetworkReply::finished, this, [this, &request] { Complete(request); });

  const std::chrono::milliseconds deadline = Deadline;
  request.Deadline.setSingleShot(true);
  connect(&request.Deadline, &QTimer::timeout, this, [this, &request, deadline] {
    End(request, {TUpdateFailureKind::Timeout, 0, deadline});
  });
  request.Deadline.start(deadline);

  if (!request.Done) request.Loop.exec();
  if (!alive) return;
  // The loop also ends when the application quits; the request never
  // outlives its Check.
  if (!request.Done) End(request, {TUpdateFailureKind::Aborted});
}

void TCheckUpdateManager::Abort() {
  if (Request_) End(*Request_, {TUpdateFailureKind::Aborted});
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

void TCheckUpdateManager::ReadHeaders(TRequest& request) {
  Connect(request);
  if (request.Done) return;
  // Redirects are followed before an answer gets here, so an error status
  // is final, and its body is a server's page, not a record: none of it is
  // read.
  const int status = HttpStatusOf(request.Reply);
  if (status >= 400) {
    End(request, {TUpdateFailureKind::HttpStatus, status});
    return;
  }
  // A login page of a hotel or captive-portal network comes with status 200;
  // its first bytes would read as a huge version number.
  const QByteArray type = request.Reply->rawHeader("Content-Type");
  if (IsSuccess(status) && IsWebPageType(std::string_view(type.constData(), std::size_t(type.size()))))
    End(request, {TUpdateFailureKind::WebPage});
}

void TCheckUpdateManager::ReceiveData(TRequest& request) {
  Connect(request);
  if (request.Done) return;
  // One byte past the limit is enough to know the answer is too large.
  const qint64 take = std::min(request.Reply->bytesAvailable(), MaxAnswer + 1 - request.BytesRead);
  const QByteArray block = request.Reply->read(take);
  request.BytesRead += block.size();
  BytesRead_ = request.BytesRead;

  // The body of an error status is a server's page, not an update record:
  // judging it would turn "not found" into a version number.
  const qsizetype room = RecordSize - request.Received.size();
  if (IsSuccess(HttpStatusOf(request.Reply)) && room > 0 && !block.isEmpty()) {
    request.Received.append(block.left(room));
    const auto data = std::span(reinterpret_cast<const std::uint8_t*>(request.Received.constData()),
                                std::size_t(request.Received.size()));
    const TUpdateStatus verdict = ExamineUpdateData(data, CurrentVersion_, UpdateInfo_);
    Status(verdict);
    if (request.Done) return;
    // A complete valid record is all the check needs; the rest of the
    // answer is never read.
    if (request.Received.size() == RecordSize && verdict != TUpdateStatus::usInvalidInfo) {
      End(request, {});
      return;
    }
  }
  if (request.BytesRead > MaxAnswer) End(request, {TUpdateFailureKind::TooLarge});
}

void TCheckUpdateManager::Complete(TRequest& request) {
  if (request.Done) return;
  End(request, FailureOf(request.Reply));
}

void TCheckUpdateManager::End(TRequest& request, TUpdateFailure failure) {
  if (request.Done) return;
  request.Done = true;
  request.Deadline.stop();

  QNetworkReply* reply = request.Reply;
  reply->disconnect(this);
  // Qt reports an error status as an error of its own, even after an abort;
  // such a reply is ended by its deletion alone, which reports nothing.
  if (!reply->isFinished() && failure.Kind != TUpdateFailureKind::HttpStatus) reply->abort();
  reply->deleteLater();
  request.Reply = nullptr;
  request.Received.clear();
  request.Received.squeeze();
  if (Request_ == &request) Request_ = nullptr;
  Failure_ = std::move(failure);
  request.Loop.quit();

  // The handlers may close and destroy the owner, and this manager with it.
  QPointer<TCheckUpdateManager> alive(this);
  if (request.Connected) Status(TUpdateStatus::usDisconnected);
  if (alive && Failure_.Kind != TUpdateFailureKind::None)
    Finished(Failure_.Kind == TUpdateFailureKind::HttpStatus ? TFinish::HttpError : TFinish::OtherError);
  if (alive) Finished(TFinish::Over);
}

void TCheckUpdateManager::Status(TUpdateStatus status) {
  if (OnStatus) OnStatus(status);
}

void TCheckUpdateManager::Finished(TFinish code) {
  if (OnFinished) OnFinished(code);
}

}  // namespace kelta
