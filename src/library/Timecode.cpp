#include "library/Timecode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kelta {

namespace {

std::string TwoDigits(std::int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%02lld", static_cast<long long>(value));
  return text;
}

// The digits of text[from, from + count); -1 when one is no digit.
std::int64_t Digits(std::string_view text, std::size_t from, std::size_t count) {
  std::int64_t value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

std::string ClockText(std::int64_t milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  const std::int64_t seconds = milliseconds / 1000;
  char millis[8];
  std::snprintf(millis, sizeof millis, "%03lld", static_cast<long long>(milliseconds % 1000));
  return TwoDigits(seconds / 3600) + ':' + TwoDigits(seconds / 60 % 60) + ':' + TwoDigits(seconds % 60) + '.' +
         millis;
}

std::optional<std::int64_t> ParseClockText(std::string_view text) {
  // HH...:MM:SS.mmm, at least two hour digits and at most nine.
  if (text.size() < 12 || text.size() > 19) return std::nullopt;
  const std::size_t hours = text.size() - 10;
  if (text[hours] != ':' || text[hours + 3] != ':' || text[hours + 6] != '.') return std::nullopt;
  const std::int64_t h = Digits(text, 0, hours);
  const std::int64_t m = Digits(text, hours + 1, 2);
  const std::int64_t s = Digits(text, hours + 4, 2);
  const std::int64_t ms = Digits(text, hours + 7, 3);
  if (h < 0 || m < 0 || m > 59 || s < 0 || s > 59 || ms < 0) return std::nullopt;
  return ((h * 60 + m) * 60 + s) * 1000 + ms;
}

bool IsDropFrameRate(double framesPerSecond) {
  return std::fabs(framesPerSecond - 30000.0 / 1001.0) < 0.005 ||
         std::fabs(framesPerSecond - 60000.0 / 1001.0) < 0.005;
}

std::string SmpteTimecode(std::int64_t frame, double framesPerSecond) {
  if (frame < 0 || !(framesPerSecond > 0) || !std::isfinite(framesPerSecond)) return {};
  const std::int64_t nominal = std::max<std::int64_t>(std::llround(framesPerSecond), 1);
  const bool drop = IsDropFrameRate(framesPerSecond);
  std::int64_t number = frame;
  if (drop) {
    // Numbers 0 and 1 (0 to 3 at 59.94) of every minute are skipped, except
    // in each tenth minute.
    const std::int64_t dropped = nominal / 15;
    const std::int64_t perMinute = nominal * 60 - dropped;
    const std::int64_t perTenMinutes = perMinute * 10 + dropped;
    const std::int64_t tens = frame / perTenMinutes;
    const std::int64_t rest = frame % perTenMinutes;
    number += 9 * dropped * tens;
    if (rest > dropped) number += dropped * ((rest - dropped) / perMinute);
  }
  const std::int64_t seconds = number / nominal;
  return TwoDigits(seconds / 3600) + ':' + TwoDigits(seconds / 60 % 60) + ':' + TwoDigits(seconds % 60) +
         (drop ? ';' : ':') + TwoDigits(number % nominal);
}

std::string RateText(double framesPerSecond) {
  if (!(framesPerSecond > 0) || !std::isfinite(framesPerSecond)) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", framesPerSecond);
  std::string result = text;
  while (result.back() == '0') result.pop_back();
  if (result.back() == '.') result.pop_back();
  return result;
}

}  // namespace kelta
