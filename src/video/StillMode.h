#pragma once
// How the frame on screen is made into a still when playback is paused, and
// what was done to it. The choice is the user's and is remembered between
// runs in a file of its own beside the library file.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kelta {

enum class TStillMode : std::uint8_t {
  Clean,  // the decoder plugin's clean still: film frames rebuilt, moving video deinterlaced
  Weave,  // the decoded frame as it is
  Blend   // the classic line blend
};

// What was done to the frame on screen.
enum class TStillKind : std::uint8_t {
  Progressive,   // a progressive frame, shown as decoded
  Woven,         // interlaced, but nothing moves: both fields as decoded
  FilmRebuilt,   // the film frame put together from fields of neighbouring frames
  Deinterlaced,  // moving interlaced video: the missing lines interpolated
  Unprocessed,   // the Weave choice: the frame as decoded, whatever it is
  LineBlend      // the classic line blend
};

// "Clean still (automatic)", "Weave (no processing)", "Line blend (classic)".
const char* StillModeCaption(TStillMode mode);
// "progressive", "film frame rebuilt", "deinterlaced", ...: what the status
// line and the save dialog say of the frame.
const char* StillKindText(TStillKind kind);

// The choice as the file keeps it ("clean", "weave", "blend"), and back;
// nothing for any other text.
const char* StillModeName(TStillMode mode);
std::optional<TStillMode> StillModeNamed(std::string_view name);

// The choice kept in `file`; Clean when the file is missing or says
// something else.
TStillMode LoadStillMode(const std::filesystem::path& file);
// Keeps the choice in `file`, replacing it whole; throws std::runtime_error
// when it cannot be written.
void SaveStillMode(const std::filesystem::path& file, TStillMode mode);

}  // namespace kelta
