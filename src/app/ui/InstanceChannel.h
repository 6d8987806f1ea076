#pragma once
// The hand-over between a second start and the running Kelta. The lock file
// decides which process runs (InstanceLock.h); the one that holds it listens
// on a local socket beside the lock, and a later start sends it the video it
// was given (or nothing, which only asks it to come to the front), then ends.

#include <functional>

#include <QObject>
#include <QString>

class QLocalServer;

namespace kelta {

class TInstanceServer : public QObject {
  Q_OBJECT
 public:
  explicit TInstanceServer(QObject* parent = nullptr);
  ~TInstanceServer() override;

  // Only the holder of the instance lock listens, so a socket file left by
  // an instance that died is stale and replaced. False when it cannot listen.
  bool Listen(const QString& socketPath);

  // A later start's request: the video to open, or empty to come to the front.
  std::function<void(const QString& video)> OnRequest;

 private:
  void Accept();
  QLocalServer* Server_ = nullptr;
};

// Sends the request to the instance listening at `socketPath`; false when
// none took it within `timeoutMs`. Needs a Qt application object.
bool SendToRunningInstance(const QString& socketPath, const QString& video, int timeoutMs);

}  // namespace kelta
