// TMPEG2Decoder over fake decoder libraries (see FakeCodec.cpp) and, at the
// end, over the real plugin with a generated video.

#include "video/MPEG2Decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "imaging/FastDIB.h"
#include "imaging/ImageUtils.h"
#include "support/VideoFixture.h"
#include "support/TempFolder.h"
#include "video/OSError.h"

namespace fs = std::filesystem;
using kelta::Bgr24Stride;
using kelta::EMPEG2Error;
using kelta::EOpenCancelled;
using kelta::FrameView;
using kelta::EOSError;
using kelta::TMPEG2Decoder;

namespace {

std::string Fake(const std::string& variant) { return std::string(KELTA_FAKE_CODECS) + "/" + variant; }

// Runs each test with a private temporary folder, so that leftover private
// copies of the library can be seen.
class DecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    OldTemp_ = old ? old : "";
    HadTemp_ = old != nullptr;
    setenv("TMPDIR", Temp_.c_str(), 1);
    ASSERT_EQ(TMPEG2Decoder::InstanceCount(), 0);
  }
  void TearDown() override {
    if (HadTemp_)
      setenv("TMPDIR", OldTemp_.c_str(), 1);
    else
      unsetenv("TMPDIR");
    EXPECT_EQ(TMPEG2Decoder::InstanceCount(), 0);
  }
  std::size_t TempFiles() const {
    return std::size_t(std::distance(fs::directory_iterator(Temp_), fs::directory_iterator()));
  }

  kelta::test::TTempFolder Folder_;
  const std::string Temp_ = Folder_.Path().string();
  std::string OldTemp_;
  bool HadTemp_ = false;
};

TEST_F(DecoderTest, FirstObjectLoadsTheLibraryLaterOnesAPrivateCopy) {
  auto first = std::make_unique<TMPEG2Decoder>(Fake("good"));
  EXPECT_TRUE(first->TempCopyName().empty());
  EXPECT_EQ(TMPEG2Decoder::InstanceCount(), 1);
  {
    TMPEG2Decoder second(Fake("good") + "/");  // a trailing slash is fine
    EXPECT_EQ(TMPEG2Decoder::InstanceCount(), 2);
    ASSERT_FALSE(second.TempCopyName().empty());
    EXPECT_EQ(fs::path(second.TempCopyName()).parent_path(), fs::path(Temp_));
    EXPECT_TRUE(fs::exists(second.TempCopyName()));

    // Each object has a library of its own: their positions do not mix.
    first->Open("w=720;h=576");
    second.Open("w=720;h=576");
    first->Seek(1111);
    second.Seek(2222);
    EXPECT_EQ(first->GetFilePos(), 1111);
    EXPECT_EQ(second.GetFilePos(), 2222);
  }
  EXPECT_EQ(TempFiles(), 0u) << "the private copy is deleted with its object";
  EXPECT_EQ(TMPEG2Decoder::InstanceCount(), 1);
  first.reset();
  EXPECT_EQ(TMPEG2Decoder::InstanceCount(), 0);
}

TEST_F(DecoderTest, MissingLibraryRaisesTheLoaderMessage) {
  try {
    TMPEG2Decoder decoder(Temp_ + "/nowhere");
    FAIL() << "loaded a library that does not exist";
  } catch (const EOSError& e) {
    EXPECT_NE(std::string(e.what()).find("codec.so"), std::string::npos) << e.what();
  }
  EXPECT_EQ(TMPEG2Decoder::InstanceCount(), 0);
}

class MissingEntryPoint : public DecoderTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MissingEntryPoint, FailsCreationAndCleansUp) {
  const std::string name = GetParam();
  const std::string folder = Fake("omit_" + name);
  EXPECT_THROW(
      {
        try {
          TMPEG2Decoder decoder(folder);
        } catch (const EOSError& e) {
          EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
          throw;
        }
      },
      EOSError);
  EXPECT_EQ(TMPEG2Decoder::InstanceCount(), 0);

  // The same as a second object: its private copy goes too.
  TMPEG2Decoder holder(Fake("good"));
  EXPECT_THROW(TMPEG2Decoder second(folder), EOSError);
  EXPECT_EQ(TMPEG2Decoder::InstanceCount(), 1);
  EXPECT_EQ(TempFiles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(EachName, MissingEntryPoint,
                         ::testing::Values("openFile", "getFrameInfo", "getFileInfo", "closeFile", "getFrame",
                                           "seek", "skipFrames", "setPixelFormat", "setRGBScaleFlag",
                                           "writeToFile"),
                         [](const auto& param) { return std::string(param.param); });

TEST_F(DecoderTest, RejectedPathNamesThePathAndWhy) {
  TMPEG2Decoder decoder(Fake("reject_all"));
  const std::string path = "/videos/some film.vob";
  try {
    decoder.Open(path, 0, -1);
    FAIL() << "opened a rejected path";
  } catch (const EMPEG2Error& e) {
    EXPECT_STREQ(e.what(), ("Unable to open video file: " + path + ". It cannot be read: No such file or directory").c_str());
  }
  EXPECT_EQ(decoder.FileSize(), 0);
}

TEST_F(DecoderTest, ZeroWidthIsADecodingError) {
  TMPEG2Decoder decoder(Fake("width_zero"));
  try {
    decoder.Open("w=720;h=576", 0, -1);
    FAIL() << "opened a video of width 0";
  } catch (const EMPEG2Error& e) {
    EXPECT_STREQ(e.what(), "Error decoding video");
  }
}

class UnusableVideo : public DecoderTest, public ::testing::WithParamInterface<const char*> {};

// Sizes below one pixel each way, and rates that are not a positive finite
// number (no frame duration can come of them), fail to open.
TEST_P(UnusableVideo, IsADecodingError) {
  TMPEG2Decoder decoder(Fake("good"));
  decoder.Open("w=720;h=576;rate=25", 0, -1);
  ASSERT_GT(decoder.FileSize(), 0);
  try {
    decoder.Open(GetParam(), 0, -1);
    FAIL() << "opened " << GetParam();
  } catch (const EMPEG2Error& e) {
    EXPECT_STREQ(e.what(), "Error decoding video");
  }
  EXPECT_EQ(decoder.FileSize(), 0);
}

INSTANTIATE_TEST_SUITE_P(Scripts, UnusableVideo,
                         ::testing::Values("w=0;h=576", "w=720;h=0", "w=-720;h=-576", "w=720;h=576;rate=0",
                                           "w=720;h=576;rate=-25", "w=720;h=576;rate=nan",
                                           "w=720;h=576;rate=inf", "w=720;h=576;rate=1e-9"));

struct DurationCase {
  double rate;
  std::int32_t duration;
};

class FrameDuration : public DecoderTest, public ::testing::WithParamInterface<DurationCase> {};

TEST_P(FrameDuration, IsNinetyThousandOverTheRateTiesToEven) {
  TMPEG2Decoder decoder(Fake("good"));
  char script[64];
  std::snprintf(script, sizeof script, "w=720;h=576;rate=%.17g", GetParam().rate);
  decoder.Open(script, 0, -1);
  EXPECT_EQ(decoder.FrameDuration(), GetParam().duration);
  EXPECT_EQ(decoder.Info().Width, 720);
  EXPECT_EQ(decoder.Info().Height, 576);
  EXPECT_EQ(decoder.FileSize(), 5'000'000);
}

INSTANTIATE_TEST_SUITE_P(Rates, FrameDuration,
                         ::testing::Values(DurationCase{25.0, 3600}, DurationCase{29.97, 3003},
                                           DurationCase{30000.0 / 1001.0, 3003}, DurationCase{23.976, 3754},
                                           DurationCase{24.0, 3750},
                                           DurationCase{36000.0, 2},    // 2.5 goes down to 2
                                           DurationCase{12000.0, 8}));  // 7.5 goes up to 8

struct AspectCase {
  const char* script;
  kelta::TDisplayAspect expected;
};

void PrintTo(const AspectCase& c, std::ostream* os) { *os << c.script; }

class DisplayAspect : public DecoderTest, public ::testing::WithParamInterface<AspectCase> {};

// Each open reads the aspect afresh: a plugin that says nothing (as an older
// one leaves those bytes) gives unknown, not the aspect of the video before.
TEST_P(DisplayAspect, IsWhatThePluginReportsWhenItMakesSense) {
  TMPEG2Decoder decoder(Fake("good"));
  decoder.Open("w=720;h=576;aw=16;ah=9", 0, -1);
  ASSERT_EQ(decoder.DisplayAspect(), (kelta::TDisplayAspect{16, 9}));
  decoder.Open(GetParam().script, 0, -1);
  EXPECT_EQ(decoder.DisplayAspect(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Scripts, DisplayAspect,
                         ::testing::Values(AspectCase{"w=720;h=576;aw=4;ah=3", {4, 3}},
                                           AspectCase{"w=352;h=288;aw=110000;ah=82413", {110000, 82413}},
                                           AspectCase{"w=720;h=576", {}},
                                           AspectCase{"w=720;h=576;aw=0;ah=0", {}},
                                           AspectCase{"w=720;h=576;aw=-4;ah=3", {}},
                                           AspectCase{"w=720;h=576;aw=5;ah=1", {}}));

TEST_F(DecoderTest, TimeFollowsSeeksAndAdvancesPerFrameWrapping) {
  TMPEG2Decoder decoder(Fake("good"));
  decoder.Open("w=720;h=576;rate=25;frames=2", 0, -1);
  EXPECT_EQ(decoder.CurTime(), 0u);
  const std::uint32_t nearWrap = 0xFFFFF000u;
  decoder.Seek(nearWrap);  // the fake reports the position as the time
  EXPECT_EQ(decoder.CurTime(), nearWrap);
  EXPECT_EQ(decoder.FileSize(), 5'000'000) << "a seek leaves the size alone";
  EXPECT_TRUE(decoder.GetFrame(240));
  EXPECT_EQ(decoder.CurTime(), nearWrap + 3600u);
  EXPECT_TRUE(decoder.GetFrame(240));
  EXPECT_EQ(decoder.CurTime(), std::uint32_t(nearWrap + 7200u)) << "wraps modulo 2^32";
  EXPECT_FALSE(decoder.GetFrame(240));
  EXPECT_EQ(decoder.CurTime(), std::uint32_t(nearWrap + 10800u)) << "the end advances too";
}

TEST_F(DecoderTest, SetRGBScaleFlagPassesMinusOneOrZero) {
  TMPEG2Decoder decoder(Fake("good"));
  EXPECT_EQ(decoder.SetRGBScaleFlag(true), 99);
  EXPECT_TRUE(decoder.RGBScale());
  EXPECT_EQ(decoder.SetRGBScaleFlag(false), 100);
  EXPECT_FALSE(decoder.RGBScale());
}

TEST_F(DecoderTest, GetFrameBlendsOnlyWithAThreshold) {
  TMPEG2Decoder decoder(Fake("good"));
  decoder.Open("w=8;h=4;frames=2", 0, -1);
  // Rows hold 0, 10, 20, 30: no byte is more than 15 off its neighbours' mean,
  // so the blend only copies row 1 over row 0.
  FrameView frame = decoder.GetFrame(0);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame.data[0], 0);
  frame = decoder.GetFrame(240);
  ASSERT_TRUE(frame);
  for (int row = 0; row < 4; ++row)
    EXPECT_EQ(frame.data[row * 24 + 5], row == 0 ? 10 : 10 * row) << "row " << row;
}

// The frames handed out carry the shape the plugin reported for the video it
// has open. An open that fails after the plugin took the new video leaves the
// new, smaller shape, so copying into the buffer of the old video is refused
// instead of reading past the plugin's frame.
TEST_F(DecoderTest, FramesCarryTheShapeOfTheVideoThePluginHasOpen) {
  TMPEG2Decoder decoder(Fake("good"));
  decoder.Open("w=8;h=4;frames=2", 0, -1);
  FrameView frame = decoder.GetFrame(0);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame.width, 8);
  EXPECT_EQ(frame.height, 4);
  EXPECT_EQ(frame.stride, 24);
  kelta::TFastDIB shown;
  shown.SetSize(8, 4, 24);
  EXPECT_TRUE(kelta::CopyFrameBits(frame, shown));

  EXPECT_THROW(decoder.Open("w=3;h=2;rate=0;frames=2", 0, -1), EMPEG2Error);
  frame = decoder.GetFrame(0);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame.width, 3);
  EXPECT_EQ(frame.height, 2);
  EXPECT_EQ(frame.stride, 12);
  shown.Fill(kelta::TBGRColor{1, 2, 3});
  EXPECT_FALSE(kelta::CopyFrameBits(frame, shown));
  EXPECT_EQ(shown.PixelAt(0, 0), (kelta::TBGRColor{1, 2, 3}));
}

// A plugin without the optional navigation entry points: the frame calls
// say "unknown" and change nothing.
TEST_F(DecoderTest, WithoutNavigationFramesAreUnknown) {
  TMPEG2Decoder decoder(Fake("good"));
  decoder.Open("w=720;h=576;rate=25;frames=2", 0, -1);
  decoder.Seek(1234);
  EXPECT_FALSE(decoder.FrameNavigation());
  EXPECT_EQ(decoder.FrameCount(), -1);
  EXPECT_EQ(decoder.FrameNumber(), -1);
  EXPECT_FALSE(decoder.SeekFrame(1));
  EXPECT_EQ(decoder.CurTime(), 1234u);
  EXPECT_EQ(decoder.GetFilePos(), 1234);
}

// --- the line blend -------------------------------------------------------

// A frame of `height` rows of `width` pixels, every byte of row r set to rows[r].
std::vector<std::uint8_t> Rows(int width, const std::vector<int>& rows) {
  const auto stride = std::size_t(Bgr24Stride(width));
  std::vector<std::uint8_t> frame(stride * rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r)
    std::memset(frame.data() + r * stride, rows[r], stride);
  return frame;
}

struct BlendCase {
  const char* name;
  int width;
  std::vector<int> before;
  int threshold;
  std::vector<int> after;
};

class Blend : public ::testing::TestWithParam<BlendCase> {};

TEST_P(Blend, ChangesEvenRowsOnly) {
  const BlendCase& c = GetParam();
  std::vector<std::uint8_t> frame = Rows(c.width, c.before);
  TMPEG2Decoder::Deinterlace(frame.data(), c.width, std::int32_t(c.before.size()), c.threshold);
  const std::size_t rowBytes = std::size_t(c.width) * 3, stride = std::size_t(Bgr24Stride(c.width));
  for (std::size_t r = 0; r < c.after.size(); ++r) {
    for (std::size_t j = 0; j < rowBytes; ++j)
      ASSERT_EQ(frame[r * stride + j], c.after[r]) << "row " << r << " byte " << j;
    for (std::size_t j = rowBytes; j < stride; ++j)
      ASSERT_EQ(frame[r * stride + j], c.before[r]) << "padding of row " << r << " changed";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Blend,
    ::testing::Values(
        // (120 + 121 + 1) >> 1 = 121; 100 is 21 away: replaced.
        BlendCase{"far_byte_replaced", 4, {7, 120, 100, 121}, 240, {120, 120, 121, 121}},
        // 110 is 11 away: kept.
        BlendCase{"near_byte_kept", 4, {7, 120, 110, 121}, 240, {120, 120, 110, 121}},
        // Exactly 15 away stays, 16 is replaced.
        BlendCase{"limit_is_exclusive", 4, {0, 100, 85, 100, 84, 100}, 240, {100, 100, 85, 100, 100, 100}},
        BlendCase{"odd_height_copies_last_row", 4, {1, 2, 3, 4, 200}, 240, {2, 2, 3, 4, 4}},
        BlendCase{"even_height_keeps_last_row", 4, {1, 2, 3, 200}, 240, {2, 2, 101, 200}},
        BlendCase{"two_rows", 4, {9, 50}, 240, {50, 50}},
        // Too short to blend: left alone, nothing read beyond the frame.
        BlendCase{"one_row", 4, {9}, 240, {9}},
        // Threshold 255: every even byte becomes the mean.
        BlendCase{"threshold_255", 4, {0, 10, 0, 20}, 255, {10, 10, 15, 20}},
        // Rows of 9 bytes lie 12 bytes apart; the padding stays untouched.
        BlendCase{"padded_rows", 3, {1, 50, 0, 80}, 240, {50, 50, 65, 80}}),
    [](const auto& param) { return std::string(param.param.name); });

// Random pictures, wide and narrow: every even-row byte obeys the rule, odd
// rows and padding never change.
TEST(BlendRandom, EveryByteFollowsTheRule) {
  std::mt19937 random(3);
  for (int width : {720, 22, 5}) {
    for (int threshold : {240, 200, 255, 1}) {
      const int height = 7;
      const auto stride = std::size_t(Bgr24Stride(width));
      std::vector<std::uint8_t> before(stride * height);
      for (auto& b : before) b = std::uint8_t(random());
      std::vector<std::uint8_t> after = before;
      TMPEG2Decoder::Deinterlace(after.data(), width, height, threshold);
      const int limit = 255 - threshold;
      for (int y = 0; y < height; ++y)
        for (std::size_t j = 0; j < stride; ++j) {
          const std::size_t i = std::size_t(y) * stride + j;
          int expected = before[i];
          if (j < std::size_t(width) * 3 && y % 2 == 0) {
            if (y == 0) {
              expected = before[i + stride];
            } else if (y == height - 1) {
              expected = before[i - stride];
            } else {
              const int mean = (before[i - stride] + before[i + stride] + 1) / 2;
              if (std::abs(mean - expected) > limit) expected = mean;
            }
          }
          ASSERT_EQ(after[i], expected) << "width " << width << " threshold " << threshold << " row " << y
                                        << " byte " << j;
        }
    }
  }
}

TEST(BlendEdges, EmptyFramesAreLeftAlone) {
  std::uint8_t byte = 42;
  TMPEG2Decoder::Deinterlace(&byte, 0, 5, 240);
  TMPEG2Decoder::Deinterlace(&byte, 1, 0, 240);
  TMPEG2Decoder::Deinterlace(nullptr, 720, 576, 240);
  EXPECT_EQ(byte, 42);
}

// An open's progress reaches the listener where the plugin reports it, and
// the listener's false, or an error it raises, cancels the open: nothing is
// open afterwards, and the next open works. A plugin without the reports
// opens all the same, unheard and uncancellable.
struct ProgressCase {
  const char* name;
  const char* variant;
  int cancelAt;  // the report answered false (1 for the first); 0: none; -1: it raises instead
  std::vector<std::int64_t> heard;
  enum { Opens, Cancelled, Raises } end;
};

class OpenProgress : public DecoderTest, public ::testing::WithParamInterface<ProgressCase> {};

TEST_P(OpenProgress, ReachesTheListenerWhichMayCancel) {
  const ProgressCase& c = GetParam();
  TMPEG2Decoder decoder(Fake(c.variant));
  EXPECT_EQ(decoder.ReportsOpenProgress(), std::string(c.variant) == "good");
  std::vector<std::int64_t> heard;
  auto listener = [&](std::int64_t done, std::int64_t total) {
    EXPECT_EQ(total, 5'000'000);
    heard.push_back(done);
    if (c.cancelAt < 0) throw std::runtime_error("listener failed");
    return int(heard.size()) != c.cancelAt;
  };
  try {
    decoder.Open("w=8;h=4;frames=2", 0, -1, listener);
    EXPECT_EQ(c.end, ProgressCase::Opens);
    EXPECT_TRUE(decoder.GetFrame(0));
  } catch (const EOpenCancelled&) {
    EXPECT_EQ(c.end, ProgressCase::Cancelled);
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(c.end, ProgressCase::Raises) << e.what();
    EXPECT_STREQ(e.what(), "listener failed");
  }
  EXPECT_EQ(heard, c.heard);
  if (c.end != ProgressCase::Opens) {
    EXPECT_FALSE(decoder.GetFrame(0)) << "nothing stays open";
  }
  // The listener is gone with the open.
  decoder.Open("w=8;h=4;frames=2", 0, -1);
  EXPECT_EQ(heard, c.heard);
  EXPECT_TRUE(decoder.GetFrame(0));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenProgress,
    ::testing::Values(ProgressCase{"reported", "good", 0, {0, 5'000'000}, ProgressCase::Opens},
                      ProgressCase{"cancelled_first", "good", 1, {0}, ProgressCase::Cancelled},
                      ProgressCase{"cancelled_last", "good", 2, {0, 5'000'000}, ProgressCase::Cancelled},
                      ProgressCase{"listener_raises", "good", -1, {0}, ProgressCase::Raises},
                      ProgressCase{"older_plugin", "omit_setOpenProgress", 1, {}, ProgressCase::Opens}),
    [](const auto& param) { return std::string(param.param.name); });

// --- over the real plugin --------------------------------------------------

TEST_F(DecoderTest, PlaysAGeneratedVideoThroughThePlugin) {
  const std::string video = Temp_ + "/clip.vob";
  kelta::test::Mpeg2StreamOptions options{.width = 720, .height = 480, .fpsNum = 30000, .fpsDen = 1001, .frames = 20,
                                          .gopSize = 15};
  kelta::test::WriteMpeg2ProgramStream(video, options);

  TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.SetRGBScaleFlag(true);
  decoder.Open(video, 0, -1);
  EXPECT_EQ(decoder.Info().Width, 720);
  EXPECT_EQ(decoder.Info().Height, 480);
  EXPECT_EQ(decoder.FrameDuration(), 3003);
  EXPECT_EQ(decoder.FileSize(), std::int64_t(fs::file_size(video)));
  int frames = 0;
  while (const FrameView frame = decoder.GetFrame(240)) {
    EXPECT_EQ(frame.stride, 2160);
    // The blend keeps the big counter blocks readable.
    EXPECT_EQ(kelta::test::ReadFrameCounter(frame), frames);
    ++frames;
  }
  EXPECT_EQ(frames, 20);
  EXPECT_EQ(decoder.CurTime(), 21u * 3003u);

  // A second decoder runs its own copy of the plugin on the same file.
  TMPEG2Decoder other(KELTA_PROGRAM_DIR);
  other.Open(video, 0, -1);
  ASSERT_TRUE(other.GetFrame(240));
  decoder.Seek(0);
  EXPECT_EQ(decoder.CurTime(), 0u);
  const FrameView frame = decoder.GetFrame(240);
  ASSERT_TRUE(frame);
  EXPECT_EQ(kelta::test::ReadFrameCounter(frame), 0);
  EXPECT_EQ(kelta::test::ReadFrameCounter(other.GetFrame(240)), 1);
}

// Frames sought by number through the plugin: each comes next, numbered,
// with the time of its start; the frames after it follow.
TEST_F(DecoderTest, SeeksFramesByNumberThroughThePlugin) {
  const std::string video = Temp_ + "/numbered.vob";
  const kelta::test::Mpeg2StreamOptions options{.width = 352, .height = 240, .fpsNum = 30000, .fpsDen = 1001,
                                                .frames = 20, .gopSize = 6};
  kelta::test::WriteMpeg2ProgramStream(video, options);

  TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.Open(video, 0, -1);
  ASSERT_TRUE(decoder.FrameNavigation());
  EXPECT_EQ(decoder.FrameCount(), 20);
  for (const std::int64_t n : {19, 7, 6, 5, 0, 12}) {
    ASSERT_TRUE(decoder.SeekFrame(n)) << n;
    EXPECT_EQ(decoder.CurTime(), std::uint32_t(n * 3003)) << n;
    EXPECT_EQ(decoder.FrameNumber(), -1);
    FrameView frame = decoder.GetFrame(240);
    ASSERT_TRUE(frame);
    EXPECT_EQ(kelta::test::ReadFrameCounter(frame), n);
    EXPECT_EQ(decoder.FrameNumber(), n);
    EXPECT_EQ(decoder.CurTime(), std::uint32_t((n + 1) * 3003)) << n;
    frame = decoder.GetFrame(240);
    EXPECT_EQ(bool(frame), n + 1 < 20);
    if (frame) {
      EXPECT_EQ(kelta::test::ReadFrameCounter(frame), n + 1);
    }
  }
  EXPECT_FALSE(decoder.SeekFrame(20));
  EXPECT_FALSE(decoder.SeekFrame(-1));
}

}  // namespace
