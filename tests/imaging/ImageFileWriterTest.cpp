#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <cstdio>

#include "imaging/FastDIB.h"
#include "imaging/FreeBitmap.h"
#include "imaging/ImageFileWriter.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace kelta {
namespace {

using test::TTempFolder;

// A picture whose every pixel differs from its neighbours, so a row or
// channel mix-up shows.
TFastDIB Pattern(int width, int height) {
  TFastDIB dib;
  dib.SetSize(width, height, 24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = dib.PixelPtr(x, y);
      p[0] = static_cast<std::uint8_t>(x * 37 + y * 11);
      p[1] = static_cast<std::uint8_t>(x * 5 + y * 71 + 3);
      p[2] = static_cast<std::uint8_t>(255 - x * 13 - y * 7);
    }
  return dib;
}

struct Loaded {
  FIBITMAP* dib = nullptr;
  explicit Loaded(const std::string& file) {
    dib = FreeImage_Load(FreeImage_GetFileType(file.c_str()), file.c_str());
  }
  ~Loaded() {
    if (dib) FreeImage_Unload(dib);
  }
};

// Picture-coordinate pixel of a loaded 24/32-bit or palette bitmap as B, G, R.
TBGRColor LoadedPixel(FIBITMAP* dib, int x, int y) {
  RGBQUAD q{};
  const int row = static_cast<int>(FreeImage_GetHeight(dib)) - 1 - y;
  if (FreeImage_GetBPP(dib) == 8) {
    BYTE index = 0;
    FreeImage_GetPixelIndex(dib, x, row, &index);
    q = FreeImage_GetPalette(dib)[index];
  } else {
    FreeImage_GetPixelColor(dib, x, row, &q);
  }
  return {q.rgbBlue, q.rgbGreen, q.rgbRed};
}

struct LosslessCase {
  const char* ext;
  int width, height;
};

class LosslessWrite : public ::testing::TestWithParam<LosslessCase> {};

TEST_P(LosslessWrite, ReadsBackPixelForPixel) {
  const auto& c = GetParam();
  TTempFolder dir;
  const TFastDIB dib = Pattern(c.width, c.height);
  const std::string file = dir.File(std::string("pic") + c.ext);
  ASSERT_TRUE(WriteImageFile(dib, file, false));
  Loaded back(file);
  ASSERT_NE(back.dib, nullptr);
  EXPECT_EQ(FreeImage_GetBPP(back.dib), 24u);
  ASSERT_EQ(FreeImage_GetWidth(back.dib), unsigned(c.width));
  ASSERT_EQ(FreeImage_GetHeight(back.dib), unsigned(c.height));
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      ASSERT_EQ(LoadedPixel(back.dib, x, y), TBGRColor(*reinterpret_cast<const TBGRColor*>(dib.PixelPtr(x, y))))
          << "at " << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Formats, LosslessWrite,
                         ::testing::Values(LosslessCase{".png", 1, 1}, LosslessCase{".png", 5, 3},
                                           LosslessCase{".bmp", 1, 1}, LosslessCase{".bmp", 7, 4},
                                           LosslessCase{".BMP", 4, 6}, LosslessCase{".png", 64, 33}),
                         [](const ::testing::TestParamInfo<LosslessCase>& p) {
                           std::string ext = p.param.ext + 1;
                           return ext + "_" + std::to_string(p.param.width) + "x" +
                                  std::to_string(p.param.height);
                         });

TEST(WriteImageFile, JpegIsA24BitPictureCloseToTheSource) {
  TTempFolder dir;
  TFastDIB dib;
  dib.SetSize(32, 16, 24);
  dib.Fill({40, 120, 200});
  const std::string file = dir.File("pic.jpg");
  ASSERT_TRUE(WriteImageFile(dib, file, false));
  EXPECT_EQ(FreeImage_GetFileType(file.c_str()), FIF_JPEG);
  Loaded back(file);
  ASSERT_NE(back.dib, nullptr);
  EXPECT_EQ(FreeImage_GetWidth(back.dib), 32u);
  EXPECT_EQ(FreeImage_GetHeight(back.dib), 16u);
  const TBGRColor p = LoadedPixel(back.dib, 10, 10);
  EXPECT_NEAR(p.Blue, 40, 4);
  EXPECT_NEAR(p.Green, 120, 4);
  EXPECT_NEAR(p.Red, 200, 4);
}

TEST(WriteImageFile, GifIsAnEightBitPaletteKeepingAFewColours) {
  TTempFolder dir;
  TFastDIB dib;
  dib.SetSize(20, 10, 24);
  dib.Fill({255, 0, 0});
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 20; ++x) {
      std::uint8_t* p = dib.PixelPtr(x, y);
      p[0] = 0, p[1] = 200, p[2] = 100;
    }
  for (const char* name : {"a.gif", "b.GIF"}) {
    const std::string file = dir.File(name);
    ASSERT_TRUE(WriteImageFile(dib, file, true)) << name;
    EXPECT_EQ(FreeImage_GetFileType(file.c_str()), FIF_GIF);
    Loaded back(file);
    ASSERT_NE(back.dib, nullptr);
    EXPECT_EQ(FreeImage_GetBPP(back.dib), 8u);
    EXPECT_EQ(FreeImage_GetColorType(back.dib), FIC_PALETTE);
    const TBGRColor top = LoadedPixel(back.dib, 3, 2), bottom = LoadedPixel(back.dib, 3, 8);
    EXPECT_NEAR(top.Blue, 0, 8);
    EXPECT_NEAR(top.Green, 200, 8);
    EXPECT_NEAR(top.Red, 100, 8);
    EXPECT_NEAR(bottom.Blue, 255, 8);
    EXPECT_NEAR(bottom.Green, 0, 8);
    EXPECT_NEAR(bottom.Red, 0, 8);
  }
}

TEST(WriteImageFile, WritesNothingItCannotWrite) {
  TTempFolder dir;
  const TFastDIB dib = Pattern(3, 3);
  const TFastDIB empty;
  struct Case {
    const TFastDIB* dib;
    const char* name;
    bool gif;
  } cases[] = {
      {&dib, "pic.gif", false},  // GIF needs the palette reduction
      {&dib, "pic.pdf", false},  {&dib, "pic.xyz", false}, {&dib, "noextension", false},
      {&empty, "pic.png", false}, {&empty, "pic.gif", true},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(WriteImageFile(*c.dib, dir.File(c.name), c.gif)) << c.name;
    EXPECT_FALSE(fs::exists(dir.File(c.name))) << c.name;
  }
}

TEST(WriteImageFile, FolderThatCannotHoldTheFileLeavesNoFile) {
  TTempFolder dir;
  // A path below a regular file cannot be created, whoever runs the test.
  { std::FILE* f = std::fopen(dir.File("plain").c_str(), "wb"); ASSERT_NE(f, nullptr); std::fclose(f); }
  for (const char* name : {"plain/pic.png", "missing/pic.bmp"}) {
    EXPECT_FALSE(WriteImageFile(Pattern(4, 4), dir.File(name), false)) << name;
    EXPECT_FALSE(fs::exists(dir.File(name))) << name;
  }
}

TEST(WriteImageFile, ReplacesAnExistingFile) {
  TTempFolder dir;
  const std::string file = dir.File("pic.bmp");
  ASSERT_TRUE(WriteImageFile(Pattern(40, 30), file, false));
  ASSERT_TRUE(WriteImageFile(Pattern(2, 2), file, false));
  Loaded back(file);
  ASSERT_NE(back.dib, nullptr);
  EXPECT_EQ(FreeImage_GetWidth(back.dib), 2u);
}

TEST(FreeBitmap, CopyMatchesTheBufferByteForByte) {
  const TFastDIB dib = Pattern(7, 5);  // 21 pixel bytes + 3 padding per row
  TFreeBitmap bitmap;
  EXPECT_FALSE(bitmap.IsValid());
  CopyToFreeBitmap(dib, bitmap);
  ASSERT_TRUE(bitmap.IsValid());
  EXPECT_EQ(FreeImage_GetBPP(bitmap.Handle()), 24u);
  ASSERT_EQ(FreeImage_GetPitch(bitmap.Handle()), unsigned(dib.RowStride()));
  for (int r = 0; r < dib.RowCount(); ++r)
    EXPECT_EQ(0, std::memcmp(FreeImage_GetScanLine(bitmap.Handle(), r), dib.Rows()[r], 21)) << "row " << r;

  TFreeBitmap untouched(2, 2, 24);
  FIBITMAP* before = untouched.Handle();
  CopyToFreeBitmap(TFastDIB(), untouched);
  EXPECT_EQ(untouched.Handle(), before);
}

TEST(FreeBitmap, RefusalsKeepTheCurrentBitmap) {
  TFreeBitmap none;
  EXPECT_FALSE(none.ReduceColors(FIQ_WUQUANT));
  EXPECT_FALSE(none.CanWrite(FIF_PNG));
  EXPECT_FALSE(none.WriteToFile("/nonexistent/x.png", 0));

  TFreeBitmap bitmap(4, 4, 24);
  ASSERT_TRUE(bitmap.IsValid());
  FIBITMAP* before = bitmap.Handle();
  EXPECT_FALSE(bitmap.Adopt(nullptr));
  EXPECT_EQ(bitmap.Handle(), before);
  EXPECT_FALSE(bitmap.CanWrite(FIF_UNKNOWN));
  EXPECT_FALSE(bitmap.CanWrite(FIF_GIF));  // not at 24 bits
  EXPECT_TRUE(bitmap.CanWrite(FIF_PNG));
  ASSERT_TRUE(bitmap.ReduceColors(FIQ_WUQUANT));
  EXPECT_EQ(FreeImage_GetBPP(bitmap.Handle()), 8u);
  EXPECT_TRUE(bitmap.CanWrite(FIF_GIF));
  bitmap.Clear();
  EXPECT_FALSE(bitmap.IsValid());
}

}  // namespace
}  // namespace kelta
