#pragma once
// Which aspect choice the save dialog starts with for a video's frame: the
// one that keeps every line of the frame in the shape the video is shown at,
// until the user picks another one, which is then remembered between runs in
// a small file beside the library.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "imaging/DisplayAspect.h"
#include "library/ImageSaveOptions.h"

namespace kelta {

// 4:3 and 16:9 for the two shapes video is made in, as captured when the
// frame's pixels are square already, square pixels for any other known
// shape; 16:9 when the shape is unknown. Shapes within 1 % count as equal
// (MPEG-1 pixel shapes make 4:3 pictures of 1.335:1).
TAspectRatio MatchingAspectChoice(std::int32_t width, std::int32_t height, TDisplayAspect aspect);

// What the user prefers, independent of one frame. ShownShapeAtWidth is the
// 4:3 or 16:9 choice picked for a video of that shape: the next video gets
// the one that matches its own shape rather than the same ratio.
enum class TAspectPreference : std::uint8_t {
  SquarePixels,  // every line kept, the width made what the shape asks for
  AsCaptured,
  ShownShapeAtWidth,
  Ratio4x3,
  Ratio16x9,
  Ratio185,
  // Square pixels in the ITU shape (see ItuFrameAspect); the frame's other
  // views (View Frame, the frame export, Crop and Resize) take it too.
  SquarePixelsItu,
};

// The choice a preference makes for a frame of width x height shown at `aspect`.
TAspectRatio PreferredAspectChoice(TAspectPreference preference, std::int32_t width, std::int32_t height,
                                   TDisplayAspect aspect);
// The preference a choice made for such a frame expresses.
TAspectPreference PreferenceOfChoice(TAspectRatio choice, std::int32_t width, std::int32_t height,
                                     TDisplayAspect aspect);

// The preference as the file keeps it ("square-pixels", "as-captured",
// "shown-shape", "4:3", "16:9", "1.85:1", "square-pixels-itu"), and back;
// nothing for any other text. The words never change meaning: files written
// before the ITU shape existed read as they always did.
const char* AspectPreferenceName(TAspectPreference preference);
std::optional<TAspectPreference> AspectPreferenceNamed(std::string_view name);

// The display aspect at which the frame's views show a frame of width x
// height shown at `aspect` under the preference: the ITU frame aspect for
// SquarePixelsItu, else the stream's own.
TDisplayAspect ViewedFrameAspect(TAspectPreference preference, std::int32_t width, std::int32_t height,
                                 TDisplayAspect aspect);

// The preference kept in `file`; SquarePixels when the file is missing,
// unreadable or says something else.
TAspectPreference LoadAspectPreference(const std::filesystem::path& file);
// Keeps the preference in `file`, replacing it whole; throws
// std::system_error when it cannot be written.
void SaveAspectPreference(const std::filesystem::path& file, TAspectPreference preference);

}  // namespace kelta
