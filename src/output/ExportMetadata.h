#pragma once
// What an exported picture file says about itself: its name and memo and,
// for a capture, where it came from (video or disc, title, chapter, time,
// SMPTE timecode, frame number). PNG files carry it as XMP, JPEG files as
// EXIF and XMP, PDF files in their document information and as XMP; BMP and
// GIF carry none. The EXIF and XMP are written by libexiv2.

#include <optional>
#include <string>
#include <string_view>

#include "library/CaptureSource.h"

namespace kelta {

// The XMP namespace of the capture facts, prefix "kelta".
inline constexpr const char* CaptureXmpNamespace = "urn:kelta:capture:1.0/";

struct TExportMetadata {
  std::string Title;        // the picture's name (UTF-8)
  std::string Description;  // its memo
  std::optional<TCaptureSource> Source;
  // The film the picture belongs to, for its file name (not written into the file).
  std::string Film;
  bool Empty() const { return Title.empty() && Description.empty() && !Source; }
};

// "MY_DISC, title 2, chapter 3 - 00:12:34.567 (SMPTE 00:12:34:14), frame
// 18517": the source in one line; empty without a source.
std::string SourceSummary(const TExportMetadata& metadata);

// The bytes of a PNG or JPEG file (the format read from the bytes) with the
// metadata added. Empty metadata gives the bytes back as they are. Throws
// std::runtime_error when libexiv2 cannot read or write the file.
std::string WithImageMetadata(std::string_view file, const TExportMetadata& metadata);

// The <meta> elements of an HTML page of the picture: its character set,
// the source summary as its description, and the timecode and the frame.
// Empty without a source, so a page without one stays as it was.
std::string HtmlMetaTags(const TExportMetadata& metadata);

// A complete XMP packet of the metadata (for a PDF's metadata stream).
std::string XmpPacket(const TExportMetadata& metadata);

}  // namespace kelta
