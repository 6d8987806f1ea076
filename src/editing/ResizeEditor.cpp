#include "editing/ResizeEditor.h"

#include "imaging/Resample.h"

namespace kelta {

std::int64_t RoundHalfEven(std::int64_t numerator, std::int64_t denominator) {
  if (denominator < 0) {
    numerator = -numerator;
    denominator = -denominator;
  }
  std::int64_t quotient = numerator / denominator;
  std::int64_t remainder = numerator % denominator;
  // Make the remainder non-negative so the quotient is the floor.
  if (remainder < 0) {
    remainder += denominator;
    --quotient;
  }
  const std::int64_t twice = 2 * remainder;
  if (twice > denominator || (twice == denominator && quotient % 2 != 0)) ++quotient;
  return quotient;
}

std::int32_t ConstrainedSide(std::int32_t value, std::int32_t other, std::int32_t side) {
  if (side <= 0) return 0;
  // 64-bit product: five-digit sizes times large pictures overflow 32 bits.
  return std::int32_t(RoundHalfEven(std::int64_t(value) * other, side));
}

std::string ResizeSizeProblem(std::int64_t width, std::int64_t height) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width < 1 || height < 1 || width > MaxResizeSide || height > MaxResizeSide)
    return "A picture of " + size + " pixels cannot be made: each side must be 1 to " +
           std::to_string(MaxResizeSide) + " pixels.";
  if (width * height > MaxResizePixels)
    return "A picture of " + size + " pixels cannot be made: a picture may have at most 100,000,000 pixels.";
  return {};
}

bool TResizeEditor::Resize(std::int32_t width, std::int32_t height) {
  TFastDIB& work = Document_.WorkImage;
  if (width == work.Width() && height == work.RowCount()) return false;
  if (const std::string problem = ResizeSizeProblem(width, height); !problem.empty()) throw EResizeRefused(problem);
  work.SetSize(width, height, std::uint8_t(Document_.LoadedImage.BitCount()));
  if (work.Empty()) {
    Document_.RevertToLoaded();
    throw EResizeRefused("There is not enough memory for a picture of " + std::to_string(width) + " x " +
                         std::to_string(height) + " pixels.");
  }
  ResampleBilinear(Document_.LoadedImage, work);
  return true;
}

bool TResizeEditor::Revert() {
  const TFastDIB& loaded = Document_.LoadedImage;
  if (Document_.WorkImage.Width() == loaded.Width() && Document_.WorkImage.RowCount() == loaded.RowCount())
    return false;
  Document_.RevertToLoaded();
  return true;
}

}  // namespace kelta
