#pragma once
// Where a still was captured: the video file, or the DVD with its title and
// chapter, the frame and its time, and how the frame looked. The library file
// keeps it as extra attributes of the image element, after the four every
// reader knows; readers that do not know them keep them and skip them.

#include <cstdint>
#include <optional>
#include <string>

#include "imaging/DisplayAspect.h"
#include "library/XmlDocument.h"

namespace kelta {

struct TCaptureSource {
  // A file capture: the video's full path, as the file system spells it.
  std::string Video;
  // A DVD capture: the disc's volume name, the folder or disc image chosen to
  // open it, its title (from 1) and chapter (from 1; 0 when the title has no
  // chapters).
  std::string DvdVolume;
  std::string DvdLocation;
  std::int32_t Title = 0;
  std::int32_t Chapter = 0;
  // The frame in display order from 0; -1 when the decoder did not number it.
  std::int64_t Frame = -1;
  // The frame as the status line counts it, from 1: what words and file
  // names say ("frame 13" for index 12).
  std::int64_t FrameOrdinal() const { return Frame + 1; }
  // The frame bar's position in bytes, where it had no frame number; -1 unknown.
  std::int64_t Position = -1;
  // Its time from the start of the video or title; -1 unknown.
  std::int64_t TimeMs = -1;
  double FrameRate = 0;  // 0 unknown
  TDisplayAspect Aspect;
  std::string Captured;  // ISO 8601, UTC: "2026-12-11T10:16:00Z"
  std::string Still;     // what the still pipeline did: "film frame rebuilt"

  bool IsDvd() const { return !DvdLocation.empty(); }
  // Nothing says where it came from: an image saved before sources were kept.
  bool Empty() const { return Video.empty() && !IsDvd(); }
  // "00:12:34:14" (";14" in drop-frame) from the frame and the rate; empty
  // when either is unknown.
  std::string Timecode() const;

  friend bool operator==(const TCaptureSource&, const TCaptureSource&) = default;
};

// The names of the attributes, all starting with "source-" except "captured".
inline constexpr const char* CaptureSourceAttributes[] = {
    "source-video", "source-volume", "source-dvd",      "source-title",    "source-chapter",
    "source-frame", "source-position", "source-time",  "source-timecode", "source-rate",
    "source-aspect", "captured",     "source-still"};

// Appends the known facts to the image element, replacing attributes of
// the same names; an empty source writes nothing.
void WriteCaptureSource(TXmlNode& image, const TCaptureSource& source);
// The facts the element holds; values that do not read as their kind are left
// unknown (the file is untrusted). Nothing when it names no video or disc.
std::optional<TCaptureSource> ReadCaptureSource(const TXmlNode& image);

// "2026-12-11T10:16:00Z" for now.
std::string CaptureDateNow();

// The source in a line: "/films/trip.mpg" or "MY_DISC, title 2, chapter 3".
std::string SourceName(const TCaptureSource& source);
// "00:12:34.567 (SMPTE 00:12:34:14), frame 18517": as much as is known; the
// frame counted from 1, as the status line counts it.
std::string SourcePlace(const TCaptureSource& source);

}  // namespace kelta
