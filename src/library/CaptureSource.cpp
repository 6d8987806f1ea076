#include "library/CaptureSource.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "library/Timecode.h"

namespace kelta {

namespace {

template <typename T>
std::optional<T> Number(const std::string& text) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || text.empty()) return std::nullopt;
  return value;
}

std::optional<double> Rate(const std::string& text) {
  // strtod follows the locale; the file's decimal point is always '.'.
  std::int64_t whole = 0;
  std::size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && i < 6; ++i) whole = whole * 10 + (text[i] - '0');
  if (i == 0) return std::nullopt;
  double value = double(whole);
  if (i < text.size()) {
    if (text[i] != '.' || i + 1 == text.size()) return std::nullopt;
    double scale = 0.1;
    for (++i; i < text.size(); ++i, scale /= 10) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      value += (text[i] - '0') * scale;
    }
  }
  if (!(value > 0) || value > 1000) return std::nullopt;
  return value;
}

TDisplayAspect Aspect(const std::string& text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) return {};
  const auto w = Number<std::int32_t>(text.substr(0, colon));
  const auto h = Number<std::int32_t>(text.substr(colon + 1));
  return w && h ? TDisplayAspect::Checked(*w, *h) : TDisplayAspect{};
}

}  // namespace

std::string TCaptureSource::Timecode() const { return SmpteTimecode(Frame, FrameRate); }

void WriteCaptureSource(TXmlNode& image, const TCaptureSource& source) {
  if (source.Empty()) return;
  const auto set = [&image](const char* name, const std::string& value) {
    if (!value.empty()) image.SetAttribute(name, value);
  };
  const auto setNumber = [&set](const char* name, std::int64_t value, std::int64_t unknown) {
    if (value != unknown) set(name, std::to_string(value));
  };
  if (source.IsDvd()) {
    set("source-volume", source.DvdVolume);
    set("source-dvd", source.DvdLocation);
    setNumber("source-title", source.Title, 0);
    setNumber("source-chapter", source.Chapter, 0);
  } else {
    set("source-video", source.Video);
  }
  setNumber("source-frame", source.Frame, -1);
  setNumber("source-position", source.Position, -1);
  if (source.TimeMs >= 0) set("source-time", ClockText(source.TimeMs));
  set("source-timecode", source.Timecode());
  set("source-rate", RateText(source.FrameRate));
  if (source.Aspect.Known())
    set("source-aspect", std::to_string(source.Aspect.Width) + ':' + std::to_string(source.Aspect.Height));
  set("captured", source.Captured);
  set("source-still", source.Still);
}

std::optional<TCaptureSource> ReadCaptureSource(const TXmlNode& image) {
  TCaptureSource source;
  source.Video = image.Attribute("source-video");
  source.DvdLocation = image.Attribute("source-dvd");
  if (source.Empty()) return std::nullopt;
  if (source.IsDvd()) {
    source.Video.clear();
    source.DvdVolume = image.Attribute("source-volume");
    source.Title = Number<std::int32_t>(image.Attribute("source-title")).value_or(0);
    source.Chapter = Number<std::int32_t>(image.Attribute("source-chapter")).value_or(0);
    if (source.Title < 0) source.Title = 0;
    if (source.Chapter < 0) source.Chapter = 0;
  }
  source.Frame = Number<std::int64_t>(image.Attribute("source-frame")).value_or(-1);
  source.Position = Number<std::int64_t>(image.Attribute("source-position")).value_or(-1);
  if (source.Frame < 0) source.Frame = -1;
  if (source.Position < 0) source.Position = -1;
  source.TimeMs = ParseClockText(image.Attribute("source-time")).value_or(-1);
  source.FrameRate = Rate(image.Attribute("source-rate")).value_or(0.0);
  source.Aspect = Aspect(image.Attribute("source-aspect"));
  source.Captured = image.Attribute("captured");
  source.Still = image.Attribute("source-still");
  return source;
}

std::string CaptureDateNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string SourceName(const TCaptureSource& source) {
  if (!source.IsDvd()) return source.Video;
  std::string name = source.DvdVolume.empty() ? source.DvdLocation : source.DvdVolume;
  if (source.Title > 0) name += ", title " + std::to_string(source.Title);
  if (source.Chapter > 0) name += ", chapter " + std::to_string(source.Chapter);
  return name;
}

std::string SourcePlace(const TCaptureSource& source) {
  std::string place;
  if (source.TimeMs >= 0) place = ClockText(source.TimeMs);
  if (const std::string timecode = source.Timecode(); !timecode.empty())
    place += place.empty() ? "SMPTE " + timecode : " (SMPTE " + timecode + ")";
  if (source.Frame >= 0) place += (place.empty() ? "frame " : ", frame ") + std::to_string(source.FrameOrdinal());
  return place;
}

}  // namespace kelta
