#include "video/RateMeter.h"

namespace kelta {

namespace {

constexpr std::int64_t WindowMicros = 1000000;

}  // namespace

void TRateMeter::Restart() {
  WindowStart_ = -1;
  Intervals_ = 0;
  Rate_ = -1.0;
}

bool TRateMeter::FrameShown(std::int64_t micros) {
  if (WindowStart_ < 0 || micros < WindowStart_) {
    WindowStart_ = micros;
    Intervals_ = 0;
    return false;
  }
  ++Intervals_;
  const std::int64_t elapsed = micros - WindowStart_;
  if (elapsed < WindowMicros) return false;
  // Intervals between shown frames over their time: a frame shown late in
  // one window and on time in the next counts once, in the window it ends.
  Rate_ = double(Intervals_) * 1e6 / double(elapsed);
  WindowStart_ = micros;
  Intervals_ = 0;
  return true;
}

}  // namespace kelta
