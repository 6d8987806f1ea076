#pragma once
// The rate at which frames reach the screen, from the moments they are
// shown: frames over the time between the first and the last of a window of
// at least a second. Nothing is known before the first full second of a run,
// so a start's burst or a previous run never shows as the rate.

#include <cstdint>

namespace kelta {

class TRateMeter {
 public:
  // A new run: nothing measured.
  void Restart();
  // A frame was shown at `micros` (a steady microsecond clock). True when
  // that closes a window and Rate() has a new value.
  bool FrameShown(std::int64_t micros);
  // Frames a second over the last full window; -1 before the first.
  double Rate() const { return Rate_; }

 private:
  std::int64_t WindowStart_ = -1;
  std::int64_t Intervals_ = 0;
  double Rate_ = -1.0;
};

}  // namespace kelta
