#pragma once
// Positions in a video as people read them: a clock time with milliseconds
// and a SMPTE timecode with frames, drop-frame for the NTSC rates.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelta {

// "HH:MM:SS.mmm"; hours go past 99 when they must. Negative times read as 0.
std::string ClockText(std::int64_t milliseconds);
// The milliseconds of ClockText's form; nothing for any other text.
std::optional<std::int64_t> ParseClockText(std::string_view text);

// 29.97 and 59.94 frames a second (30000/1001, 60000/1001): their timecodes
// drop frame numbers to keep up with the clock.
bool IsDropFrameRate(double framesPerSecond);
// "HH:MM:SS:FF" of the frame (from 0) at the rate's nominal whole number of
// frames a second, "HH:MM:SS;FF" in drop-frame; empty for a frame or rate
// that is not positive.
std::string SmpteTimecode(std::int64_t frame, double framesPerSecond);

// "25", "29.97", "23.976": up to three decimals, trailing zeros dropped.
std::string RateText(double framesPerSecond);

}  // namespace kelta
