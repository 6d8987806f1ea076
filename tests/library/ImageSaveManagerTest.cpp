// The image store: sizes and rows of the stored pictures, the file names it
// picks, and what it leaves on disk when writing fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <limits>
#include <ostream>
#include <regex>
#include <string>

#include "support/FileSizeLimit.h"
#include "library/ImageSaveManager.h"
#include "library/LibraryTestSupport.h"
#include "support/SamePixels.h"

namespace kelta {
namespace {

using test::TTempFolder;

// Each pixel tells where it came from: blue and green hold the picture row
// (counted from the top), red the column.
TFastDIB MakeFrame(int width, int height) {
  TFastDIB frame;
  frame.SetSize(width, height, 24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* pixel = frame.PixelPtr(x, y);
      pixel[0] = std::uint8_t(y & 0xFF);
      pixel[1] = std::uint8_t(y >> 8);
      pixel[2] = std::uint8_t(x & 0xFF);
    }
  }
  return frame;
}

TFastDIB MakeUniformFrame(int width, int height, TBGRColor colour) {
  TFastDIB frame;
  frame.SetSize(width, height, 24);
  frame.Fill(colour);
  return frame;
}

TFastDIB LoadBitmap(const std::filesystem::path& path) {
  TFastDIB bitmap;
  EXPECT_TRUE(bitmap.LoadFromFile(path.string())) << path;
  return bitmap;
}

// Base names handed out in order, so that tests know the names in advance.
std::function<std::string()> BaseNames(std::deque<std::string> names) {
  return [names = std::move(names)]() mutable {
    std::string name = names.front();
    if (names.size() > 1) names.pop_front();
    return name;
  };
}

struct TShapeCase {
  const char* Name;
  TAspectRatio Aspect;
  int PictureHeight;
  int ThumbnailHeight;
};

class StoredShape : public ::testing::TestWithParam<TShapeCase> {};

TEST_P(StoredShape, PictureAndThumbnailSizesOfA720x576Frame) {
  TTempFolder folder;
  TFastDIB frame = MakeFrame(720, 576);
  TimageSaveManager store(folder / "data");
  store.Image = &frame;
  store.MakeFileNames();
  store.Options.AspectRatio = GetParam().Aspect;
  store.SaveFiles();

  const TFastDIB picture = LoadBitmap(folder / "data" / store.FileName);
  EXPECT_EQ(picture.Width(), 720);
  EXPECT_EQ(picture.Height(), GetParam().PictureHeight);
  EXPECT_EQ(picture.BitCount(), 24);
  const TFastDIB thumbnail = LoadBitmap(folder / "data" / store.ThumbnailName);
  EXPECT_EQ(thumbnail.Width(), 200);
  EXPECT_EQ(thumbnail.Height(), GetParam().ThumbnailHeight);
  EXPECT_EQ(thumbnail.BitCount(), 24);
}

INSTANTIATE_TEST_SUITE_P(ImageStore, StoredShape,
                         ::testing::Values(TShapeCase{"AsCaptured", TAspectRatio::AsCaptured, 576, 160},
                                           TShapeCase{"FourThree", TAspectRatio::Ratio4x3, 540, 150},
                                           TShapeCase{"SixteenNine", TAspectRatio::Ratio16x9, 405, 112},
                                           TShapeCase{"OnePointEightyFive", TAspectRatio::Ratio185, 389, 108}),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.Name); });

struct TSquareCase {
  const char* Name;
  int Width, Height;
  TDisplayAspect Aspect;
  int PictureWidth;
  int ThumbnailHeight;
};

class StoredSquarePixels : public ::testing::TestWithParam<TSquareCase> {};

TEST_P(StoredSquarePixels, KeepTheFrameHeightAtItsDisplayAspect) {
  const TSquareCase& c = GetParam();
  TTempFolder folder;
  TFastDIB frame = MakeFrame(c.Width, c.Height);
  TimageSaveManager store(folder.Path());
  store.Image = &frame;
  store.ImageAspect = c.Aspect;
  store.MakeFileNames();
  store.Options.AspectRatio = TAspectRatio::SquarePixels;
  store.SaveFiles();
  const TFastDIB picture = LoadBitmap(folder / store.FileName);
  EXPECT_EQ(picture.Width(), c.PictureWidth);
  EXPECT_EQ(picture.Height(), c.Height);
  const TFastDIB thumbnail = LoadBitmap(folder / store.ThumbnailName);
  EXPECT_EQ(thumbnail.Width(), 200);
  EXPECT_EQ(thumbnail.Height(), c.ThumbnailHeight);
}

INSTANTIATE_TEST_SUITE_P(ImageStore, StoredSquarePixels,
                         ::testing::Values(TSquareCase{"Pal4x3", 720, 576, {4, 3}, 768, 150},
                                           TSquareCase{"Pal16x9", 720, 576, {16, 9}, 1024, 112},
                                           TSquareCase{"Ntsc4x3", 720, 480, {4, 3}, 640, 150},
                                           TSquareCase{"Ntsc16x9", 720, 480, {16, 9}, 854, 112},
                                           // Without a known shape the pixels are taken as they are.
                                           TSquareCase{"UnknownShape", 720, 576, {}, 720, 160}),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.Name); });

// The ITU shape stores every column of the frame at the pixel shape of the
// middle 704, for the four shapes of DVD video.
class StoredItuShape : public ::testing::TestWithParam<TSquareCase> {};

TEST_P(StoredItuShape, KeepsEveryColumnInThePixelShapeOfTheActive704) {
  const TSquareCase& c = GetParam();
  TTempFolder folder;
  TFastDIB frame = MakeFrame(c.Width, c.Height);
  TimageSaveManager store(folder.Path());
  store.Image = &frame;
  store.ImageAspect = c.Aspect;
  store.MakeFileNames();
  store.Options.AspectRatio = TAspectRatio::SquarePixelsItu;
  store.SaveFiles();
  const TFastDIB picture = LoadBitmap(folder / store.FileName);
  EXPECT_EQ(picture.Width(), c.PictureWidth);
  EXPECT_EQ(picture.Height(), c.Height);
  EXPECT_EQ(LoadBitmap(folder / store.ThumbnailName).Height(), c.ThumbnailHeight);
}

INSTANTIATE_TEST_SUITE_P(ImageStore, StoredItuShape,
                         ::testing::Values(TSquareCase{"Pal4x3", 720, 576, {4, 3}, 786, 146},
                                           TSquareCase{"Pal16x9", 720, 576, {16, 9}, 1048, 109},
                                           TSquareCase{"Ntsc4x3", 720, 480, {4, 3}, 654, 146},
                                           TSquareCase{"Ntsc16x9", 720, 480, {16, 9}, 872, 110},
                                           TSquareCase{"UnknownShape", 720, 576, {}, 720, 160}),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.Name); });

// A value beyond the choices (a newer program's, say) stores the frame as captured.
TEST(ImageStore, AnUnknownAspectChoiceStoresTheFrameAsCaptured) {
  TTempFolder folder;
  TFastDIB frame = MakeFrame(352, 288);
  const TFastDIB original = MakeFrame(352, 288);
  TimageSaveManager store(folder.Path());
  store.Image = &frame;
  store.ImageAspect = TDisplayAspect{16, 9};
  store.MakeFileNames();
  store.Options.AspectRatio = TAspectRatio(99);
  store.SaveFiles();
  EXPECT_TRUE(test::SamePixels(original, LoadBitmap(folder / store.FileName), "stored-unknown-choice"));
}

// A 720 x 576 frame of a 16:9 video holds a circle as an ellipse 0.703 times
// as wide as high; stored at square pixels it is round again.
TEST(ImageStore, ACircleOfA16x9FrameStaysACircle) {
  TTempFolder folder;
  TFastDIB frame = MakeUniformFrame(720, 576, {0, 0, 0});
  const double radius = 150.0, squeeze = 720.0 / 1024.0;
  for (int y = 0; y < 576; ++y)
    for (int x = 0; x < 720; ++x) {
      const double dx = (x + 0.5 - 300.0) / squeeze, dy = y + 0.5 - 250.0;
      if (dx * dx + dy * dy <= radius * radius) std::fill_n(frame.PixelPtr(x, y), 3, std::uint8_t(255));
    }
  TimageSaveManager store(folder.Path());
  store.Image = &frame;
  store.ImageAspect = TDisplayAspect{16, 9};
  store.MakeFileNames();
  store.Options.AspectRatio = TAspectRatio::SquarePixels;
  store.SaveFiles();
  const TFastDIB picture = LoadBitmap(folder / store.FileName);
  int left = picture.Width(), right = -1, top = picture.Height(), bottom = -1;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x)
      if (picture.PixelPtr(x, y)[1] >= 128) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  const double width = right - left + 1, height = bottom - top + 1;
  EXPECT_NEAR(height, 2 * radius, 2.0);
  EXPECT_NEAR(width / height, 1.0, 0.01);
}

// Rows of the stored picture, from the top, as the frame rows they came from.
void ExpectRowsFrom(const TFastDIB& picture, int firstFrameRow, int width) {
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < width; x += 37) {
      const std::uint8_t* pixel = picture.PixelPtr(x, y);
      const int frameRow = pixel[0] | (pixel[1] << 8);
      ASSERT_EQ(frameRow, firstFrameRow + y) << "stored row " << y << ", column " << x;
      ASSERT_EQ(pixel[2], x & 0xFF);
    }
  }
}

TEST(ImageStore, NeutralSaveAsCapturedKeepsTheFramePixels) {
  TTempFolder folder;
  TFastDIB frame = MakeFrame(352, 288);
  const TFastDIB original = MakeFrame(352, 288);
  TimageSaveManager store(folder.Path());
  store.Image = &frame;
  store.MakeFileNames();
  store.SaveFiles();
  const TFastDIB picture = LoadBitmap(folder / store.FileName);
  ASSERT_EQ(picture.ImageSize(), original.ImageSize());
  EXPECT_TRUE(test::SamePixels(original, picture, "stored-neutral"));
  EXPECT_EQ(LoadBitmap(folder / store.ThumbnailName).Width(), 200);
}

struct TBandCase {
  const char* Name;
  int FrameHeight;
  int StoredHeight;
  int FirstFrameRow;
};

class StoredBand : public ::testing::TestWithParam<TBandCase> {};

TEST_P(StoredBand, KeepsTheMiddleRowsOfA720WideFrame) {
  TTempFolder folder;
  TFastDIB frame = MakeFrame(720, GetParam().FrameHeight);
  TimageSaveManager store(folder.Path());
  store.Image = &frame;
  store.MakeFileNames();
  store.Options.AspectRatio = TAspectRatio::Ratio185;
  store.SaveFiles();
  const TFastDIB picture = LoadBitmap(folder / store.FileName);
  ASSERT_EQ(picture.Height(), GetParam().StoredHeight);
  ExpectRowsFrom(picture, GetParam().FirstFrameRow, 720);
}

INSTANTIATE_TEST_SUITE_P(ImageStore, StoredBand,
                         ::testing::Values(TBandCase{"Rows45To433Of480", 480, 389, 45},
                                           // A band taller than the frame is limited to it.
                                           TBandCase{"WholeFrameOf300", 300, 300, 0}),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.Name); });

// With the black bars cut off, each choice shapes what remains as it shapes
// the whole frame, so the stored picture has its true shape: a 16:9 PAL frame
// holding a 2.37:1 film in rows 72 to 503, or a 4:3 one in columns 90 to 629.
struct TPartCase {
  const char* Name;
  TRect Kept;
  TAspectRatio Aspect;
  TPictureSize Stored;
  int FirstFrameRow;  // of the stored rows, when they are frame rows unscaled; -1 else
};
void PrintTo(const TPartCase& c, std::ostream* os) { *os << c.Name; }

class StoredPart : public ::testing::TestWithParam<TPartCase> {};

TEST_P(StoredPart, HasTheShapeOfWhatRemains) {
  const TPartCase& c = GetParam();
  TTempFolder folder;
  TFastDIB frame = MakeFrame(720, 576);
  TimageSaveManager store(folder.Path());
  store.Image = &frame;
  store.ImageAspect = TDisplayAspect{16, 9};
  store.MakeFileNames();
  store.Options.AspectRatio = c.Aspect;
  store.Options.Kept = c.Kept;
  store.SaveFiles();
  const TFastDIB picture = LoadBitmap(folder / store.FileName);
  EXPECT_EQ((TPictureSize{picture.Width(), picture.Height()}), c.Stored);
  if (c.FirstFrameRow >= 0) ExpectRowsFrom(picture, c.FirstFrameRow, 720);
}

constexpr TRect Letterboxed{0, 72, 720, 504};
constexpr TRect Pillarboxed{90, 0, 630, 576};

INSTANTIATE_TEST_SUITE_P(
    ImageStore, StoredPart,
    ::testing::Values(TPartCase{"AsCaptured", Letterboxed, TAspectRatio::AsCaptured, {720, 432}, 72},
                      TPartCase{"FourThree", Letterboxed, TAspectRatio::Ratio4x3, {720, 405}, -1},
                      TPartCase{"SixteenNine", Letterboxed, TAspectRatio::Ratio16x9, {720, 304}, -1},
                      TPartCase{"BandOfThePart", Letterboxed, TAspectRatio::Ratio185, {720, 389}, 93},
                      TPartCase{"SquarePixels", Letterboxed, TAspectRatio::SquarePixels, {1024, 432}, -1},
                      TPartCase{"Itu", Letterboxed, TAspectRatio::SquarePixelsItu, {1048, 432}, -1},
                      TPartCase{"PillarboxSquarePixels", Pillarboxed, TAspectRatio::SquarePixels, {768, 576}, -1},
                      TPartCase{"PillarboxItu", Pillarboxed, TAspectRatio::SquarePixelsItu, {786, 576}, -1},
                      TPartCase{"NothingKeptIsTheWholeFrame", TRect{}, TAspectRatio::SquarePixels, {1024, 576}, -1},
                      TPartCase{"BeyondTheFrameIsCutToIt", TRect{-5, 72, 900, 504}, TAspectRatio::AsCaptured,
                                {720, 432}, 72}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.Name); });

TEST(ImageStore, BandRows) {
  EXPECT_EQ(TimageSaveManager::BandRows(720, 576), 389);
  EXPECT_EQ(TimageSaveManager::BandRows(720, 480), 389);
  EXPECT_EQ(TimageSaveManager::BandRows(37, 100), 20) << "37 / 1.85 = 20";
  EXPECT_EQ(TimageSaveManager::BandRows(1850, 2000), 1000);
  EXPECT_EQ(TimageSaveManager::BandRows(1850, 999), 999);
}

TEST(ImageStore, ColourShiftReachesTheStoredPicture) {
  TTempFolder folder;
  TFastDIB frame = MakeUniformFrame(64, 48, {100, 100, 100});
  TimageSaveManager store(folder.Path());
  store.Image = &frame;
  store.MakeFileNames();
  store.Options.Red = 20;
  store.Options.Blue = -30;
  store.SaveFiles();
  const TFastDIB picture = LoadBitmap(folder / store.FileName);
  EXPECT_EQ(picture.PixelAt(10, 10), (TBGRColor{70, 100, 120}));
}

TEST(ImageStore, ImageNumberRoundsHalfToEvenAndWrapsToSigned) {
  EXPECT_EQ(TimageSaveManager::ImageNumber(0, 0.9), 0);
  EXPECT_EQ(TimageSaveManager::ImageNumber(3, 0.5), 2);
  EXPECT_EQ(TimageSaveManager::ImageNumber(5, 0.5), 2);
  EXPECT_EQ(TimageSaveManager::ImageNumber(1000, 0.25), 250);
  EXPECT_EQ(TimageSaveManager::ImageNumber(0xFFFFFFFFu, 0.75), -1073741825);
  EXPECT_EQ(TimageSaveManager::ImageNumber(0xFFFFFFFFu, 0.5), std::numeric_limits<std::int32_t>::min());
}

TEST(ImageStore, FileNamesOfOneImage) {
  EXPECT_EQ(TimageSaveManager::PictureFileName("Kq3xZb7T", 81234567), "Kq3xZb7T_81234567.bmp");
  EXPECT_EQ(TimageSaveManager::ThumbnailFileName("Kq3xZb7T", 81234567), "Kq3xZb7T_81234567_thumbnail.bmp");
  EXPECT_EQ(TimageSaveManager::PictureFileName("Ab3cdEfG", -1073741825), "Ab3cdEfG_-1073741825.bmp");
  EXPECT_EQ(TimageSaveManager::ThumbnailFileName("Ab3cdEfG", -5), "Ab3cdEfG_-5_thumbnail.bmp");
}

TEST(ImageStore, ThumbnailNameIsThePictureNameWithThumbnailBeforeTheExtension) {
  TTempFolder folder;
  TFastDIB frame = MakeFrame(720, 576);
  TimageSaveManager store(folder.Path());
  store.Image = &frame;
  const std::regex pictureName("[A-Z][A-Za-z0-9]{7}_-?[0-9]+\\.bmp");
  for (int i = 0; i < 20; ++i) {
    store.MakeFileNames();
    EXPECT_TRUE(std::regex_match(store.FileName, pictureName)) << store.FileName;
    std::string expected = store.FileName;
    expected.insert(expected.size() - 4, "_thumbnail");
    EXPECT_EQ(store.ThumbnailName, expected);
  }
}

TEST(ImageStore, BlackFrameGivesNumberZero) {
  TTempFolder folder;
  TFastDIB frame = MakeUniformFrame(16, 16, {0, 0, 0});
  TimageSaveManager store(folder.Path());
  store.SetBaseNameSource(BaseNames({"Abcdef1g"}));
  store.Image = &frame;
  store.MakeFileNames();
  EXPECT_EQ(store.FileName, "Abcdef1g_0.bmp");
  EXPECT_EQ(store.ThumbnailName, "Abcdef1g_0_thumbnail.bmp");
}

class TakenName : public ::testing::TestWithParam<const char*> {};

TEST_P(TakenName, IsPickedAgainAndTheExistingFileKept) {
  TTempFolder folder;
  test::WriteBytes(folder / GetParam(), "someone else's picture");
  TFastDIB frame = MakeUniformFrame(64, 48, {0, 0, 0});
  TimageSaveManager store(folder.Path());
  store.SetBaseNameSource(BaseNames({"Taken001", "Free0002"}));
  store.Image = &frame;
  store.MakeFileNames();
  EXPECT_EQ(store.FileName, "Free0002_0.bmp");
  EXPECT_EQ(store.ThumbnailName, "Free0002_0_thumbnail.bmp");
  store.SaveFiles();
  EXPECT_EQ(test::ReadBytes(folder / GetParam()), "someone else's picture");
}

INSTANTIATE_TEST_SUITE_P(ImageStore, TakenName, ::testing::Values("Taken001_0.bmp", "Taken001_0_thumbnail.bmp"));

TEST(ImageStore, FolderWhereEveryNameIsTakenIsAnError) {
  TTempFolder folder;
  test::WriteBytes(folder / "Taken001_0.bmp", "x");
  TFastDIB frame = MakeUniformFrame(8, 8, {0, 0, 0});
  TimageSaveManager store(folder.Path());
  store.SetBaseNameSource(BaseNames({"Taken001"}));
  store.Image = &frame;
  EXPECT_THROW(store.MakeFileNames(), EImageStoreError);
}

TEST(ImageStore, MissingDataFolderIsCreatedByTheFirstSave) {
  TTempFolder folder;
  TFastDIB frame = MakeFrame(160, 120);
  TimageSaveManager store(folder / "data");
  store.Image = &frame;
  store.MakeFileNames();
  ASSERT_FALSE(std::filesystem::exists(folder / "data"));
  store.SaveFiles();
  EXPECT_TRUE(std::filesystem::is_regular_file(folder / "data" / store.FileName));
  EXPECT_TRUE(std::filesystem::is_regular_file(folder / "data" / store.ThumbnailName));
}

struct TWriteFailureCase {
  const char* Name;
  int Width;
  int Height;
  rlim_t SizeLimit;  // bytes a file may grow to before writes fail
};

class WriteFailure : public ::testing::TestWithParam<TWriteFailureCase> {};

TEST_P(WriteFailure, IsReportedAndLeavesNoFile) {
  TTempFolder folder;
  TFastDIB frame = MakeFrame(GetParam().Width, GetParam().Height);
  TimageSaveManager store(folder / "data");
  store.Image = &frame;
  store.MakeFileNames();
  {
    test::TFileSizeLimit limit(GetParam().SizeLimit);
    try {
      store.SaveFiles();
      FAIL() << "the store reported success";
    } catch (const EImageStoreError& error) {
      EXPECT_NE(std::string(error.what()).find((folder / "data").string()), std::string::npos) << error.what();
    }
  }
  EXPECT_TRUE(folder.Entries() == std::vector<std::string>{"data"});
  EXPECT_TRUE(std::filesystem::is_empty(folder / "data"));
}

INSTANTIATE_TEST_SUITE_P(
    ImageStore, WriteFailure,
    // A 720x576 picture is far past the limit; a 100x100 picture fits but its
    // 200x200 thumbnail does not, so the written picture must go again.
    ::testing::Values(TWriteFailureCase{"PictureHalfWritten", 720, 576, 100000},
                      TWriteFailureCase{"ThumbnailHalfWritten", 100, 100, 60000}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.Name); });

TEST(ImageStore, DataFolderThatCannotBeCreatedIsAnError) {
  TTempFolder folder;
  test::WriteBytes(folder / "data", "a file where the folder should be");
  TFastDIB frame = MakeFrame(64, 48);
  TimageSaveManager store(folder / "data");
  store.Image = &frame;
  store.MakeFileNames();
  EXPECT_THROW(store.SaveFiles(), EImageStoreError);
  EXPECT_EQ(test::ReadBytes(folder / "data"), "a file where the folder should be");
}

}  // namespace
}  // namespace kelta
