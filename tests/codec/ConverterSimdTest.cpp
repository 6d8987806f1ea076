// Every vector level of the plugin's own YUV to BGR converter against its
// portable reference, byte for byte: random pictures (every value, so the
// clamps are reached) in planes that end exactly where the picture does,
// and decoded MPEG-2 frames through the frame converter. Each level runs
// forced in turn; a level this processor lacks is skipped.

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "codec/FastYuvToBgr.h"
#include "codec/FrameConverter.h"
#include "codec/FrameView.h"
#include "support/DecodedPictures.h"
#include "support/VideoFixture.h"
#include "support/TempFolder.h"

namespace kelta::codec {
void PrintTo(SimdLevel level, std::ostream* os) { *os << SimdLevelName(level); }
}  // namespace kelta::codec

namespace {

namespace fs = std::filesystem;
using kelta::codec::SimdLevel;

constexpr SimdLevel VectorLevels[] = {SimdLevel::Sse2, SimdLevel::Avx2};

std::string LevelName(SimdLevel level) { return kelta::codec::SimdLevelName(level); }

bool Unsupported(SimdLevel level) { return level > kelta::codec::BestSimdLevel(); }

// ---- Random pictures ------------------------------------------------------

struct Size {
  int width, height;
};

// The DVD widths, and widths that end inside a vector block, have odd luma
// or chroma widths, or are narrower than a block (the level falls back).
constexpr Size Sizes[] = {{720, 576}, {704, 480}, {352, 288}, {720, 35}, {353, 21}, {47, 10}, {33, 6}, {18, 4}};

struct Matrix {
  const char* name;
  kelta::codec::YuvMatrix matrix;
};

const Matrix Matrices[] = {{"bt601_full", {0.299, 0.114, true}},
                           {"bt709_full", {0.2126, 0.0722, true}},
                           {"bt2020_video_levels", {0.2627, 0.0593, false}}};

// Planes held in vectors exactly as large as the picture: a read past a
// row's end would leave the picture (and the sanitizer build reports it).
struct TightPicture {
  std::vector<std::uint8_t> y, u, v;
  kelta::codec::YuvPlanes planes;

  TightPicture(Size size, unsigned seed) {
    const int cw = (size.width + 1) / 2, ch = (size.height + 1) / 2;
    std::mt19937 random(seed);
    auto fill = [&](std::vector<std::uint8_t>& plane, int bytes) {
      plane.resize(std::size_t(bytes));
      for (auto& b : plane) b = std::uint8_t(random());
    };
    fill(y, size.width * size.height);
    fill(u, cw * ch);
    fill(v, cw * ch);
    planes = {y.data(), u.data(), v.data(), size.width, cw, cw, size.width, size.height};
  }
};

class RandomPictures : public ::testing::TestWithParam<std::tuple<SimdLevel, bool>> {};

TEST_P(RandomPictures, MatchThePortableConversion) {
  const auto [level, interlaced] = GetParam();
  if (Unsupported(level)) GTEST_SKIP() << "this processor has no " << LevelName(level);
  unsigned seed = 1;
  for (const Size size : Sizes) {
    const TightPicture picture(size, seed++);
    // Rows padded beyond the picture: the padding must stay as it was.
    const int stride = 3 * size.width + 5;
    for (const Matrix& m : Matrices) {
      std::vector<std::uint8_t> reference(std::size_t(stride) * std::size_t(size.height), 0xAB), vector = reference;
      kelta::codec::ConvertYuv420ToBgr(picture.planes, m.matrix, interlaced, 0, size.height, reference.data(), stride,
                                       SimdLevel::Portable);
      kelta::codec::ConvertYuv420ToBgr(picture.planes, m.matrix, interlaced, 0, size.height, vector.data(), stride,
                                       level);
      ASSERT_EQ(vector, reference) << size.width << "x" << size.height << " " << m.name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, RandomPictures,
                         ::testing::Combine(::testing::ValuesIn(VectorLevels), ::testing::Bool()),
                         [](const auto& param) {
                           return LevelName(std::get<0>(param.param)) +
                                  (std::get<1>(param.param) ? "_interlaced" : "_progressive");
                         });

// ---- Decoded frames -------------------------------------------------------

struct Video {
  const char* name;
  int width, height;
  bool interlaced;
  int colorspace;  // signalled AVColorSpace, -1 none
};

void PrintTo(const Video& video, std::ostream* os) { *os << video.name; }

constexpr Video Videos[] = {{"pal_interlaced", 720, 576, true, -1},
                            {"ntsc_d1_interlaced_709", 704, 480, true, 1},
                            {"cif_progressive", 352, 288, false, 5}};

class DecodedFrames : public ::testing::TestWithParam<std::tuple<SimdLevel, Video>> {
 protected:
  kelta::test::TTempFolder Folder_;
  const std::string Dir_ = Folder_.Path().string();
};

TEST_P(DecodedFrames, MatchThePortableConversion) {
  const auto [level, video] = GetParam();
  if (Unsupported(level)) GTEST_SKIP() << "this processor has no " << LevelName(level);
  const kelta::test::Mpeg2StreamOptions options{.width = video.width, .height = video.height, .frames = 6,
                                                .interlaced = video.interlaced, .audio = false,
                                                .colorspace = video.colorspace};
  const std::string path = Dir_ + "/video.mpg";
  kelta::test::WriteMpeg2ProgramStream(path, options);
  const auto pictures = kelta::test::DecodePictures(path, options.frames);
  ASSERT_EQ(int(pictures.size()), options.frames);

  const std::size_t bytes = kelta::Bgr24FrameBytes(video.width, video.height);
  for (const bool fullRange : {true, false}) {
    kelta::codec::FrameConverter portable, vector;
    portable.SetSimdLevel(SimdLevel::Portable);
    vector.SetSimdLevel(level);
    portable.SetFullRangeOutput(fullRange);
    vector.SetFullRangeOutput(fullRange);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      ASSERT_EQ(bool(pictures[i]->interlaced_frame), video.interlaced);
      std::vector<std::uint8_t> reference(bytes, 0xAB), converted(bytes, 0xAB);
      portable.Convert(pictures[i].get(), video.width, video.height, reference.data());
      vector.Convert(pictures[i].get(), video.width, video.height, converted.data());
      ASSERT_EQ(converted, reference) << "frame " << i << (fullRange ? "" : ", video levels");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, DecodedFrames,
                         ::testing::Combine(::testing::ValuesIn(VectorLevels), ::testing::ValuesIn(Videos)),
                         [](const auto& param) {
                           return LevelName(std::get<0>(param.param)) + "_" + std::get<1>(param.param).name;
                         });

}  // namespace
