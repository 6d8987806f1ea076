#pragma once
// Which aspect choice of the save dialog stores a video's frame in the shape
// the video is shown at.

#include <cstdint>

#include "imaging/DisplayAspect.h"
#include "library/ImageSaveOptions.h"

namespace kelta {

// 4:3 and 16:9 for the two shapes video is made in, as captured when the
// frame's pixels are square already, square pixels for any other known
// shape; 16:9, the choice the dialog always made, when the shape is unknown.
// Shapes within 1 % count as equal (MPEG-1 pixel shapes make 4:3 pictures of
// 1.335:1).
TAspectRatio MatchingAspectChoice(std::int32_t width, std::int32_t height, TDisplayAspect aspect);

}  // namespace kelta
