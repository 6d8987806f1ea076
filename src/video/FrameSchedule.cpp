#include "video/FrameSchedule.h"

#include <cmath>

namespace kelta {

std::int64_t FramePeriodMicros(double frameRate) {
  if (!(frameRate > 0.0) || !std::isfinite(frameRate)) return 0;
  const double micros = std::nearbyint(1e6 / frameRate);
  return micros > 1e6 ? 1000000 : std::int64_t(micros);
}

void TFrameSchedule::FrameShown(std::int64_t now) {
  // The first frame sets the schedule going from the moment it was shown.
  const std::int64_t shownDue = Due_ == 0 ? now : Due_;
  Due_ = shownDue + Period_;
  if (Due_ < now) Due_ = now;
}

}  // namespace kelta
