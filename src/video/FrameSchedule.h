#pragma once
// When each frame of playback is due. Frames are one period apart, kept in
// microseconds so that no rounding drifts (1000 / 29.97 rounded to whole
// milliseconds is 1 % off); the period comes from the rate the decoder
// reports, which already gives soft-telecined film its true 23.976. When
// showing falls behind, the schedule restarts from the present instead of
// rushing to catch up.

#include <cstdint>

namespace kelta {

// Microseconds per frame at a frame rate, limited to 0 ... 1 s; 0 (no pacing)
// for a rate that is not a positive finite number.
std::int64_t FramePeriodMicros(double frameRate);

class TFrameSchedule {
 public:
  void SetPeriod(std::int64_t periodMicros) { Period_ = periodMicros; }
  std::int64_t Period() const { return Period_; }
  // The next frame is due at once (playback starts).
  void Restart() { Due_ = 0; }
  // When the next frame is due on the clock the caller keeps; 0 means now.
  std::int64_t Due() const { return Due_; }
  // A frame was shown at `now`; the next is due one period after this one
  // was, or at `now` when that moment has already passed.
  void FrameShown(std::int64_t now);

 private:
  std::int64_t Period_ = 0;
  std::int64_t Due_ = 0;
};

}  // namespace kelta
