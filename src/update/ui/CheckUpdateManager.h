#pragma once
// Fetches the update information file over HTTP and reports, as the data
// arrives, whether a newer version exists. `Check` blocks its caller but
// keeps the application's events flowing, so a dialog stays live and can
// `Abort` while the request runs.

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>

#include <cstdint>
#include <functional>

#include "update/UpdateInfo.h"

class QNetworkReply;

namespace kelta {

class TCheckUpdateManager : public QObject {
  Q_OBJECT

 public:
  // OnFinished codes.
  static constexpr std::uint8_t FinishedOver = 0;
  static constexpr std::uint8_t FinishedHttpError = 1;
  static constexpr std::uint8_t FinishedOtherError = 2;

  // A request that has stalled this long (no bytes moving) is given up.
  static constexpr int TransferTimeoutMs = 30000;

  explicit TCheckUpdateManager(int currentVersion, QObject* parent = nullptr);
  ~TCheckUpdateManager() override;

  QUrl UpdateURL;
  // Raised on the user-interface thread while `Check` runs.
  std::function<void(TUpdateStatus)> OnStatus;
  // 1 or 2 when the request failed, then 0 in every case.
  std::function<void(std::uint8_t)> OnFinished;

  int CurrentVersion() const { return FCurrentVersion; }
  // The last valid record examined.
  const TUpdateInfo& UpdateInfo() const { return FUpdateInfo; }
  bool Checking() const { return FRequest != nullptr; }

  // Runs one GET of UpdateURL into a fresh buffer and returns when it has
  // ended (finished, failed or aborted). Request errors never escape. A
  // request still running from an earlier call is aborted first.
  void Check();
  // Ends the running request at once; its OnFinished reports come before
  // Abort returns. Does nothing when no request runs.
  void Abort();

 private:
  struct TRequest;

  void Connect(TRequest& request);
  void ReceiveData(TRequest& request);
  void Finish(TRequest& request, bool aborted);
  void Status(TUpdateStatus status);
  void Finished(std::uint8_t code);

  QNetworkAccessManager FClient;
  int FCurrentVersion;
  TUpdateInfo FUpdateInfo;
  TRequest* FRequest = nullptr;  // the running request, owned by its Check call
};

}  // namespace kelta
