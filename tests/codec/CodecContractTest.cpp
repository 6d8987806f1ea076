// The decoder plugin codec.so, loaded as Kelta loads it, against fixtures
// written at test time and an independent plain FFmpeg decode of each.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <string_view>
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

struct FixtureCase {
  const char* name;
  Mpeg2StreamOptions options;
  double rate;        // frames per second the plugin must report
  int ticksPerFrame;  // 90 kHz ticks from one frame to the next
};

void PrintTo(const FixtureCase& c, std::ostream* os) { *os << c.name; }

Mpeg2StreamOptions Pal() {
  Mpeg2StreamOptions o;
  o.frames = 75;
  return o;
}

Mpeg2StreamOptions Ntsc() {
  return Mpeg2StreamOptions{.width = 720, .height = 480, .fpsNum = 30000, .fpsDen = 1001, .frames = 90, .gopSize = 15,
                            .interlaced = true};
}

Mpeg2StreamOptions With(Mpeg2StreamOptions o, const std::function<void(Mpeg2StreamOptions&)>& change) {
  change(o);
  return o;
}

const std::vector<FixtureCase>& Fixtures() {
  static const std::vector<FixtureCase> cases = {
      {"pal_vob", Pal(), 25.0, 3600},
      {"ntsc_interlaced_vob", Ntsc(), 30000.0 / 1001.0, 3003},
      {"pal_closed_groups", With(Pal(), [](auto& o) { o.closedGop = true; }), 25.0, 3600},
      {"ntsc_transport_stream", With(Ntsc(), [](auto& o) { o.format = "mpegts"; o.frames = 45; }),
       30000.0 / 1001.0, 3003},
      {"pal_elementary_stream", With(Pal(), [](auto& o) { o.format = "mpeg2video"; o.frames = 40; }), 25.0,
       3600},
  };
  return cases;
}

std::string Extension(const Mpeg2StreamOptions& o) {
  if (o.format == "mpegts") return ".ts";
  if (o.format == "mpeg2video") return ".m2v";
  return ".vob";
}

std::size_t Hash(const FrameView& frame) {
  return std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(frame.data), frame.Bytes()));
}

double MeanAbsDiff(const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < size; ++i) sum += std::uint64_t(std::abs(int(a[i]) - int(b[i])));
  return double(sum) / double(size);
}

// A pixel of a bottom-up BGR frame, by picture row.
struct Bgr {
  int b, g, r;
};
Bgr PixelAt(const FrameView& frame, int x, int y) {
  const std::size_t row = std::size_t(frame.height - 1 - y);
  const std::uint8_t* p = frame.data + row * std::size_t(frame.stride) + 3 * std::size_t(x);
  return {p[0], p[1], p[2]};
}

class CodecTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Folder_ = std::make_unique<kelta::test::TTempFolder>();
    Dir_ = Folder_->Path().string();
    Codec_ = std::make_unique<CodecLibrary>(kelta::test::BuiltCodecPath());
    for (const FixtureCase& c : Fixtures()) {
      const std::string path = Dir_ + "/" + c.name + Extension(c.options);
      kelta::test::WriteMpeg2ProgramStream(path, c.options);
      Paths_[c.name] = path;
    }
  }
  static void TearDownTestSuite() {
    Codec_.reset();
    Folder_.reset();
  }

  static const std::string& PathOf(const std::string& name) { return Paths_.at(name); }

  // The next frame, with the shape the plugin reported on opening.
  static FrameView NextFrame(const KeltaCodecFrameInfo& info) {
    return FrameView::Bgr24(Codec_->getFrame(), info.Width, info.Height);
  }

  // Opens a file and checks the basics every successful open must meet.
  static KeltaCodecFrameInfo Open(const std::string& path) {
    EXPECT_NE(Codec_->openFile(path.c_str(), 0, -1), 0) << path;
    return Codec_->FrameInfo();
  }

  // Hashes of every frame of a sequential decode, by frame counter.
  static std::map<int, std::size_t> SequentialHashes(const std::string& path) {
    const KeltaCodecFrameInfo info = Open(path);
    std::map<int, std::size_t> hashes;
    while (const FrameView frame = NextFrame(info)) hashes[ReadFrameCounter(frame)] = Hash(frame);
    return hashes;
  }

  static inline std::unique_ptr<kelta::test::TTempFolder> Folder_;
  static inline std::string Dir_;
  static inline std::unique_ptr<CodecLibrary> Codec_;
  static inline std::map<std::string, std::string> Paths_;
};

// The ten entry points every Kelta loads, and besides them only optional
// ones that CodecApi.h declares.
TEST_F(CodecTest, ExportsTheTenEntryPointsAndOnlyOptionalOnes) {
  const std::string command = "nm -D --defined-only '" + kelta::test::BuiltCodecPath() + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  ASSERT_TRUE(pipe);
  std::set<std::string> exported;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get())) {
    char address[64], type[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3) exported.insert(name);
  }
  const std::set<std::string> required = {"openFile", "getFrameInfo",   "getFileInfo",     "closeFile",
                                          "getFrame", "seek",           "skipFrames",      "setPixelFormat",
                                          "setRGBScaleFlag", "writeToFile"};
  const std::set<std::string> optional = {"getFrameCount",   "getFrameNumber", "seekFrame",
                                          "setOpenProgress", "openDvdCells",   "getCleanStill",
                                          "getSubtitleStreams", "setSubtitleStream", "getSubtitle",
                                          "getOpenFailure",  "getChapterFrames"};
  for (const std::string& name : required) EXPECT_TRUE(exported.count(name)) << "missing " << name;
  for (const std::string& name : exported)
    EXPECT_TRUE(required.count(name) || optional.count(name)) << "exports " << name;
  EXPECT_TRUE(Codec_->Optional().FrameNavigation()) << "frame navigation comes whole";
  EXPECT_TRUE(Codec_->Optional().setOpenProgress != nullptr);
  EXPECT_TRUE(Codec_->Optional().getCleanStill != nullptr);
  EXPECT_TRUE(Codec_->Optional().getOpenFailure != nullptr);
  EXPECT_TRUE(Codec_->Optional().getChapterFrames != nullptr);
  EXPECT_TRUE(Codec_->Optional().Subtitles()) << "subtitles come whole";
}

class FixtureTest : public CodecTest, public ::testing::WithParamInterface<FixtureCase> {};

TEST_P(FixtureTest, ReportsSizeRateAndStart) {
  const FixtureCase& c = GetParam();
  const KeltaCodecFrameInfo info = Open(PathOf(c.name));
  EXPECT_EQ(info.Width, c.options.width);
  EXPECT_EQ(info.Height, c.options.height);
  EXPECT_NEAR(info.FrameRate, c.rate, 1e-9);
  const KeltaCodecFileInfo file = Codec_->FileInfo();
  EXPECT_EQ(file.TotalSize, std::int64_t(fs::file_size(PathOf(c.name))));
  EXPECT_EQ(file.Time, 0u);
  EXPECT_GE(file.Position, 0);
  EXPECT_LT(file.Position, file.TotalSize);
}

// Every frame once, in display order, matching a plain FFmpeg decode.
TEST_P(FixtureTest, DeliversEveryFrameInOrderLikeAPlainDecode) {
  const FixtureCase& c = GetParam();
  const std::string& path = PathOf(c.name);
  const KeltaCodecFrameInfo info = Open(path);
  kelta::test::ReferenceDecoder reference(path);
  ASSERT_EQ(reference.Width(), info.Width);

  std::vector<std::uint8_t> expected;
  int frames = 0;
  double worst = 0.0;
  std::int64_t lastPosition = -1;
  while (const FrameView frame = NextFrame(info)) {
    EXPECT_EQ(ReadFrameCounter(frame), frames) << "frame " << frames;
    ASSERT_TRUE(reference.Next(&expected)) << "more frames than FFmpeg decodes";
    ASSERT_EQ(expected.size(), frame.Bytes());
    worst = std::max(worst, MeanAbsDiff(frame.data, expected.data(), frame.Bytes()));
    const KeltaCodecFileInfo file = Codec_->FileInfo();
    EXPECT_GE(file.Position, 0);
    EXPECT_LE(file.Position, file.TotalSize);
    EXPECT_EQ(file.Time, std::uint32_t((frames + 1) * c.ticksPerFrame)) << "frame " << frames;
    lastPosition = std::max(lastPosition, file.Position);
    ++frames;
  }
  EXPECT_LT(worst, 1.0);
  EXPECT_EQ(frames, kelta::test::CountFrames(path));
  EXPECT_EQ(frames, c.options.frames);
  EXPECT_GT(lastPosition, Codec_->FileInfo().TotalSize / 2) << "positions follow the frames";
  // The end is final.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Codec_->getFrame(), nullptr);
}

// Seek P gives a clean frame A at position Q; seek Q gives A again, byte for
// byte, and the time is that frame's presentation time.
TEST_P(FixtureTest, SeeksAreRepeatableAndTimed) {
  const FixtureCase& c = GetParam();
  const std::string& path = PathOf(c.name);
  const std::map<int, std::size_t> sequential = SequentialHashes(path);
  const KeltaCodecFrameInfo info = Open(path);
  const std::int64_t total = Codec_->FileInfo().TotalSize;

  const int offsets = 24;
  int previousCounter = -1;
  for (int i = 0; i < offsets; ++i) {
    const std::int64_t p = total * i / offsets + (i % 3) * 777;
    Codec_->seek(p);
    const KeltaCodecFileInfo afterSeek = Codec_->FileInfo();
    const FrameView a = NextFrame(info);
    if (!a) {  // past the last group: stays at the end
      EXPECT_EQ(afterSeek.Position, total);
      continue;
    }
    EXPECT_GE(afterSeek.Position, p) << "the group starts at or after P";
    const std::vector<std::uint8_t> frameA(a.data, a.data + a.Bytes());
    const int counter = ReadFrameCounter(a);
    ASSERT_GE(counter, 0) << "clean picture after seeking to " << p;
    EXPECT_GE(counter, previousCounter);
    previousCounter = counter;
    EXPECT_EQ(afterSeek.Time, std::uint32_t(counter * c.ticksPerFrame)) << "seek to " << p;
    // The same picture a decode from the start gives: nothing smeared.
    EXPECT_EQ(Hash(a), sequential.at(counter)) << "seek to " << p;

    Codec_->seek(afterSeek.Position);
    const KeltaCodecFileInfo again = Codec_->FileInfo();
    EXPECT_EQ(again.Position, afterSeek.Position);
    EXPECT_EQ(again.Time, afterSeek.Time);
    const std::uint8_t* b = Codec_->getFrame();
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(SameFrame(FrameView::Bgr24(frameA.data(), a.width, a.height), FrameView::Bgr24(b, a.width, a.height),
                          "sought again"))
        << "seek to " << afterSeek.Position;
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureTest, ::testing::ValuesIn(Fixtures()),
                         [](const auto& param) { return std::string(param.param.name); });

struct AspectCase {
  const char* name;
  Mpeg2StreamOptions options;
  int width, height;  // the display aspect the plugin must report
};

void PrintTo(const AspectCase& c, std::ostream* os) { *os << c.name; }

Mpeg2StreamOptions Shaped(Mpeg2StreamOptions o, int width, int height) {
  o.aspectWidth = width;
  o.aspectHeight = height;
  o.frames = 13;
  o.audio = false;
  return o;
}

const std::vector<AspectCase>& AspectCases() {
  static const std::vector<AspectCase> cases = {
      // No sequence display extension: the aspect code alone.
      {"pal_4x3", Shaped(Pal(), 4, 3), 4, 3},
      {"pal_16x9", Shaped(Pal(), 16, 9), 16, 9},
      {"ntsc_4x3", Shaped(Ntsc(), 4, 3), 4, 3},
      {"ntsc_16x9", Shaped(Ntsc(), 16, 9), 16, 9},
      {"pal_221x100", Shaped(Pal(), 221, 100), 221, 100},
      // Square pixels: the picture's own size is its shape.
      {"square_640x480", With(Shaped(Pal(), 4, 3), [](auto& o) { o.width = 640; o.height = 480; }), 4, 3},
      // MPEG-1 signals the shape of a pixel: 0.9157 for 4:3 SIF, a whole
      // picture of 1.3347:1.
      {"mpeg1_sif",
       With(Shaped(Pal(), 4, 3), [](auto& o) { o.width = 352; o.height = 288; o.mpeg1 = true; o.format = "mpeg"; }),
       110000, 82413},
      // A display extension of the full size, as signalled colours bring.
      {"pal_4x3_display_extension", With(Shaped(Pal(), 4, 3), [](auto& o) { o.colorspace = 5; }), 4, 3},
      // The analogue picture width and a pan-and-scan window leave the aspect
      // code speaking for the whole picture.
      {"pal_4x3_display_704",
       With(Shaped(Pal(), 4, 3), [](auto& o) { o.displayWidth = 704; o.displayHeight = 576; }), 4, 3},
      {"pal_16x9_pan_scan_540",
       With(Shaped(Pal(), 16, 9), [](auto& o) { o.displayWidth = 540; o.displayHeight = 576; }), 16, 9},
      // 4:3 on a 540 of 720 display window makes the whole picture 16:9.
      {"pal_4x3_on_540_display",
       With(Shaped(Pal(), 4, 3), [](auto& o) { o.displayWidth = 540; o.displayHeight = 576; }), 16, 9},
  };
  return cases;
}

class AspectTest : public CodecTest, public ::testing::WithParamInterface<AspectCase> {};

TEST_P(AspectTest, ReportsTheDisplayAspectInTheFrameInfo) {
  const AspectCase& c = GetParam();
  const std::string path = Dir_ + "/aspect_" + c.name + Extension(c.options);
  kelta::test::WriteMpeg2ProgramStream(path, c.options);
  const KeltaCodecFrameInfo info = Open(path);
  EXPECT_EQ(info.Width, c.options.width);
  EXPECT_EQ(info.AspectWidth, c.width);
  EXPECT_EQ(info.AspectHeight, c.height);
  // Decoding is untouched by it.
  const FrameView first = NextFrame(info);
  ASSERT_TRUE(first);
  EXPECT_EQ(ReadFrameCounter(first), 0);
  // A failed open leaves no aspect behind.
  EXPECT_EQ(Codec_->openFile((Dir_ + "/missing.vob").c_str(), 0, -1), 0);
  const KeltaCodecFrameInfo none = Codec_->FrameInfo();
  EXPECT_EQ(none.AspectWidth, 0);
  EXPECT_EQ(none.AspectHeight, 0);
}

INSTANTIATE_TEST_SUITE_P(Aspects, AspectTest, ::testing::ValuesIn(AspectCases()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(CodecTest, SeekPastTheLastGroupEndsTheVideo) {
  Open(PathOf("pal_vob"));
  const std::int64_t total = Codec_->FileInfo().TotalSize;
  for (std::int64_t p : {total - 100, total, total + 5000}) {
    Codec_->seek(p);
    EXPECT_EQ(Codec_->FileInfo().Position, total);
    EXPECT_EQ(Codec_->getFrame(), nullptr);
    EXPECT_EQ(Codec_->getFrame(), nullptr);
  }
  // And back to the start.
  Codec_->seek(-50);
  const FrameView frame = NextFrame(Codec_->FrameInfo());
  ASSERT_TRUE(frame);
  EXPECT_EQ(ReadFrameCounter(frame), 0);
}

// Unsignalled colour is BT.601 limited range; a BT.709 stream is converted
// with its own matrix. The moving square is Y 82, Cb 90, Cr 240: pure red
// under BT.601, with green near 25 under BT.709.
TEST_F(CodecTest, ColoursFollowTheSignalledMatrix) {
  struct Case {
    int colorspace;
    int minGreen, maxGreen;
  };
  for (const Case& c : {Case{-1, 0, 8}, Case{6, 0, 8}, Case{1, 18, 32}}) {
    Mpeg2StreamOptions o = Pal();
    o.frames = 3;
    o.colorspace = c.colorspace;
    const std::string path = Dir_ + "/colour" + std::to_string(c.colorspace) + ".vob";
    kelta::test::WriteMpeg2ProgramStream(path, o);
    const KeltaCodecFrameInfo info = Open(path);
    const FrameView frame = NextFrame(info);
    ASSERT_TRUE(frame);
    const Bgr p = PixelAt(frame, 48, info.Height / 2 + 48);
    EXPECT_GE(p.r, 245) << "colour space " << c.colorspace;
    EXPECT_LE(p.b, 8) << "colour space " << c.colorspace;
    EXPECT_GE(p.g, c.minGreen) << "colour space " << c.colorspace;
    EXPECT_LE(p.g, c.maxGreen) << "colour space " << c.colorspace;
  }
}

// The interlaced fixture has a band whose top field is red and bottom field
// blue: upsampled per field, the rows alternate instead of turning purple.
TEST_F(CodecTest, InterlacedChromaStaysInItsField) {
  const KeltaCodecFrameInfo info = Open(PathOf("ntsc_interlaced_vob"));
  const FrameView frame = NextFrame(info);
  ASSERT_TRUE(frame);
  const int top = (info.Height * 3 / 4) & ~3;
  for (int y = top + 6; y < top + 26; ++y) {
    const Bgr p = PixelAt(frame, info.Width / 2, y);
    if (y % 2 == 0) {
      EXPECT_GT(p.r - p.b, 100) << "row " << y;
    } else {
      EXPECT_GT(p.b - p.r, 100) << "row " << y;
    }
  }
}

TEST_F(CodecTest, RgbScaleFlagChoosesFullRangeOrVideoLevels) {
  const std::string& path = PathOf("pal_vob");
  const KeltaCodecFrameInfo info = Open(path);
  // Counter blocks of frame 0: the first bit is black, its complement below white.
  const int blockH = (info.Height / 18) & ~7;
  const int x = 2 * ((info.Width / 16) & ~7) + 4, black = blockH + 4, white = 2 * blockH + 4;
  FrameView frame = NextFrame(info);
  ASSERT_TRUE(frame);
  EXPECT_LE(PixelAt(frame, x, black).g, 3);
  EXPECT_GE(PixelAt(frame, x, white).g, 252);

  EXPECT_EQ(Codec_->setRGBScaleFlag(0), -1);
  Codec_->seek(0);
  frame = NextFrame(info);
  ASSERT_TRUE(frame);
  EXPECT_NEAR(PixelAt(frame, x, black).g, 16, 3);
  EXPECT_NEAR(PixelAt(frame, x, white).g, 235, 3);
  EXPECT_EQ(Codec_->setRGBScaleFlag(-1), 0);
}

TEST_F(CodecTest, OpeningAnotherFileReplacesTheFirst) {
  Open(PathOf("pal_vob"));
  ASSERT_NE(Codec_->getFrame(), nullptr);
  const KeltaCodecFrameInfo info = Open(PathOf("ntsc_interlaced_vob"));
  EXPECT_EQ(info.Height, 480);
  const FrameView frame = NextFrame(info);
  ASSERT_TRUE(frame);
  EXPECT_EQ(ReadFrameCounter(frame), 0);
}

TEST_F(CodecTest, UnusedEntryPointsBehave) {
  Open(PathOf("pal_vob"));
  EXPECT_EQ(Codec_->setPixelFormat(24), 1);
  EXPECT_EQ(Codec_->setPixelFormat(32), 0);
  EXPECT_EQ(Codec_->writeToFile((Dir_ + "/none.bmp").c_str()), 0) << "no frame yet";
  EXPECT_EQ(Codec_->skipFrames(5), 5);
  const FrameView frame = NextFrame(Codec_->FrameInfo());
  ASSERT_TRUE(frame);
  EXPECT_EQ(ReadFrameCounter(frame), 5);
  const std::string bmp = Dir_ + "/frame.bmp";
  ASSERT_EQ(Codec_->writeToFile(bmp.c_str()), 1);
  const std::size_t size = frame.Bytes();
  EXPECT_EQ(fs::file_size(bmp), 54 + size);
  std::ifstream in(bmp, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 54 + size);
  const auto* written = reinterpret_cast<const std::uint8_t*>(bytes.data() + 54);
  EXPECT_TRUE(SameFrame(frame, FrameView::Bgr24(written, frame.width, frame.height), "written bitmap"));
  EXPECT_EQ(Codec_->closeFile(), 1);
  EXPECT_EQ(Codec_->getFrame(), nullptr);
  EXPECT_EQ(Codec_->closeFile(), 0);
}

// What an open reported through setOpenProgress, and when to cancel it.
struct ProgressLog {
  std::vector<std::pair<std::int64_t, std::int64_t>> reports;
  std::size_t cancelAt = 0;  // the report that answers 0 (1 for the first); 0: none
  static std::int32_t Report(void* context, std::int64_t done, std::int64_t total) {
    auto* log = static_cast<ProgressLog*>(context);
    log->reports.emplace_back(done, total);
    return log->reports.size() == log->cancelAt ? 0 : 1;
  }
};

TEST_F(CodecTest, OpenReportsTheBytesReadUpToTheTotal) {
  const auto setOpenProgress = Codec_->Optional().setOpenProgress;
  ProgressLog log;
  ASSERT_EQ(setOpenProgress(&ProgressLog::Report, &log), 1);
  // Longer than FFmpeg probes (5 MB), so that probing reads the head and
  // then jumps to the tail: four copies of a fixture joined end to end.
  const std::string path = Dir_ + "/long.vob";
  {
    std::ifstream in(PathOf("pal_vob"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < 4; ++i) out << bytes;
  }
  const std::int64_t total = std::int64_t(fs::file_size(path));
  Open(path);
  ASSERT_EQ(setOpenProgress(nullptr, nullptr), 1);
  ASSERT_GE(log.reports.size(), 4u) << "a report every 1/256 of the file, at least 64 KiB apart";
  EXPECT_EQ(log.reports.front(), std::make_pair(std::int64_t(0), total));
  EXPECT_EQ(log.reports.back(), std::make_pair(total, total));
  // Evenly along the file: no report jumps ahead further than a step and
  // the read that crossed it (reads are 64 KiB).
  const std::int64_t step = std::max<std::int64_t>(64 * 1024, total / 256);
  for (std::size_t i = 1; i < log.reports.size(); ++i) {
    EXPECT_EQ(log.reports[i].second, total);
    EXPECT_GE(log.reports[i].first, log.reports[i - 1].first) << "report " << i;
    EXPECT_LE(log.reports[i].first - log.reports[i - 1].first, 2 * step) << "report " << i;
    EXPECT_LE(log.reports[i].first, total);
  }
  // Decoding reports nothing, and neither does an open after the reports ended.
  const std::size_t reports = log.reports.size();
  ASSERT_NE(Codec_->getFrame(), nullptr);
  Open(path);
  EXPECT_EQ(log.reports.size(), reports);
}

// A zero answer ends the open at that report, whichever it is, and leaves
// nothing open; the next open works.
TEST_F(CodecTest, CancelledOpenStopsAtOnceAndLeavesNothingOpen) {
  const auto setOpenProgress = Codec_->Optional().setOpenProgress;
  const std::string& path = PathOf("pal_vob");
  ProgressLog full;
  setOpenProgress(&ProgressLog::Report, &full);
  Open(path);
  const std::size_t all = full.reports.size();
  for (std::size_t cancelAt : {std::size_t(1), std::size_t(2), all / 2, all}) {
    setOpenProgress(nullptr, nullptr);
    Open(PathOf("ntsc_interlaced_vob"));
    ProgressLog log;
    log.cancelAt = cancelAt;
    setOpenProgress(&ProgressLog::Report, &log);
    EXPECT_EQ(Codec_->openFile(path.c_str(), 0, -1), 0) << "cancelled at report " << cancelAt;
    EXPECT_EQ(log.reports.size(), cancelAt) << "no report after the cancel";
    KeltaCodecFrameInfo info{};
    EXPECT_EQ(Codec_->getFrameInfo(&info), 0);
    EXPECT_EQ(Codec_->getFrame(), nullptr);
  }
  setOpenProgress(nullptr, nullptr);
  EXPECT_EQ(Open(path).Width, 720);
}

// A byte range is a video of its own: its size, positions from its start,
// and from the head of the file the same first frame as the whole file.
TEST_F(CodecTest, RangeOpensThoseBytesOnly) {
  const std::string& path = PathOf("pal_vob");
  const std::int64_t total = std::int64_t(fs::file_size(path));
  const KeltaCodecFrameInfo info = Open(path);
  const std::size_t first = Hash(NextFrame(info));
  struct Case {
    std::int64_t start, end, size;
  };
  const std::int64_t head = total / 3 / 2048 * 2048;
  for (const Case& c : {Case{0, head, head}, Case{0, total + 5000, total}, Case{head, -1, total - head}}) {
    ASSERT_NE(Codec_->openFile(path.c_str(), c.start, c.end), 0) << c.start << ".." << c.end;
    const KeltaCodecFileInfo file = Codec_->FileInfo();
    EXPECT_EQ(file.TotalSize, c.size) << c.start << ".." << c.end;
    EXPECT_LT(file.Position, c.size);
    const FrameView frame = NextFrame(Codec_->FrameInfo());
    ASSERT_TRUE(frame);
    if (c.start == 0) {
      EXPECT_EQ(Hash(frame), first) << c.start << ".." << c.end;
    } else {
      EXPECT_GT(ReadFrameCounter(frame), 0) << "a frame from the range";
    }
  }
  // Frames end with the range.
  ASSERT_NE(Codec_->openFile(path.c_str(), 0, head), 0);
  int frames = 0;
  while (NextFrame(info)) ++frames;
  EXPECT_GT(frames, 0);
  EXPECT_LT(frames, 75);
  EXPECT_EQ(Codec_->openFile(path.c_str(), head, head), 0) << "an empty range is no video";
}

// A DVD title split into VTS_nn_1.VOB, VTS_nn_2.VOB, ... plays as one video.
TEST_F(CodecTest, TitlePartsReadAsOneVideo) {
  const std::string whole = PathOf("pal_vob");
  const std::int64_t total = std::int64_t(fs::file_size(whole));
  const fs::path titleDir = fs::path(Dir_) / "VIDEO_TS";
  fs::create_directories(titleDir);
  // Parts break at DVD pack boundaries, wherever that falls in a picture.
  const std::int64_t cut1 = (total / 3) / 2048 * 2048, cut2 = (2 * total / 3) / 2048 * 2048;
  {
    std::ifstream in(whole, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::pair<const char*, std::pair<std::int64_t, std::int64_t>> parts[] = {
        {"VTS_03_1.VOB", {0, cut1}}, {"vts_03_2.vob", {cut1, cut2}}, {"VTS_03_3.Vob", {cut2, total}}};
    for (const auto& [name, range] : parts) {
      std::ofstream out(titleDir / name, std::ios::binary);
      out.write(bytes.data() + range.first, range.second - range.first);
    }
    // A part of another title beside it is no part of this one.
    std::ofstream other(titleDir / "VTS_04_2.VOB", std::ios::binary);
    other.write(bytes.data(), 4096);
  }
  const std::map<int, std::size_t> expected = SequentialHashes(whole);
  const std::string first = (titleDir / "VTS_03_1.VOB").string();
  EXPECT_EQ(SequentialHashes(first), expected);
  Open(first);
  EXPECT_EQ(Codec_->FileInfo().TotalSize, total);

  // Seeking across the parts lands where it lands in the whole file.
  for (std::int64_t p : {cut1 - 3000, cut1 + 10, cut2 + 5000}) {
    const KeltaCodecFrameInfo info = Open(whole);
    Codec_->seek(p);
    const KeltaCodecFileInfo inWhole = Codec_->FileInfo();
    const std::size_t wholeHash = Hash(NextFrame(info));
    Open(first);
    Codec_->seek(p);
    const KeltaCodecFileInfo inParts = Codec_->FileInfo();
    EXPECT_EQ(inParts.Position, inWhole.Position);
    EXPECT_EQ(inParts.Time, inWhole.Time);
    const FrameView frame = NextFrame(info);
    ASSERT_TRUE(frame);
    EXPECT_EQ(Hash(frame), wholeHash) << "seek to " << p;
  }

  // A later part alone is just that part.
  Open((titleDir / "vts_03_2.vob").string());
  EXPECT_EQ(Codec_->FileInfo().TotalSize, cut2 - cut1);
}

// Film on DVD is soft-telecined: 24 pictures a second in a 29.97 stream,
// shown for 3, 2, 3, 2 ... fields through repeat_first_field.
TEST_F(CodecTest, SoftTelecinedFilmCountsFields) {
  Mpeg2StreamOptions o = Ntsc();
  o.interlaced = false;
  o.format = "mpeg2video";
  o.frames = 48;
  o.gopSize = 12;
  o.softTelecine = true;
  const std::string path = Dir_ + "/film.m2v";
  kelta::test::WriteMpeg2ProgramStream(path, o);

  // Start time of display frame k in 90 kHz ticks: 1501.5 per field.
  auto startOf = [](int k) {
    int fields = 0;
    for (int i = 0; i < k; ++i) fields += (i % 2 == 0) ? 3 : 2;
    return std::uint32_t(std::llround(fields * 1501.5));
  };
  const KeltaCodecFrameInfo info = Open(path);
  EXPECT_NEAR(info.FrameRate, 24000.0 / 1001.0, 1e-9);
  int frames = 0;
  while (const FrameView frame = NextFrame(info)) {
    EXPECT_EQ(ReadFrameCounter(frame), frames);
    ++frames;
    EXPECT_EQ(Codec_->FileInfo().Time, startOf(frames)) << "after frame " << frames - 1;
  }
  EXPECT_EQ(frames, 48);
  EXPECT_EQ(frames, kelta::test::CountFrames(path));

  const std::int64_t total = Codec_->FileInfo().TotalSize;
  for (int i = 1; i < 8; ++i) {
    Codec_->seek(total * i / 8);
    const std::uint32_t time = Codec_->FileInfo().Time;
    const FrameView frame = NextFrame(info);
    if (!frame) continue;
    const int counter = ReadFrameCounter(frame);
    ASSERT_GE(counter, 0);
    EXPECT_EQ(time, startOf(counter)) << "frame " << counter;
  }
}

// A sequence extension scales the rate of the sequence header before it by
// (n + 1) / (d + 1). A stream that repeats the extension must get that one
// rate, not the scale applied once per copy: eight more copies behind each
// one overran the arithmetic. Every sequence extension of the fixture gets
// the case's 2-bit n and 5-bit d, and its copies.
TEST_F(CodecTest, RepeatedSequenceExtensionsScaleTheRateOnce) {
  struct Case {
    const char* name;
    unsigned n, d;
    double rate;
  };
  const Case cases[] = {
      {"same_rate", 3, 3, 30000.0 / 1001.0},
      {"double_rate", 1, 0, 60000.0 / 1001.0},
      {"half_rate", 0, 1, 15000.0 / 1001.0},
  };
  Mpeg2StreamOptions o = Ntsc();
  o.interlaced = false;
  o.format = "mpeg2video";
  o.frames = 30;
  const std::string coded = Dir_ + "/extensions-coded.m2v";
  kelta::test::WriteMpeg2ProgramStream(coded, o);
  std::ifstream in(coded, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string extensionStart("\0\0\1\xB5", 4);

  for (const Case& c : cases) {
    std::string crafted;
    int extensions = 0;
    for (std::size_t i = 0; i < bytes.size();) {
      if (i + 10 <= bytes.size() && bytes.compare(i, 4, extensionStart) == 0 && (std::uint8_t(bytes[i + 4]) >> 4) == 1) {
        std::string extension = bytes.substr(i, 10);
        extension[9] = char((extension[9] & 0x80) | (c.n << 5) | c.d);  // low_delay stays
        for (int copy = 0; copy < 9; ++copy) crafted += extension;
        ++extensions;
        i += 10;
      } else {
        crafted += bytes[i++];
      }
    }
    ASSERT_GT(extensions, 0) << "the fixture is MPEG-2";
    const std::string path = Dir_ + "/extensions-" + c.name + ".m2v";
    std::ofstream(path, std::ios::binary) << crafted;

    const KeltaCodecFrameInfo info = Open(path);
    EXPECT_EQ(info.Width, o.width) << c.name;
    EXPECT_NEAR(info.FrameRate, c.rate, 1e-9) << c.name;
    int frames = 0;
    while (const FrameView frame = NextFrame(info)) {
      EXPECT_EQ(ReadFrameCounter(frame), frames) << c.name;
      ++frames;
      EXPECT_NEAR(double(Codec_->FileInfo().Time), 90000.0 * frames / c.rate, 1.0) << c.name << " frame " << frames;
    }
    EXPECT_EQ(frames, o.frames) << c.name;
  }
}

TEST_F(CodecTest, RefusesFilesWithoutMpegVideo) {
  const fs::path bad = fs::path(Dir_) / "bad";
  fs::create_directories(bad);
  std::mt19937 random(7);
  auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(bad / name, std::ios::binary) << bytes;
    return (bad / name).string();
  };
  std::string noise(200000, '\0');
  for (char& ch : noise) ch = char(random());
  std::string png = "\x89PNG\r\n\x1a\n";
  png += noise.substr(0, 5000);
  Mpeg2StreamOptions soundOnly = Pal();
  soundOnly.video = false;
  soundOnly.format = "mpeg";
  kelta::test::WriteMpeg2ProgramStream((bad / "sound.mpg").string(), soundOnly);

  const std::vector<std::string> paths = {
      (bad / "missing.vob").string(),
      write("empty.vob", ""),
      write("notes.txt", "This is no video at all.\n"),
      write("picture.png", png),
      write("noise.vob", noise),
      (bad / "sound.mpg").string(),
      bad.string(),  // a folder
      "",
  };
  for (const std::string& path : paths) {
    EXPECT_EQ(Codec_->openFile(path.c_str(), 0, -1), 0) << path;
    EXPECT_EQ(Codec_->getFrame(), nullptr) << path;
    EXPECT_EQ(Codec_->FrameInfo().Width, 0) << path;
  }
}

// A file cut off mid-pack opens and ends cleanly; a damaged region is
// skipped and the pictures after it come out clean.
TEST_F(CodecTest, TruncatedAndDamagedFilesEndCleanly) {
  const std::string whole = PathOf("pal_vob");
  std::ifstream in(whole, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  struct Case {
    const char* name;
    std::string content;
  };
  std::string damaged = bytes;
  std::mt19937 random(11);
  for (std::size_t i = bytes.size() / 3; i < bytes.size() / 3 + 60000; ++i) damaged[i] = char(random());
  const Case cases[] = {
      {"truncated.vob", bytes.substr(0, bytes.size() / 2 + 1001)},
      {"damaged.vob", damaged},
      {"head.vob", bytes.substr(0, 3000)},
  };
  for (const Case& c : cases) {
    const std::string path = Dir_ + "/" + c.name;
    std::ofstream(path, std::ios::binary) << c.content;
    if (Codec_->openFile(path.c_str(), 0, -1) == 0) {
      EXPECT_STREQ(c.name, "head.vob") << "only a file without a whole picture may be refused";
      continue;
    }
    const KeltaCodecFrameInfo info = Codec_->FrameInfo();
    int frames = 0, clean = 0, last = -1;
    while (const FrameView frame = NextFrame(info)) {
      ++frames;
      last = ReadFrameCounter(frame);
      if (last >= 0) ++clean;
      ASSERT_LT(frames, 1000) << c.name;
    }
    if (std::string(c.name) != "head.vob") {
      EXPECT_GT(frames, 0) << c.name;
    }
    EXPECT_EQ(Codec_->getFrame(), nullptr) << c.name;
    if (std::string(c.name) == "damaged.vob") {
      EXPECT_GT(clean, 50) << c.name;
      EXPECT_EQ(last, 74) << "the last picture is clean again";
    } else if (std::string(c.name) == "truncated.vob") {
      EXPECT_GT(clean, 25) << c.name;
    }
    // Seeking anywhere stays safe.
    for (std::int64_t p = 0; p < std::int64_t(c.content.size()); p += 150000) {
      Codec_->seek(p);
      for (int i = 0; i < 3 && Codec_->getFrame(); ++i) {
      }
    }
  }
}

}  // namespace
