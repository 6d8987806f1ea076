#pragma once
// TLatestValueThrottle: acts on a stream of requested values (a slider being
// dragged) without falling behind. The first request acts at once; requests
// that come while the last act is recent wait, and only the latest of them
// acts when the pause is over. The pause counts from the end of an act, so a
// slow act still leaves the event loop its time to paint and read input.

#include <functional>

#include <QObject>
#include <QTimer>

namespace kelta {

class TLatestValueThrottle : public QObject {
 public:
  TLatestValueThrottle(QObject* parent, int pauseMs, std::function<void(int)> act);

  void Request(int value);
  // Forgets a waiting request.
  void Cancel();
  bool Waiting() const { return HasPending_; }

 private:
  void Act(int value);
  void PauseOver();

  std::function<void(int)> Act_;
  QTimer Pause_;
  bool HasPending_ = false;
  int Pending_ = 0;
};

}  // namespace kelta
