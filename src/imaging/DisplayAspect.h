#pragma once
// The shape a picture is meant to be seen at, and the geometry that follows
// from it. A DVD frame stores 720 x 576 or 720 x 480 pixels that are not
// square; its stream says whether the whole picture is shown at 4:3 or 16:9.

#include <cstdint>

#include "imaging/FastDIB.h"

namespace kelta {

// The terms of width:height of the whole picture, e.g. 16:9; 0:0 when
// unknown, and the stored pixels are then taken as they are.
struct TDisplayAspect {
  std::int32_t Width = 0;
  std::int32_t Height = 0;

  bool Known() const { return Width > 0 && Height > 0; }
  double Ratio() const { return Known() ? double(Width) / double(Height) : 0.0; }
  friend bool operator==(const TDisplayAspect&, const TDisplayAspect&) = default;

  // The aspect a decoder reported; unknown for terms that are not positive,
  // and for a shape more than 4:1 away from square either way, which no video
  // is made in.
  static TDisplayAspect Checked(std::int32_t width, std::int32_t height);
};

struct TPictureSize {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  friend bool operator==(const TPictureSize&, const TPictureSize&) = default;
};

// A width x height picture at square pixels: the height kept, the width that
// gives the aspect, rounded to the nearest even number as video sizes are
// (720 x 480 at 16:9 gives 854 x 480). The size itself when the aspect is
// unknown.
TPictureSize SquarePixelSize(std::int32_t width, std::int32_t height, TDisplayAspect aspect);

// The display aspect of all `width` columns when, as ITU-R BT.601 has it for
// standard-definition video, the stream's aspect belongs to the middle 704
// columns of a 720-wide frame and the 8 columns either side lie outside the
// picture. Square pixels at this aspect are the "ITU shape": the frame's pixel
// shape (12:11 PAL 4:3, 16:11 PAL 16:9, 10:11 NTSC 4:3, 40:33 NTSC 16:9)
// applied to every stored column, so 720 x 576 at 16:9 becomes 1048 x 576.
// Frames of 576, 480, 288 or 240 lines only, the heights of PAL and NTSC:
//  - 720 wide: the aspect times 720/704;
//  - 704 and 352 wide: the aspect itself, as these frames hold only the
//    active picture, whose pixels have the same shape;
//  - any other size (HD, square-pixel video, odd widths): the aspect itself,
//    that is plain square pixels, as the 704 rule is not theirs.
// Unknown stays unknown.
TDisplayAspect ItuFrameAspect(std::int32_t width, std::int32_t height, TDisplayAspect aspect);

// The display aspect of a region of a width x height frame shown at
// `aspect`: its pixels keep the frame's shape, so a 720 x 432 band of a 16:9
// PAL frame is 64:27 (1024 x 432 at square pixels). Unknown when the aspect
// is, or the region is empty or lies outside the frame.
TDisplayAspect RegionAspect(TDisplayAspect aspect, std::int32_t width, std::int32_t height, const TRect& region);

// The largest rectangle of the aspect's shape inside a box, centred, with
// bars left and right or above and below; the whole box when the aspect is
// unknown.
TRect LetterboxRect(std::int32_t boxWidth, std::int32_t boxHeight, TDisplayAspect aspect);

// The picture at square pixels (see SquarePixelSize), resampled bilinearly;
// a plain copy when its pixels are square already or its aspect unknown.
void ToSquarePixels(const TFastDIB& picture, TDisplayAspect aspect, TFastDIB& result);

// Scales a picture larger than the box down to fit it whole, keeping its
// shape; a picture that fits stays as it is.
void ShrinkToFit(TFastDIB& picture, std::int32_t boxWidth, std::int32_t boxHeight);

}  // namespace kelta
