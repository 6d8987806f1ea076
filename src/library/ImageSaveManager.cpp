#include "library/ImageSaveManager.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <system_error>
#include <utility>

#include "imaging/ImageAdjust.h"
#include "imaging/ImageUtils.h"
#include "imaging/Resample.h"
#include "library/LibraryPaths.h"

namespace kelta {

namespace {

// Far more than randomness ever needs; it only stops a loop over a folder
// that answers every name as taken.
constexpr int MaxNameAttempts = 1000;

std::string Quoted(const std::filesystem::path& path) { return "\"" + path.string() + "\""; }

bool IsTaken(const std::filesystem::path& path) {
  std::error_code error;
  // A dangling link counts as taken: writing through it would land elsewhere.
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// Fraction of the local day that has passed, 0 <= T < 1.
double DayFraction() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  const double ms = ((local.tm_hour * 60.0 + local.tm_min) * 60.0 + std::min(local.tm_sec, 59)) * 1000.0 + double(millis);
  return ms / 86400000.0;
}

void RequirePicture(const TFastDIB* image) {
  if (!image || image->Empty()) throw EImageStoreError("There is no picture to store");
  if (image->BitCount() != 24) throw EImageStoreError("Only 24-bit pictures can be stored");
}

}  // namespace

TimageSaveManager::TimageSaveManager() : TimageSaveManager(DataFolderPath()) {}

TimageSaveManager::TimageSaveManager(std::filesystem::path dataFolder)
    : DataFolder_(std::move(dataFolder)), BaseNameSource_(RandomImageName) {
  std::random_device device;
  const auto clock = std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count());
  std::seed_seq seed{std::uint32_t(clock), std::uint32_t(clock >> 32), device()};
  Random_.seed(seed);
}

void TimageSaveManager::MakeThumbnail(const TFastDIB& source, TFastDIB& target) {
  if (source.Empty() || source.Width() <= 0 || source.RowCount() <= 0) {
    target.SetSize(0, 0, source.BitCount());
    return;
  }
  const std::int64_t height = std::int64_t(source.RowCount()) * 200 / source.Width();
  // A strip wider than 200:1 still gets one row rather than no picture.
  target.SetSize(200, std::int32_t(std::max<std::int64_t>(height, 1)), std::uint8_t(source.BitCount()));
  ResampleBilinear(source, target);
}

std::string TimageSaveManager::PictureFileName(const std::string& base, std::int32_t number) {
  return base + "_" + std::to_string(number) + ".bmp";
}

std::string TimageSaveManager::ThumbnailFileName(const std::string& base, std::int32_t number) {
  return base + "_" + std::to_string(number) + "_thumbnail.bmp";
}

std::int32_t TimageSaveManager::ImageNumber(std::uint32_t pixelSum, double dayFraction) {
  // The default rounding mode rounds halves to even.
  const double product = std::nearbyint(dayFraction * double(pixelSum));
  return std::int32_t(std::uint32_t(std::uint64_t(std::int64_t(product))));
}

std::int32_t TimageSaveManager::BandRows(std::int32_t width, std::int32_t height) {
  const auto rows = std::int32_t(std::nearbyint(double(width) / 1.85));
  // A frame flatter than 1.85:1 has no band to cut: keep all of it.
  return std::min(rows, height);
}

std::uint32_t TimageSaveManager::RandomPixelSum() {
  std::uniform_int_distribution<int> column(0, Image->Width() - 1);
  std::uniform_int_distribution<int> row(0, Image->RowCount() - 1);
  std::uint32_t sum = 0;
  for (int i = 0; i < 3; ++i) {
    const int x = column(Random_);
    const int y = row(Random_);
    const std::uint8_t* pixel = Image->PixelPtr(x, y);
    sum += (std::uint32_t(pixel[0]) << 24) + (std::uint32_t(pixel[1]) << 16) + (std::uint32_t(pixel[2]) << 8);
  }
  return sum;
}

void TimageSaveManager::MakeFileNames() {
  RequirePicture(Image);
  for (int attempt = 0; attempt < MaxNameAttempts; ++attempt) {
    const std::int32_t number = ImageNumber(RandomPixelSum(), DayFraction());
    const std::string base = BaseNameSource_();
    std::string picture = PictureFileName(base, number);
    std::string thumbnail = ThumbnailFileName(base, number);
    if (IsTaken(DataFolder_ / picture) || IsTaken(DataFolder_ / thumbnail)) continue;
    FileName = std::move(picture);
    ThumbnailName = std::move(thumbnail);
    return;
  }
  throw EImageStoreError("No free file name found in the image folder " + Quoted(DataFolder_));
}

const TFastDIB& TimageSaveManager::ShapePicture(const TFastDIB& image, TAspectRatio choice, TDisplayAspect aspect,
                                                TFastDIB& shaped) {
  const std::int32_t width = image.Width();
  const std::int32_t height = image.RowCount();
  switch (choice) {
    case TAspectRatio::Ratio4x3:
    case TAspectRatio::Ratio16x9: {
      const std::int64_t rows =
          choice == TAspectRatio::Ratio4x3 ? std::int64_t(width) * 3 / 4 : std::int64_t(width) * 9 / 16;
      shaped.SetSize(width, std::int32_t(rows), image.BitCount());
      ResampleBilinear(image, shaped);
      return shaped;
    }
    case TAspectRatio::Ratio185: {
      const std::int32_t rows = BandRows(width, height);
      const std::int32_t top = (height - rows) / 2;
      shaped.SetSize(width, rows, image.BitCount());
      if (!shaped.Empty())
        for (std::int32_t y = 0; y < rows; ++y)
          std::memcpy(shaped.PixelPtr(0, y), image.PixelPtr(0, top + y), std::size_t(image.RowStride()));
      return shaped;
    }
    case TAspectRatio::SquarePixels:
      ToSquarePixels(image, aspect, shaped);
      return shaped;
    case TAspectRatio::SquarePixelsItu:
      ToSquarePixels(image, ItuFrameAspect(width, height, aspect), shaped);
      return shaped;
    case TAspectRatio::AsCaptured:
    default:
      return image;
  }
}

const TFastDIB& TimageSaveManager::ShapePicture(const TFastDIB& image, TAspectRatio choice, TDisplayAspect aspect,
                                                TFastDIB& shaped, TRect kept) {
  const std::int32_t width = image.Width();
  const std::int32_t height = image.RowCount();
  kept = {std::max(kept.Left, 0), std::max(kept.Top, 0), std::min(kept.Right, width), std::min(kept.Bottom, height)};
  const bool whole = kept.WidthOf() <= 0 || kept.HeightOf() <= 0 || kept == TRect{0, 0, width, height};
  if (whole || image.Empty()) return ShapePicture(image, choice, aspect, shaped);

  TFastDIB part;
  part.SetSize(kept.WidthOf(), kept.HeightOf(), std::uint8_t(image.BitCount()));
  if (part.Empty()) {
    shaped = std::move(part);
    return shaped;
  }
  image.DrawRegion(part, 0, 0, kept.WidthOf(), kept.HeightOf(), kept.Left, kept.Top);
  switch (choice) {
    case TAspectRatio::Ratio4x3:
    case TAspectRatio::Ratio16x9: {
      const std::int64_t frameRows =
          choice == TAspectRatio::Ratio4x3 ? std::int64_t(width) * 3 / 4 : std::int64_t(width) * 9 / 16;
      const std::int64_t rows = std::max<std::int64_t>(ScaleHalfEven(part.RowCount(), frameRows, height), 1);
      shaped.SetSize(part.Width(), std::int32_t(rows), std::uint8_t(part.BitCount()));
      if (!shaped.Empty()) ResampleBilinear(part, shaped);
      return shaped;
    }
    case TAspectRatio::Ratio185:
      // The band of the part, unscaled, as of the whole frame.
      return ShapePicture(part, choice, aspect, shaped);
    case TAspectRatio::SquarePixels:
      ToSquarePixels(part, RegionAspect(aspect, width, height, kept), shaped);
      return shaped;
    case TAspectRatio::SquarePixelsItu:
      ToSquarePixels(part, RegionAspect(ItuFrameAspect(width, height, aspect), width, height, kept), shaped);
      return shaped;
    case TAspectRatio::AsCaptured:
    default:
      shaped = std::move(part);
      return shaped;
  }
}

void TimageSaveManager::SaveFiles() {
  RequirePicture(Image);
  if (FileName.empty() || ThumbnailName.empty()) throw EImageStoreError("The picture has no file names");
  TFastDIB& image = *Image;

  ApplyAdjustments(image, Options.Lightness, Options.Contrast, Options.Saturation, Options.Red, Options.Green,
                   Options.Blue);

  std::error_code error;
  std::filesystem::create_directory(DataFolder_, error);
  if (error && !std::filesystem::is_directory(DataFolder_))
    throw EImageStoreError("Cannot create the image folder " + Quoted(DataFolder_) + ": " + error.message());

  TFastDIB shaped;
  const TFastDIB& picture = ShapePicture(image, Options.AspectRatio, ImageAspect, shaped, Options.Kept);
  if (picture.Empty()) throw EImageStoreError("The picture is too small for the chosen aspect ratio");

  TFastDIB thumbnail;
  MakeThumbnail(picture, thumbnail);

  const std::filesystem::path picturePath = DataFolder_ / FileName;
  const std::filesystem::path thumbnailPath = DataFolder_ / ThumbnailName;
  WriteStoredBitmap(picture, picturePath);
  try {
    WriteStoredBitmap(thumbnail, thumbnailPath);
  } catch (...) {
    std::filesystem::remove(picturePath, error);
    throw;
  }
}

}  // namespace kelta
