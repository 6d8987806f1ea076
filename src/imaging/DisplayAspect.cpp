#include "imaging/DisplayAspect.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>
#include <utility>

#include "imaging/ImageUtils.h"
#include "imaging/Resample.h"

namespace kelta {

namespace {

// The farthest a picture's shape lies from square, either way.
constexpr std::int64_t MostStretched = 4;

void CopyPicture(const TFastDIB& picture, TFastDIB& result) {
  result.SetSize(picture.Width(), picture.Height(), std::uint8_t(picture.BitCount()));
  if (!result.Empty() && result.ImageSize() == picture.ImageSize())
    std::memcpy(result.Bits(), picture.Bits(), picture.ImageSize());
}

}  // namespace

TDisplayAspect TDisplayAspect::Checked(std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) return {};
  if (std::int64_t(width) > MostStretched * height || std::int64_t(height) > MostStretched * width) return {};
  return {width, height};
}

TPictureSize SquarePixelSize(std::int32_t width, std::int32_t height, TDisplayAspect aspect) {
  if (!aspect.Known() || width <= 0 || height <= 0) return {width, height};
  // Half the width rounded, then doubled: the nearest even width.
  const std::int64_t half = ScaleHalfEven(height, aspect.Width, 2 * std::int64_t(aspect.Height));
  const std::int64_t squareWidth = std::max<std::int64_t>(2 * half, 2);
  if (squareWidth > std::numeric_limits<std::int32_t>::max()) return {width, height};
  return {std::int32_t(squareWidth), height};
}

TDisplayAspect ItuFrameAspect(std::int32_t width, std::int32_t height, TDisplayAspect aspect) {
  const bool standardLines = height == 576 || height == 480 || height == 288 || height == 240;
  if (!aspect.Known() || !standardLines || width != 720) return aspect;
  // Kept in lowest terms: 16:9 becomes 20:11 and 4:3 becomes 15:11.
  const std::int64_t across = std::int64_t(aspect.Width) * 720;
  const std::int64_t down = std::int64_t(aspect.Height) * 704;
  const std::int64_t common = std::gcd(across, down);
  const std::int64_t w = across / common, h = down / common;
  // Terms beyond 32 bits (a decoder's odd ratio) keep the stream's aspect.
  if (w > std::numeric_limits<std::int32_t>::max() || h > std::numeric_limits<std::int32_t>::max()) return aspect;
  return {std::int32_t(w), std::int32_t(h)};
}

TDisplayAspect RegionAspect(TDisplayAspect aspect, std::int32_t width, std::int32_t height, const TRect& region) {
  const bool inside = region.Left >= 0 && region.Top >= 0 && region.Right <= width && region.Bottom <= height;
  if (!aspect.Known() || !inside || region.WidthOf() <= 0 || region.HeightOf() <= 0) return {};
  // aspect x (region width / width) / (region height / height), in lowest terms.
  const std::int64_t columns = std::gcd(region.WidthOf(), width), lines = std::gcd(region.HeightOf(), height);
  std::int64_t across = 0, down = 0;
  if (__builtin_mul_overflow(std::int64_t(aspect.Width) * (region.WidthOf() / columns), height / lines, &across) ||
      __builtin_mul_overflow(std::int64_t(aspect.Height) * (width / columns), region.HeightOf() / lines, &down))
    return {};
  const std::int64_t common = std::gcd(across, down);
  across /= common;
  down /= common;
  // Terms too large for 32 bits lose a little precision, never the shape.
  constexpr std::int64_t Largest = std::numeric_limits<std::int32_t>::max();
  while (across > Largest || down > Largest) {
    across = (across + 1) / 2;
    down = (down + 1) / 2;
  }
  return {std::int32_t(across), std::int32_t(down)};
}

TRect LetterboxRect(std::int32_t boxWidth, std::int32_t boxHeight, TDisplayAspect aspect) {
  const TRect box{0, 0, boxWidth, boxHeight};
  if (!aspect.Known() || boxWidth <= 0 || boxHeight <= 0) return box;
  // The box is wider than the picture's shape: full height, bars left and right.
  if (std::int64_t(boxWidth) * aspect.Height >= std::int64_t(boxHeight) * aspect.Width) {
    const auto width =
        std::int32_t(std::clamp<std::int64_t>(ScaleHalfEven(boxHeight, aspect.Width, aspect.Height), 1, boxWidth));
    const std::int32_t left = (boxWidth - width) / 2;
    return {left, 0, left + width, boxHeight};
  }
  const auto height =
      std::int32_t(std::clamp<std::int64_t>(ScaleHalfEven(boxWidth, aspect.Height, aspect.Width), 1, boxHeight));
  const std::int32_t top = (boxHeight - height) / 2;
  return {0, top, boxWidth, top + height};
}

void ToSquarePixels(const TFastDIB& picture, TDisplayAspect aspect, TFastDIB& result) {
  const TPictureSize size = SquarePixelSize(picture.Width(), picture.RowCount(), aspect);
  if (picture.Empty() || (size.Width == picture.Width() && size.Height == picture.RowCount())) {
    CopyPicture(picture, result);
    return;
  }
  result.SetSize(size.Width, size.Height, std::uint8_t(picture.BitCount()));
  // A size beyond what a buffer holds keeps the stored pixels.
  if (result.Empty()) {
    CopyPicture(picture, result);
    return;
  }
  ResampleBilinear(picture, result);
}

void ShrinkToFit(TFastDIB& picture, std::int32_t boxWidth, std::int32_t boxHeight) {
  if (picture.Empty() || (picture.Width() <= boxWidth && picture.RowCount() <= boxHeight)) return;
  const TRect fitted = LetterboxRect(boxWidth, boxHeight, TDisplayAspect{picture.Width(), picture.RowCount()});
  TFastDIB smaller;
  smaller.SetSize(fitted.WidthOf(), fitted.HeightOf(), std::uint8_t(picture.BitCount()));
  if (smaller.Empty()) return;
  ResampleBilinear(picture, smaller);
  picture = std::move(smaller);
}

}  // namespace kelta
