#pragma once
// A library command's pause: playback is paused while its dialog or window is
// up, so the current frame holds still; when the command ends, in any way, the
// main window is repainted (a dialog closed over it) and playback resumes if
// it was running.

#include "library/ui/LibraryHost.h"
#include "video/PlaybackPause.h"

namespace kelta {

class TCommandPause {
 public:
  explicit TCommandPause(TLibraryHost& host) : Host_(host), Pause_(host) {}
  // The repaint comes first; the member's end then resumes playback.
  ~TCommandPause() { Host_.Repaint(); }
  TCommandPause(const TCommandPause&) = delete;
  TCommandPause& operator=(const TCommandPause&) = delete;

  // Playback stays paused after the command (viewing or printing a picture
  // that is not there).
  void StayPaused() { Pause_.StayPaused(); }

 private:
  TLibraryHost& Host_;
  TPlaybackPause<TLibraryHost> Pause_;
};

}  // namespace kelta
