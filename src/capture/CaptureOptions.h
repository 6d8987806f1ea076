#pragma once
// What `kelta capture` was asked to do: the source, which frames, how each
// still is made and where it goes. Read from the arguments after "capture";
// anything wrong is refused with one line that says what.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "library/ImageSaveOptions.h"
#include "video/StillMode.h"

namespace kelta {

// A bad argument, in one line for the person who typed it.
class ECaptureUsage : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// A place in the video as typed: a frame ("18517f", counted from 1 as the
// window's status line counts them) or a time ("00:12:34.567", "12:34",
// "754.5s", "754.5"); or, for --every, a number of frames or seconds.
struct TVideoPlace {
  bool IsFrame = false;
  std::int64_t Frame = 0;
  double Seconds = 0;
  std::string Typed;
  // The frame's index in display order (from 0) at `rate` frames a second:
  // times round to the nearest frame.
  std::int64_t FrameAt(double rate) const;
  // As a length: so many frames, or seconds made frames.
  std::int64_t FramesAt(double rate) const;
};
// Throws ECaptureUsage for anything else.
TVideoPlace ParseVideoPlace(std::string_view text);

// The shape of the stored still, as the save dialog's choices; Stream is the
// choice that keeps the shape the video is shown at.
enum class TCaptureAspect : std::uint8_t { Stream, Original, Ratio4x3, Ratio16x9, Ratio185, Square, SquareItu };

enum class TCaptureFormat : std::uint8_t { Png, Jpeg, Bmp, Pdf };
const char* CaptureFormatExtension(TCaptureFormat format);

struct TCaptureOptions {
  std::string Source;
  // The DVD title, from 1; none: the longest.
  std::optional<std::int32_t> Title;
  bool ListTitles = false;
  bool Help = false;

  // Which frames; any together, each frame taken once.
  std::optional<TVideoPlace> Every;
  std::vector<TVideoPlace> At;
  bool Chapters = false;
  bool Scenes = false;
  std::optional<std::int32_t> Count;

  TStillMode Still = TStillMode::Clean;
  TCaptureAspect Aspect = TCaptureAspect::Stream;
  // Cut off black bars found over the frame and frames near it.
  bool CropBars = false;
  // As the save dialog's ranges; the defaults leave the picture as it is.
  std::int32_t Lightness = 0;
  std::int32_t Contrast = 0;
  std::int32_t Saturation = 255;
  std::int32_t Red = 0;
  std::int32_t Green = 0;
  std::int32_t Blue = 0;
  TCaptureFormat Format = TCaptureFormat::Png;

  std::string ToFolder;
  std::string ManifestFile;
  bool Json = false;
  // How the stills' files are named; empty: the template kept beside the
  // library, which Tools > File Names changes.
  std::string NameTemplate;
  // A contact sheet of the stills (PNG or PDF) in so many columns.
  std::string SheetFile;
  std::int32_t Columns = 4;

  bool TakesFrames() const { return Every || !At.empty() || Chapters || Scenes || Count; }
};

// Reads the arguments after "capture". Throws ECaptureUsage.
TCaptureOptions ParseCaptureOptions(const std::vector<std::string>& arguments);

// The usage, one option a line.
std::string CaptureUsageText();

}  // namespace kelta
