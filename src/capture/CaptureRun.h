#pragma once
// Takes the stills `kelta capture` was asked for: opens the video or the DVD
// title, finds the frames, makes each one the still the choices ask for and
// writes it. Frames are exact, in display order, each taken once; the same
// input gives the same files byte for byte (nothing in them says when).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "capture/CaptureOptions.h"
#include "capture/ContactSheet.h"
#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"

namespace kelta {

// The source cannot be opened or has nothing asked of it, in words for the
// person who named it.
class ECaptureSource : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TCapturedStill {
  std::int64_t Frame = 0;    // in display order from 0 (what people read counts from 1)
  std::string Asked;         // what asked for it: "10s", "00:12:34.567", "chapter 3", "count"
  std::int64_t TimeMs = 0;   // the frame's time from the start
  std::string Timecode;      // SMPTE, drop-frame at 29.97
  std::int32_t Chapter = 0;  // from 1; 0 without chapters
  std::string Still;         // what was done to the frame: "deinterlaced"
  std::string File;          // the file written, bare name
  TRect Kept;                // the part of the frame kept inside black bars; empty: the whole frame
  std::string Error;         // why it was not written; empty when it was
  // How far the picture differs from the one before, where cuts were
  // looked for and this is one.
  std::optional<double> SceneScore;
};

struct TCaptureReport {
  std::string Source;      // as given
  std::string Name;        // what the source is called: its path, or "MY_DISC – Title 2"
  std::string VolumeName;  // a DVD's
  std::int32_t Title = 0;  // a DVD's title; 0 for a file
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  double FrameRate = 0;
  std::int64_t FrameCount = 0;
  TDisplayAspect Aspect;
  std::vector<TCapturedStill> Stills;
  // The stills written, at the sheet's size, where a sheet was asked for.
  TContactSheet Sheet;

  bool AllWritten() const;
};

// Hears how far the capture is: `done` of `total` steps (the pictures looked
// at for cuts, then the stills), and what it is at: "looking for cuts, frame
// 9000 of 30000" or "still 3 of 20".
using TCaptureProgress = std::function<void(std::size_t done, std::size_t total, const std::string& at)>;

// The decoder plugin and the DVD reader lie in `programFolder`. Throws
// ECaptureSource when the source cannot be opened or no frame is asked of it.
TCaptureReport RunCapture(const TCaptureOptions& options, const std::filesystem::path& programFolder,
                          const TCaptureProgress& progress = {});

// The DVD's titles as a table, one a line. Throws ECaptureSource for what is
// no DVD.
std::string DvdTitleTable(const std::string& source, const std::filesystem::path& programFolder);


}  // namespace kelta
