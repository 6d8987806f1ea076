#include "common/ui/LatestValueThrottle.h"

#include <utility>

namespace kelta {

TLatestValueThrottle::TLatestValueThrottle(QObject* parent, int pauseMs, std::function<void(int)> act)
    : QObject(parent), Act_(std::move(act)) {
  Pause_.setSingleShot(true);
  Pause_.setInterval(pauseMs);
  connect(&Pause_, &QTimer::timeout, this, [this] { PauseOver(); });
}

void TLatestValueThrottle::Request(int value) {
  if (Pause_.isActive()) {
    Pending_ = value;
    HasPending_ = true;
    return;
  }
  Act(value);
}

void TLatestValueThrottle::Cancel() {
  HasPending_ = false;
  Pause_.stop();
}

void TLatestValueThrottle::Act(int value) {
  HasPending_ = false;
  if (Act_) Act_(value);
  Pause_.start();
}

void TLatestValueThrottle::PauseOver() {
  if (HasPending_) Act(Pending_);
}

}  // namespace kelta
