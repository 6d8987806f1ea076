#pragma once
// Playback paused for the length of a scope: constructed, it pauses a player
// that is playing; destroyed, it plays again if it was playing, also when the
// scope ends with an error. Works over anything with Playing, Pause and Play
// (the frame bar, the library's host).

#include <cstdint>

namespace kelta {

// Whether playback ran until a caller paused it for an open: an open that
// does not complete lets it run again.
enum class TPlaybackBefore : std::uint8_t { Paused, Playing };

template <class TPlayer>
class TPlaybackPause {
 public:
  explicit TPlaybackPause(TPlayer& player) : Player_(&player), WasPlaying_(player.Playing()) {
    if (WasPlaying_) player.Pause();
  }
  ~TPlaybackPause() { Resume(); }
  TPlaybackPause(const TPlaybackPause&) = delete;
  TPlaybackPause& operator=(const TPlaybackPause&) = delete;

  bool WasPlaying() const { return WasPlaying_; }
  TPlaybackBefore Before() const { return WasPlaying_ ? TPlaybackBefore::Playing : TPlaybackBefore::Paused; }
  // Plays again now if it was playing; the end of the scope then does nothing.
  void Resume() {
    if (Player_ != nullptr && WasPlaying_) Player_->Play();
    Player_ = nullptr;
  }
  // Leaves playback paused at the end of the scope (another video was opened).
  void StayPaused() { Player_ = nullptr; }

 private:
  TPlayer* Player_;
  bool WasPlaying_;
};

}  // namespace kelta
