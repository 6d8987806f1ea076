#pragma once
// The image store: writes a captured frame and its thumbnail into the data
// folder as a pair of bitmaps under two fresh names, after the colour
// adjustments and the aspect ratio chosen in the save dialog. One object
// serves one save.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>

#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"
#include "library/ImageSaveOptions.h"
#include "library/StoredBitmap.h"

namespace kelta {

class TimageSaveManager {
 public:
  // Stores into the data folder beside the program.
  TimageSaveManager();
  explicit TimageSaveManager(std::filesystem::path dataFolder);

  std::string FileName;  // bare name of the picture file, set by MakeFileNames
  TImageSaveOptions Options;
  TFastDIB* Image = nullptr;  // the captured picture; the caller owns it, SaveFiles changes it
  std::string ThumbnailName;  // bare name of the thumbnail file, set by MakeFileNames
  // The shape Image is shown at; the square-pixel choice resamples it to that.
  TDisplayAspect ImageAspect;

  // Width 200, height in proportion (at least one row), same bit depth,
  // resampled bilinearly. An empty source leaves the target empty.
  static void MakeThumbnail(const TFastDIB& source, TFastDIB& target);

  // Picks "<B>_<N>.bmp" and "<B>_<N>_thumbnail.bmp": B a random image name,
  // N from three random pixels of Image and the time of day. Names that
  // already exist in the data folder are picked again, so a save never
  // replaces another image's files. Throws EImageStoreError without a
  // picture or when no free name turns up.
  void MakeFileNames();

  // Adjusts Image in place, shapes it to the aspect ratio, creates the data
  // folder when missing and writes the picture and its thumbnail, both on the
  // disk when it returns. Throws EImageStoreError when something cannot be
  // written; neither file is then left behind, so the caller adds no library
  // entry for them.
  void SaveFiles();

  const std::filesystem::path& DataFolder() const { return DataFolder_; }
  // Where MakeFileNames takes B from; RandomImageName unless replaced.
  void SetBaseNameSource(std::function<std::string()> source) { BaseNameSource_ = std::move(source); }

  // "<base>_<number>.bmp" and "<base>_<number>_thumbnail.bmp".
  static std::string PictureFileName(const std::string& base, std::int32_t number);
  static std::string ThumbnailFileName(const std::string& base, std::int32_t number);
  // N: dayFraction × pixelSum rounded half to even, its low 32 bits signed.
  static std::int32_t ImageNumber(std::uint32_t pixelSum, double dayFraction);
  // Rows of the 1.85:1 band: width / 1.85 rounded half to even, never more
  // than the frame has.
  static std::int32_t BandRows(std::int32_t width, std::int32_t height);
  // The picture the store writes for an aspect choice (see TAspectRatio):
  // `image` itself as captured, else `shaped`, made here (empty when the
  // image is too small for the choice). `aspect` is the image's display
  // aspect, read by the two square-pixel choices only. A value outside the
  // enumeration stores the image as captured.
  static const TFastDIB& ShapePicture(const TFastDIB& image, TAspectRatio choice, TDisplayAspect aspect,
                                      TFastDIB& shaped);
  // The same for the part `kept` of the image (black bars cut off), always
  // into `shaped`: its pixels keep their shape, so the stored picture has the
  // true shape of that part. Square pixels (either kind) give its width from
  // the frame's pixel shape at its own height (a 720 x 432 band of a 16:9 PAL
  // frame: 1024 x 432); 4:3 and 16:9 keep its width and scale its height as
  // the whole frame's (720 x 304 at 16:9); 1.85:1 cuts the middle band of it;
  // as captured it is stored as it is. An empty `kept`, or one that is the
  // whole image, shapes the whole image as above; one reaching outside the
  // image is cut to it.
  static const TFastDIB& ShapePicture(const TFastDIB& image, TAspectRatio choice, TDisplayAspect aspect,
                                      TFastDIB& shaped, TRect kept);

 private:
  std::uint32_t RandomPixelSum();

  std::filesystem::path DataFolder_;
  std::function<std::string()> BaseNameSource_;
  std::mt19937 Random_;
};

}  // namespace kelta
