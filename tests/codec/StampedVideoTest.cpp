// Rips through the decoder plugin, loaded as Kelta loads it: DVD video
// remuxed into Matroska and MP4 gives the very frames of its VOB, and H.264
// and HEVC in Matroska, MP4 and transport streams give, sought in any order
// and stepped through, the frames of a plain FFmpeg decode in display order,
// converted the same way. Files are made with the ffmpeg command line as the
// tests run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "codec/FrameConverter.h"
#include "support/CodecLibrary.h"
#include "support/DecodedPictures.h"
#include "support/SameFrame.h"
#include "support/TempFolder.h"
#include "support/VideoFixture.h"

namespace fs = std::filesystem;
using kelta::FrameView;
using kelta::test::CodecLibrary;
using kelta::test::SameFrame;

namespace {

// Runs the ffmpeg command line with `arguments`; fails the test when it fails.
void Ffmpeg(const std::string& arguments) {
  const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + arguments;
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

using Frames = std::vector<std::vector<std::uint8_t>>;

class StampedVideoTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Folder_ = std::make_unique<kelta::test::TTempFolder>();
    Codec_ = std::make_unique<CodecLibrary>(kelta::test::BuiltCodecPath());
    ASSERT_TRUE(Codec_->Optional().FrameNavigation());
    ASSERT_TRUE(Codec_->Optional().getOpenFailure);
    ASSERT_TRUE(Codec_->Optional().getChapterFrames);
  }
  static void TearDownTestSuite() {
    Codec_.reset();
    Folder_.reset();
  }

  static std::string PathOf(const std::string& name) { return (Folder_->Path() / name).string(); }
  static std::int64_t Count() { return Codec_->Optional().getFrameCount(); }
  static std::int64_t Number() { return Codec_->Optional().getFrameNumber(); }
  static FrameView Next() {
    const KeltaCodecFrameInfo info = Codec_->FrameInfo();
    return FrameView::Bgr24(Codec_->getFrame(), info.Width, info.Height);
  }

  // Every frame from the first, stepping forward.
  static Frames StepThrough() {
    Frames frames;
    EXPECT_NE(Codec_->Optional().seekFrame(0), 0);
    for (FrameView f = Next(); f; f = Next()) {
      EXPECT_EQ(Number(), std::int64_t(frames.size()));
      frames.emplace_back(f.data, f.data + f.Bytes());
    }
    return frames;
  }

  // Every frame sought from the last back to the first, then in a shuffled
  // order with the frame after each, equals `expected`.
  static void ExpectSoughtFrames(const Frames& expected, const std::string& what) {
    const KeltaCodecFrameInfo info = Codec_->FrameInfo();
    ASSERT_EQ(Count(), std::int64_t(expected.size())) << what;
    auto expectFrame = [&](std::int64_t n, const std::string& how) {
      const FrameView frame = Next();
      ASSERT_TRUE(frame) << what << " frame " << n << how;
      EXPECT_EQ(Number(), n) << what << how;
      EXPECT_TRUE(SameFrame(FrameView::Bgr24(expected[std::size_t(n)].data(), info.Width, info.Height), frame,
                            what + "-frame-" + std::to_string(n) + how));
    };
    for (std::int64_t n = Count() - 1; n >= 0; --n) {
      ASSERT_NE(Codec_->Optional().seekFrame(n), 0) << what << " frame " << n;
      expectFrame(n, " stepping back");
    }
    std::vector<std::int64_t> order(expected.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = std::int64_t(i);
    std::shuffle(order.begin(), order.end(), std::mt19937(5));
    for (const std::int64_t n : order) {
      ASSERT_NE(Codec_->Optional().seekFrame(n), 0) << what << " frame " << n;
      expectFrame(n, " sought");
      if (n + 1 < Count()) expectFrame(n + 1, " after a seek");
    }
  }

  static KeltaCodecOpenFailure FailureOf(const std::string& path, std::string* detail) {
    EXPECT_EQ(Codec_->openFile(path.c_str(), 0, -1), 0) << path;
    char text[128] = {};
    const KeltaCodecOpenFailure failure = Codec_->Optional().getOpenFailure(text, sizeof text);
    if (detail) *detail = text;
    return failure;
  }

  static inline std::unique_ptr<kelta::test::TTempFolder> Folder_;
  static inline std::unique_ptr<CodecLibrary> Codec_;
};

// A corpus-like PAL DVD file, open groups of 12 with sound, and its lossless
// remuxes: every frame of each is the VOB's, byte for byte, stepping forward
// and sought.
TEST_F(StampedVideoTest, DvdVideoRemuxedIntoMatroskaAndMp4GivesTheVobsFrames) {
  const std::string vob = PathOf("dvd.vob");
  kelta::test::Mpeg2StreamOptions options;
  options.frames = 60;
  options.interlaced = true;
  options.aspectWidth = 16;
  options.aspectHeight = 9;
  kelta::test::WriteMpeg2ProgramStream(vob, options);
  ASSERT_NE(Codec_->openFile(vob.c_str(), 0, -1), 0);
  const KeltaCodecFrameInfo vobInfo = Codec_->FrameInfo();
  const Frames frames = StepThrough();
  ASSERT_EQ(std::int64_t(frames.size()), Count());
  ASSERT_GE(frames.size(), 50u);

  for (const char* extension : {"mkv", "mp4"}) {
    const std::string remux = PathOf(std::string("dvd.") + extension);
    Ffmpeg("-i " + vob + " -c copy " + remux);
    ASSERT_NE(Codec_->openFile(remux.c_str(), 0, -1), 0) << remux;
    const KeltaCodecFrameInfo info = Codec_->FrameInfo();
    EXPECT_EQ(info.Width, vobInfo.Width);
    EXPECT_EQ(info.Height, vobInfo.Height);
    EXPECT_EQ(info.FrameRate, vobInfo.FrameRate) << extension;
    EXPECT_EQ(info.AspectWidth, 16) << extension;
    EXPECT_EQ(info.AspectHeight, 9) << extension;
    const Frames stepped = StepThrough();
    ASSERT_EQ(stepped.size(), frames.size()) << extension;
    for (std::size_t n = 0; n < frames.size(); ++n)
      EXPECT_TRUE(stepped[n] == frames[n]) << extension << " frame " << n;
    ExpectSoughtFrames(frames, extension);
  }
}

struct RipCase {
  const char* name;
  const char* encoder;    // libx264 or libx265
  const char* extension;  // the container
  int width, height;
  const char* rate;       // frames a second, as ffmpeg takes it
  const char* encoding;   // further encoder options
  const char* pixelShape; // sample aspect
  int aspectWidth, aspectHeight;  // the display aspect it makes
  double frameRate;
  bool highDefinition;  // no colours signalled: BT.709 rather than BT.601
};

void PrintTo(const RipCase& c, std::ostream* os) { *os << c.name; }

// Groups of 12 with B-pictures, as rips have them at smaller sizes; open
// groups where the encoder makes them.
const RipCase RipCases[] = {
    {"h264_mkv_open_gops_24fps_16x9", "libx264", "mkv", 352, 240, "24000/1001",
     "-bf 3 -g 12 -x264-params open-gop=1:keyint-min=12", "40/33", 16, 9, 24000.0 / 1001, false},
    {"h264_mp4_b_frames_25fps_4x3", "libx264", "mp4", 320, 240, "25", "-bf 2 -g 12", "1/1", 4, 3, 25, false},
    {"h264_ts_interlaced_30fps", "libx264", "ts", 352, 288, "30000/1001",
     "-flags +ildct+ilme -x264-params tff=1 -bf 2 -g 15", "12/11", 4, 3, 30000.0 / 1001, false},
    {"h264_mkv_60fps_hd", "libx264", "mkv", 1280, 720, "60", "-bf 3 -g 24 -preset ultrafast", "1/1", 16, 9, 60, true},
    {"hevc_mkv_open_gops_25fps", "libx265", "mkv", 320, 240, "25",
     "-x265-params keyint=12:min-keyint=12:bframes=3:open-gop=1:log-level=error", "1/1", 4, 3, 25, false},
    {"hevc_mp4_16x9", "libx265", "mp4", 352, 288, "50",
     "-x265-params keyint=24:bframes=2:log-level=error -tag:v hvc1", "16/11", 16, 9, 50, false},
    {"hevc_ts_24fps", "libx265", "ts", 320, 240, "24", "-x265-params keyint=12:bframes=4:log-level=error", "1/1", 4,
     3, 24, false},
};

class RipNavigationTest : public StampedVideoTest, public ::testing::WithParamInterface<RipCase> {};

// Seeking back from the last frame, in any order and stepping on gives
// FFmpeg's own decode of each frame, through the plugin's conversion in the
// colours of the video's size; the shape and rate come from the stream.
TEST_P(RipNavigationTest, EveryFrameIsFfmpegsDecodeInDisplayOrder) {
  const RipCase& c = GetParam();
  const std::string path = PathOf(std::string(c.name) + "." + c.extension);
  Ffmpeg(std::string("-f lavfi -i testsrc2=size=") + std::to_string(c.width) + "x" + std::to_string(c.height) +
         ":rate=" + c.rate + " -frames:v 40 -vf setsar=" + c.pixelShape + " -pix_fmt yuv420p -c:v " + c.encoder +
         " " + c.encoding + " " + path);
  ASSERT_NE(Codec_->openFile(path.c_str(), 0, -1), 0) << path;
  const KeltaCodecFrameInfo info = Codec_->FrameInfo();
  EXPECT_EQ(info.Width, c.width);
  EXPECT_EQ(info.Height, c.height);
  EXPECT_EQ(info.AspectWidth, c.aspectWidth);
  EXPECT_EQ(info.AspectHeight, c.aspectHeight);
  EXPECT_NEAR(info.FrameRate, c.frameRate, 1e-9);

  kelta::codec::FrameConverter converter;
  converter.SetUnsignalledColorSpace(c.highDefinition ? AVCOL_SPC_BT709 : AVCOL_SPC_BT470BG);
  Frames expected;
  for (const kelta::codec::FramePtr& picture : kelta::test::DecodePictures(path, 1000)) {
    expected.emplace_back(kelta::Bgr24FrameBytes(c.width, c.height));
    converter.Convert(picture.get(), c.width, c.height, expected.back().data());
  }
  ASSERT_EQ(expected.size(), 40u);
  const Frames stepped = StepThrough();
  ASSERT_EQ(stepped.size(), expected.size());
  for (std::size_t n = 0; n < expected.size(); ++n) EXPECT_TRUE(stepped[n] == expected[n]) << "frame " << n;
  ExpectSoughtFrames(expected, c.name);

  // Times are the timestamps': the frame rate's steps from the first frame.
  ASSERT_NE(Codec_->Optional().seekFrame(20), 0);
  EXPECT_NEAR(Codec_->FileInfo().Time, 20 * 90000 / c.frameRate, 90000 / 1000.0);

  // A seek by byte position, as the strip makes them, lands on the first
  // frame of the next group (every clip has a second one) and numbers it.
  ASSERT_NE(Codec_->Optional().seekFrame(0), 0);
  ASSERT_TRUE(Next());
  Codec_->seek(Codec_->FileInfo().Position + 1);
  EXPECT_EQ(Number(), -1);
  const FrameView half = Next();
  ASSERT_TRUE(half);
  ASSERT_GT(Number(), 0);
  ASSERT_LT(Number(), Count());
  EXPECT_TRUE(SameFrame(FrameView::Bgr24(expected[std::size_t(Number())].data(), c.width, c.height), half,
                        std::string(c.name) + "-byte-seek"));
}

INSTANTIATE_TEST_SUITE_P(Rips, RipNavigationTest, ::testing::ValuesIn(RipCases),
                         [](const auto& param) { return std::string(param.param.name); });

// Video whose frames come irregularly (0.48 s missing after frame 20)
// says so: each frame's time is its timestamp, and the rate is the average.
TEST_F(StampedVideoTest, VariableRateTimesAreTheTimestamps) {
  const std::string path = PathOf("gap.mkv");
  Ffmpeg("-f lavfi -i testsrc2=size=320x240:rate=25 -frames:v 40 -vf \"setpts=N+gte(N\\,20)*12\" "
         "-fps_mode passthrough -c:v libx264 -bf 2 -g 12 " + path);
  ASSERT_NE(Codec_->openFile(path.c_str(), 0, -1), 0);
  ASSERT_EQ(Count(), 40);
  for (const std::int64_t n : {std::int64_t(39), std::int64_t(21), std::int64_t(20), std::int64_t(19), std::int64_t(5)}) {
    ASSERT_NE(Codec_->Optional().seekFrame(n), 0);
    const std::int64_t ticks = n * 3600 + (n >= 20 ? 12 * 3600 : 0);
    EXPECT_EQ(std::int64_t(Codec_->FileInfo().Time), ticks) << "frame " << n;
  }
  // 39 frame steps over 1.56 + 0.48 seconds.
  EXPECT_NEAR(Codec_->FrameInfo().FrameRate, 39 / 2.04, 1e-6);
}

// Matroska and MP4 chapters come as the numbers of the frames they start at.
TEST_F(StampedVideoTest, ChaptersLandOnTheirFrames) {
  const std::string meta = PathOf("chapters.txt");
  std::ofstream(meta) << ";FFMETADATA1\n"
                         "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=520\ntitle=One\n"
                         "[CHAPTER]\nTIMEBASE=1/1000\nSTART=520\nEND=1200\ntitle=Two\n"
                         "[CHAPTER]\nTIMEBASE=1/1000\nSTART=1200\nEND=2000\ntitle=Three\n";
  for (const char* extension : {"mkv", "mp4"}) {
    const std::string path = PathOf(std::string("chapters.") + extension);
    Ffmpeg("-f lavfi -i testsrc2=size=320x240:rate=25 -i " + meta +
           " -map 0 -map_chapters 1 -frames:v 50 -c:v libx264 -bf 2 -g 12 " + path);
    ASSERT_NE(Codec_->openFile(path.c_str(), 0, -1), 0) << path;
    std::int64_t frames[8] = {}, positions[8] = {};
    ASSERT_EQ(Codec_->Optional().getChapterFrames(frames, positions, 8), 3) << extension;
    EXPECT_EQ(frames[0], 0);
    EXPECT_EQ(frames[1], 13) << extension;  // 0.52 s at 25 frames a second
    EXPECT_EQ(frames[2], 30) << extension;
    // Each position is the one the chapter's frame has on screen.
    for (int i = 0; i < 3; ++i) {
      ASSERT_NE(Codec_->Optional().seekFrame(frames[i]), 0);
      ASSERT_NE(Codec_->getFrame(), nullptr);
      EXPECT_EQ(positions[i], Codec_->FileInfo().Position) << extension << " chapter " << i + 1;
    }
  }
  // An MPEG stream has none.
  const std::string vob = PathOf("plain.vob");
  kelta::test::WriteMpeg2ProgramStream(vob, kelta::test::Mpeg2StreamOptions{.frames = 12});
  ASSERT_NE(Codec_->openFile(vob.c_str(), 0, -1), 0);
  EXPECT_EQ(Codec_->Optional().getChapterFrames(nullptr, nullptr, 0), 0);
}

// What cannot be opened says why, naming the codec, container or pictures.
TEST_F(StampedVideoTest, RefusalsSayWhy) {
  struct Refusal {
    const char* file;
    const char* make;
    KeltaCodecOpenFailure failure;
    const char* detail;
  };
  const Refusal refusals[] = {
      {"mpeg4.mkv", "-f lavfi -i testsrc2=size=160x120 -frames:v 5 -c:v mpeg4", KeltaOpenUnsupportedCodec,
       "MPEG-4 part 2"},
      {"mpeg2.avi", "-f lavfi -i testsrc2=size=160x120 -frames:v 5 -c:v mpeg2video", KeltaOpenUnknownContainer,
       "AVI (Audio Video Interleaved)"},
      {"sound.mka", "-f lavfi -i sine=duration=1 -c:a mp2", KeltaOpenNoVideo, ""},
      {"sound.mp4", "-f lavfi -i sine=duration=1 -c:a aac", KeltaOpenNoVideo, ""},
      {"tenbit.mkv", "-f lavfi -i testsrc2=size=160x120 -frames:v 5 -pix_fmt yuv420p10le -c:v libx265 -x265-params log-level=error",
       KeltaOpenUnsupportedPictures, "10-bit 4:2:0"},
      {"fourfourfour.mp4", "-f lavfi -i testsrc2=size=160x120 -frames:v 5 -pix_fmt yuv444p -c:v libx264",
       KeltaOpenUnsupportedPictures, "8-bit 4:4:4"},
  };
  for (const Refusal& r : refusals) {
    const std::string path = PathOf(r.file);
    Ffmpeg(std::string(r.make) + " " + path);
    std::string detail;
    EXPECT_EQ(FailureOf(path, &detail), r.failure) << r.file;
    EXPECT_EQ(detail, r.detail) << r.file;
  }
  // A file that opens clears the reason.
  const std::string vob = PathOf("fine.vob");
  kelta::test::WriteMpeg2ProgramStream(vob, kelta::test::Mpeg2StreamOptions{.frames = 12});
  ASSERT_NE(Codec_->openFile(vob.c_str(), 0, -1), 0);
  EXPECT_EQ(Codec_->Optional().getOpenFailure(nullptr, 0), KeltaOpenSucceeded);
}

}  // namespace
