#pragma once
// Fetches the update information file over HTTP and reports, as the data
// arrives, whether a newer version exists. `Check` blocks its caller but
// keeps the application's events flowing, so a dialog stays live and can
// `Abort` while the request runs.

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <cstdint>
#include <functional>

#include "update/UpdateAnswer.h"
#include "update/UpdateFailure.h"
#include "update/UpdateInfo.h"

class QNetworkReply;

namespace kelta {

class TCheckUpdateManager : public QObject {
  Q_OBJECT

 public:
  // How a check ends, as OnFinished reports it.
  enum class TFinish : std::uint8_t { Over = 0, HttpError = 1, OtherError = 2 };

  explicit TCheckUpdateManager(int currentVersion, QObject* parent = nullptr);
  ~TCheckUpdateManager() override;

  QUrl UpdateURL;
  // A check that has not ended this long after it started is given up.
  std::chrono::milliseconds Deadline = UpdateCheckDeadline;
  // Raised on the user-interface thread while `Check` runs.
  std::function<void(TUpdateStatus)> OnStatus;
  // HttpError or OtherError when the request failed, then Over in every
  // case. Failure() tells why by the time an error is raised.
  std::function<void(TFinish)> OnFinished;

  int CurrentVersion() const { return CurrentVersion_; }
  // The last valid record examined.
  const TUpdateInfo& UpdateInfo() const { return UpdateInfo_; }
  bool Checking() const { return Request_ != nullptr; }
  // Why the last check failed; Kind None when it did not.
  const TUpdateFailure& Failure() const { return Failure_; }
  // How many body bytes the last (or running) check took from the network;
  // never more than one past MaxUpdateAnswerBytes.
  qint64 BytesRead() const { return BytesRead_; }

  // Runs one GET of UpdateURL into a fresh buffer and returns when it has
  // ended (finished, failed, aborted or past its deadline). Reading stops at
  // the first complete valid record; request errors never escape. A request
  // still running from an earlier call is aborted first.
  void Check();
  // Ends the running request at once; its OnFinished reports come before
  // Abort returns. Does nothing when no request runs.
  void Abort();

 private:
  struct TRequest;

  void Connect(TRequest& request);
  void ReadHeaders(TRequest& request);
  void ReceiveData(TRequest& request);
  void Complete(TRequest& request);
  void End(TRequest& request, TUpdateFailure failure);
  void Status(TUpdateStatus status);
  void Finished(TFinish code);

  QNetworkAccessManager Client_;
  int CurrentVersion_;
  TUpdateInfo UpdateInfo_;
  TUpdateFailure Failure_;
  qint64 BytesRead_ = 0;
  TRequest* Request_ = nullptr;  // the running request, owned by its Check call
};

}  // namespace kelta
