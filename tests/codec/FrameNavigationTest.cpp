// Frame-exact navigation of the decoder plugin, loaded as Kelta loads it:
// a frame sought by its number, stepping back one frame at a time or
// anywhere, is the very frame a decode from the start gives, with its time,
// across group boundaries, in open and closed groups and in soft-telecined
// film.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "support/CodecLibrary.h"
#include "support/ReferenceDecoder.h"
#include "support/SameFrame.h"
#include "support/VideoFixture.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using kelta::FrameView;
using kelta::test::CodecLibrary;
using kelta::test::Mpeg2StreamOptions;
using kelta::test::ReadFrameCounter;
using kelta::test::SameFrame;

namespace {

struct NavigationCase {
  const char* name;
  Mpeg2StreamOptions options;
};

void PrintTo(const NavigationCase& c, std::ostream* os) { *os << c.name; }

// Small pictures in groups of 12 with two B-pictures between references, as
// on DVDs: in open groups the first two B-pictures of every group but the
// first refer to the group before.
Mpeg2StreamOptions Small() {
  return Mpeg2StreamOptions{.width = 352, .height = 288, .frames = 40, .gopSize = 12};
}

Mpeg2StreamOptions Film() {
  Mpeg2StreamOptions o = Small();
  o.height = 240;
  o.fpsNum = 30000;
  o.fpsDen = 1001;
  o.format = "mpeg2video";
  o.softTelecine = true;
  return o;
}

const std::vector<NavigationCase>& Cases() {
  static const std::vector<NavigationCase> cases = [] {
    std::vector<NavigationCase> c = {{"open_groups", Small()}, {"closed_groups", Small()},
                                     {"soft_telecined_film", Film()}, {"no_b_pictures", Small()}};
    c[1].options.closedGop = true;
    c[3].options.bFrames = 0;
    c[3].options.gopSize = 7;
    return c;
  }();
  return cases;
}

// A frame as a decode from the start gives it, and the time before it.
struct Reached {
  std::vector<std::uint8_t> pixels;
  std::uint32_t time = 0;
};

class FrameNavigationTest : public ::testing::TestWithParam<NavigationCase> {
 protected:
  static void SetUpTestSuite() {
    Folder_ = std::make_unique<kelta::test::TTempFolder>();
    Dir_ = Folder_->Path().string();
    Codec_ = std::make_unique<CodecLibrary>(kelta::test::BuiltCodecPath());
    ASSERT_TRUE(Codec_->Optional().FrameNavigation());
  }
  static void TearDownTestSuite() {
    Codec_.reset();
    Folder_.reset();
  }

  void SetUp() override {
    const NavigationCase& c = GetParam();
    Path_ = Dir_ + "/" + c.name + (c.options.format == "mpeg2video" ? ".m2v" : ".vob");
    if (!fs::exists(Path_)) kelta::test::WriteMpeg2ProgramStream(Path_, c.options);
    ASSERT_NE(Codec_->openFile(Path_.c_str(), 0, -1), 0);
    Info_ = Codec_->FrameInfo();
  }

  static std::int64_t Count() { return Codec_->Optional().getFrameCount(); }
  static std::int64_t Number() { return Codec_->Optional().getFrameNumber(); }
  static bool SeekFrame(std::int64_t n) { return Codec_->Optional().seekFrame(n) != 0; }
  FrameView Next() const { return FrameView::Bgr24(Codec_->getFrame(), Info_.Width, Info_.Height); }

  // Every frame of a decode from the start, checking the numbers on the way.
  // The video is opened afresh afterwards.
  std::vector<Reached> StepForwardThroughAll() const {
    std::vector<Reached> frames;
    Codec_->seek(0);
    for (;;) {
      const std::uint32_t time = Codec_->FileInfo().Time;
      const FrameView frame = Next();
      if (!frame) break;
      EXPECT_EQ(Number(), std::int64_t(frames.size()));
      EXPECT_EQ(ReadFrameCounter(frame), int(frames.size()));
      frames.push_back({std::vector<std::uint8_t>(frame.data, frame.data + frame.Bytes()), time});
    }
    EXPECT_EQ(Number(), -1) << "at the end";
    // Opened again, so that what follows finds none of these frames kept.
    EXPECT_NE(Codec_->openFile(Path_.c_str(), 0, -1), 0);
    return frames;
  }

  // Seeks frame n; the next frame must be the one a decode from the start gave.
  void ExpectSoughtFrame(std::int64_t n, const std::vector<Reached>& frames) const {
    ASSERT_TRUE(SeekFrame(n)) << "frame " << n;
    EXPECT_EQ(Number(), -1) << "after seeking frame " << n;
    EXPECT_EQ(Codec_->FileInfo().Time, frames[std::size_t(n)].time) << "frame " << n;
    const FrameView frame = Next();
    ASSERT_TRUE(frame) << "frame " << n;
    EXPECT_EQ(Number(), n);
    EXPECT_EQ(ReadFrameCounter(frame), int(n));
    const std::vector<std::uint8_t>& expected = frames[std::size_t(n)].pixels;
    EXPECT_TRUE(SameFrame(FrameView::Bgr24(expected.data(), frame.width, frame.height), frame,
                          "frame-" + std::to_string(n)));
  }

  static inline std::unique_ptr<kelta::test::TTempFolder> Folder_;
  static inline std::string Dir_;
  static inline std::unique_ptr<CodecLibrary> Codec_;
  std::string Path_;
  KeltaCodecFrameInfo Info_{};
};

TEST_P(FrameNavigationTest, CountsAndNumbersTheFramesOfAPlainDecode) {
  EXPECT_EQ(Count(), GetParam().options.frames);
  EXPECT_EQ(Count(), kelta::test::CountFrames(Path_));
  EXPECT_EQ(Number(), -1) << "before the first frame";
  EXPECT_EQ(std::int64_t(StepForwardThroughAll().size()), Count());

  // Skipped frames count as passed; a seek by position numbers its frame.
  Codec_->seek(0);
  ASSERT_TRUE(Next());
  EXPECT_EQ(Codec_->skipFrames(14), 14);
  EXPECT_EQ(Number(), 14);
  FrameView frame = Next();
  ASSERT_TRUE(frame);
  EXPECT_EQ(ReadFrameCounter(frame), 15);
  EXPECT_EQ(Number(), 15);
  Codec_->seek(Codec_->FileInfo().TotalSize / 2);
  EXPECT_EQ(Number(), -1);
  frame = Next();
  ASSERT_TRUE(frame);
  EXPECT_EQ(Number(), ReadFrameCounter(frame));

  // Only frames of the video can be sought.
  for (const std::int64_t outside : {std::int64_t(-1), Count(), Count() + 100}) EXPECT_FALSE(SeekFrame(outside));
}

// From the last frame back to the first, one step at a time: each step
// lands on the frame that stepping forward reached.
TEST_P(FrameNavigationTest, StepsBackToTheFramesStepsForwardReached) {
  const std::vector<Reached> frames = StepForwardThroughAll();
  ASSERT_EQ(std::int64_t(frames.size()), Count());
  for (std::int64_t n = Count() - 1; n >= 0; --n) ExpectSoughtFrame(n, frames);
}

// Frames sought in any order, each followed by the frames after it, also
// into the next group.
TEST_P(FrameNavigationTest, SoughtFramesContinueInOrder) {
  const std::vector<Reached> frames = StepForwardThroughAll();
  std::vector<std::int64_t> order(frames.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = std::int64_t(i);
  std::shuffle(order.begin(), order.end(), std::mt19937(3));
  for (const std::int64_t n : order) {
    ExpectSoughtFrame(n, frames);
    for (std::int64_t next = n + 1; next < std::min<std::int64_t>(n + 4, Count()); ++next) {
      const FrameView frame = Next();
      ASSERT_TRUE(frame);
      EXPECT_EQ(Number(), next);
      EXPECT_EQ(ReadFrameCounter(frame), int(next)) << "after seeking frame " << n;
    }
  }
  // The last frame, then the end.
  ExpectSoughtFrame(Count() - 1, frames);
  EXPECT_EQ(Codec_->getFrame(), nullptr);
  EXPECT_EQ(Number(), -1);
}

INSTANTIATE_TEST_SUITE_P(Streams, FrameNavigationTest, ::testing::ValuesIn(Cases()),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
