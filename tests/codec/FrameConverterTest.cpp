// The plugin's own YUV to BGR converter against swscale's exact path on
// random pictures: the same siting, matrices and levels, so the pictures agree
// to rounding.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <algorithm>
#include <vector>

#include "codec/FrameConverter.h"
#include "codec/FrameView.h"

namespace {

using kelta::codec::FrameConverter;
using kelta::codec::FramePtr;

struct Case {
  const char* name;
  int width, height;
  bool interlaced;
  AVColorSpace space;
  bool fullRange;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class OwnConverter : public ::testing::TestWithParam<Case> {};

TEST_P(OwnConverter, AgreesWithSwscale) {
  const Case& c = GetParam();
  FramePtr frame(av_frame_alloc());
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = c.width;
  frame->height = c.height;
  ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
  frame->interlaced_frame = c.interlaced;
  frame->colorspace = c.space;
  frame->color_range = AVCOL_RANGE_MPEG;
  frame->chroma_location = AVCHROMA_LOC_LEFT;
  // Smooth luma with noise, and chroma in blocks with hard edges both ways.
  std::mt19937 random(17);
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      frame->data[0][y * frame->linesize[0] + x] = std::uint8_t(16 + (x + y) % 200 + random() % 20);
  for (int p = 1; p < 3; ++p)
    for (int y = 0; y < (c.height + 1) / 2; ++y)
      for (int x = 0; x < (c.width + 1) / 2; ++x)
        frame->data[p][y * frame->linesize[p] + x] = std::uint8_t(16 + ((x / 5 + y / 3 + p) % 4) * 70);

  const std::size_t size = kelta::Bgr24FrameBytes(c.width, c.height);
  std::vector<std::uint8_t> own(size, 0xAB), reference(size, 0xAB);
  FrameConverter fast, swscale;
  fast.SetFullRangeOutput(c.fullRange);
  swscale.SetFullRangeOutput(c.fullRange);
  swscale.SetPath(FrameConverter::Path::SwscaleOnly);
  fast.Convert(frame.get(), c.width, c.height, own.data());
  swscale.Convert(frame.get(), c.width, c.height, reference.data());

  const int rowBytes = 3 * c.width, stride = int(kelta::Bgr24Stride(c.width));
  long sum = 0, far = 0;
  // swscale fills the top field's last row (picture row height - 2) from
  // beyond the field's chroma; that row is left out of the comparison.
  const int skippedMemoryRow = c.interlaced ? 1 : -1;
  for (int r = 0; r < c.height; ++r)
    for (int j = 0; j < stride; ++j) {
      const int a = own[std::size_t(r * stride + j)], b = reference[std::size_t(r * stride + j)];
      if (j >= rowBytes) {
        ASSERT_EQ(a, 0xAB) << "padding written, row " << r;
        continue;
      }
      if (r == skippedMemoryRow) continue;
      sum += std::abs(a - b);
      if (std::abs(a - b) > 2) ++far;
    }
  const double bytes = double(rowBytes) * (c.height - (c.interlaced ? 1 : 0));
  EXPECT_LT(double(sum) / bytes, 0.2);
  EXPECT_LE(double(far) / bytes, 0.001) << "beyond rounding";
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, OwnConverter,
    ::testing::Values(Case{"pal_progressive", 720, 576, false, AVCOL_SPC_UNSPECIFIED, true},
                      Case{"pal_interlaced", 720, 576, true, AVCOL_SPC_BT470BG, true},
                      Case{"ntsc_interlaced_709", 720, 480, true, AVCOL_SPC_BT709, true},
                      Case{"video_levels", 352, 288, false, AVCOL_SPC_SMPTE170M, false},
                      Case{"padded_rows", 66, 36, true, AVCOL_SPC_UNSPECIFIED, true}),
    [](const auto& param) { return std::string(param.param.name); });

// Sizes whose fields have an odd number of rows, or whose chroma has an odd
// number of rows and columns: every picture byte is written, no padding is.
TEST(OwnConverterEdges, OddSizesFillThePictureOnly) {
  for (const auto& [width, height, interlaced] :
       {std::tuple{66, 34, true}, std::tuple{62, 38, true}, std::tuple{70, 18, false}, std::tuple{2, 2, false}}) {
    FramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    frame->interlaced_frame = interlaced;
    // Mid grey: every pixel converts to 128 or very near it.
    for (int p = 0; p < 3; ++p)
      for (int y = 0; y < (p ? (height + 1) / 2 : height); ++y)
        std::fill_n(frame->data[p] + y * frame->linesize[p], p ? (width + 1) / 2 : width, std::uint8_t(p ? 128 : 126));
    const int stride = int(kelta::Bgr24Stride(width));
    std::vector<std::uint8_t> out(std::size_t(stride) * std::size_t(height), 0xAB);
    FrameConverter converter;
    converter.Convert(frame.get(), width, height, out.data());
    for (int r = 0; r < height; ++r)
      for (int j = 0; j < stride; ++j) {
        const int value = out[std::size_t(r * stride + j)];
        if (j < 3 * width) {
          ASSERT_NEAR(value, 128, 1) << width << "x" << height << " row " << r << " byte " << j;
        } else {
          ASSERT_EQ(value, 0xAB) << width << "x" << height << " padding of row " << r;
        }
      }
  }
}

}  // namespace
