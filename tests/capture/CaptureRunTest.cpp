// `kelta capture` over the real plugin: exact frames, checked by the frame
// counters drawn into the test videos, the exit statuses, and the same bytes
// from the same input.
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
}

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <cmath>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "capture/CaptureCommand.h"
#include "capture/CaptureOptions.h"
#include "capture/CaptureRun.h"
#include "imaging/FastDIB.h"
#include "support/DvdFixture.h"
#include "support/TempFolder.h"
#include "support/VideoFixture.h"

namespace kelta {
namespace {

const std::filesystem::path ProgramFolder = KELTA_PROGRAM_DIR;

std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int CounterIn(const std::filesystem::path& bmp) {
  TFastDIB picture;
  if (!picture.LoadFromFile(bmp.string())) return -2;
  return test::ReadFrameCounter(picture.Bits(), picture.Width(), picture.RowCount(), picture.RowStride());
}

// Checks a manifest against the schema in the repository with a real
// validator; "" when it holds.
std::string SchemaErrors(const std::filesystem::path& manifest) {
  const std::filesystem::path schema = std::filesystem::path(KELTA_SOURCE_DIR) / "src/capture/capture-manifest.schema.json";
  const std::filesystem::path said = manifest.string() + ".validation";
  const std::string command = "/usr/bin/python3 -c 'import json, sys, jsonschema; "
                              "jsonschema.validate(json.load(open(sys.argv[1])), json.load(open(sys.argv[2])))' '" +
                              manifest.string() + "' '" + schema.string() + "' > '" + said.string() + "' 2>&1";
  return std::system(command.c_str()) == 0 ? std::string() : "invalid: " + Bytes(said);
}

// The files of a folder, each as its name and bytes, in name order.
std::vector<std::string> FolderBytes(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> names(std::filesystem::directory_iterator(folder), {});
  std::sort(names.begin(), names.end());
  std::vector<std::string> bytes;
  for (const auto& name : names) bytes.push_back(name.filename().string() + "\n" + Bytes(name));
  return bytes;
}

struct TCommandRun {
  int Status = -1;
  std::string Out, Err;
};

TCommandRun Capture(const std::vector<std::string>& arguments) {
  std::ostringstream out, err;
  TCommandRun run;
  run.Status = RunCaptureCommand(arguments, ProgramFolder, out, err, false);
  run.Out = out.str();
  run.Err = err.str();
  return run;
}

struct TMaterial {
  const char* name;
  void (*make)(test::Mpeg2StreamOptions&);
};

class CaptureFrames : public ::testing::TestWithParam<TMaterial> {};

// --every and --at take exactly the frames the arithmetic says, each once,
// whatever the material: every still shows the counter of its frame.
TEST_P(CaptureFrames, TakesExactlyTheFramesAskedFor) {
  test::TTempFolder folder;
  test::Mpeg2StreamOptions video;
  video.frames = 48;
  video.audio = false;
  GetParam().make(video);
  const std::string path = (folder / "clip.mpg").string();
  test::WriteMpeg2ProgramStream(path, video);

  TCaptureOptions options = ParseCaptureOptions({path, "--every", "7f", "--at", "1s,33f,0.5,00:00:01.000,470f",
                                                 "--still", "weave", "--aspect", "original", "--format", "bmp",
                                                 "--to", (folder / "stills").string()});
  const TCaptureReport report = RunCapture(options, ProgramFolder);
  ASSERT_EQ(report.FrameCount, video.frames);
  const double rate = report.FrameRate;
  std::set<std::int64_t> expected;
  for (std::int64_t f = 0; f < video.frames; f += 7) expected.insert(f);
  for (double seconds : {1.0, 0.5}) expected.insert(std::llround(seconds * rate));
  expected.insert(32);  // 33f: the 33rd frame

  std::vector<std::int64_t> taken;
  for (const TCapturedStill& still : report.Stills) {
    if (!still.Error.empty()) {
      EXPECT_EQ(still.Frame, 469) << still.Error;  // beyond the last frame: named, not taken
      continue;
    }
    taken.push_back(still.Frame);
    EXPECT_EQ(CounterIn(folder / "stills" / still.File), still.Frame) << still.File;
  }
  EXPECT_EQ(taken, std::vector<std::int64_t>(expected.begin(), expected.end()));
  EXPECT_FALSE(report.AllWritten());
}

INSTANTIATE_TEST_SUITE_P(Material, CaptureFrames,
                         ::testing::Values(TMaterial{"Pal", [](test::Mpeg2StreamOptions&) {}},
                                           TMaterial{"NtscInterlaced",
                                                     [](test::Mpeg2StreamOptions& o) {
                                                       o.width = 720;
                                                       o.height = 480;
                                                       o.fpsNum = 30000;
                                                       o.fpsDen = 1001;
                                                       o.interlaced = true;
                                                     }},
                                           TMaterial{"SoftTelecinedFilm",
                                                     [](test::Mpeg2StreamOptions& o) { test::UseSoftTelecinedFilm(o); }}),
                         [](const ::testing::TestParamInfo<TMaterial>& material) { return std::string(material.param.name); });

// A DVD title's chapters: the first frame of each, numbered by chapter.
TEST(CaptureDvd, TakesTheFirstFrameOfEachChapter) {
  test::TTempFolder folder;
  test::DvdTitleSource title;
  title.video.frames = 100;
  title.chapters = "0,1,2.4";
  test::AuthorDvd((folder / "sources").string(), (folder / "disc").string(), {title});
  const TCaptureReport report =
      RunCapture(ParseCaptureOptions({(folder / "disc").string(), "--chapters", "--still", "weave", "--aspect",
                                      "original", "--format", "bmp", "--to", (folder / "stills").string()}),
                 ProgramFolder);
  EXPECT_EQ(report.Title, 1);
  ASSERT_EQ(report.Stills.size(), 3u);
  for (std::size_t i = 0; i < report.Stills.size(); ++i) {
    const TCapturedStill& still = report.Stills[i];
    ASSERT_TRUE(still.Error.empty()) << still.Error;
    EXPECT_EQ(still.Chapter, int(i + 1));
    EXPECT_EQ(still.Asked, "chapter " + std::to_string(i + 1));
    EXPECT_EQ(CounterIn(folder / "stills" / still.File), still.Frame);
  }
  // Chapters start on group boundaries near 0, 1 and 2.4 s.
  EXPECT_EQ(report.Stills[0].Frame, 0);
  EXPECT_NEAR(double(report.Stills[1].Frame), 25, 12);
  EXPECT_NEAR(double(report.Stills[2].Frame), 60, 12);

  const TCommandRun command = Capture({(folder / "disc").string(), "--chapters", "--at", "2f", "--to",
                                       (folder / "again").string(), "--manifest", (folder / "dvd.json").string()});
  ASSERT_EQ(command.Status, 0) << command.Err;
  EXPECT_EQ(SchemaErrors(folder / "dvd.json"), "");
  EXPECT_NE(Bytes(folder / "dvd.json").find("\"chapter\": 2"), std::string::npos);

  const TCommandRun titles = Capture({"--list-titles", (folder / "disc").string()});
  EXPECT_EQ(titles.Status, 0) << titles.Err;
  EXPECT_NE(titles.Out.find("    1  00:00:04"), std::string::npos) << titles.Out;
}

// A rip's chapters, as its container marks them: --chapters takes the first
// frame of each, numbered by chapter.
TEST(CaptureRip, TakesTheFirstFrameOfEachOfItsChapters) {
  test::TTempFolder folder;
  test::Mpeg2StreamOptions video;
  video.frames = 50;
  video.audio = false;
  const std::string vob = (folder / "clip.vob").string();
  test::WriteMpeg2ProgramStream(vob, video);
  const std::string meta = (folder / "chapters.txt").string();
  std::ofstream(meta) << ";FFMETADATA1\n"
                         "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=520\ntitle=One\n"
                         "[CHAPTER]\nTIMEBASE=1/1000\nSTART=520\nEND=1200\ntitle=Two\n"
                         "[CHAPTER]\nTIMEBASE=1/1000\nSTART=1200\nEND=2000\ntitle=Three\n";
  const std::string rip = (folder / "clip.mkv").string();
  const std::string remux = "ffmpeg -nostdin -hide_banner -loglevel error -y -i '" + vob + "' -i '" + meta +
                            "' -map 0:v -map_chapters 1 -c copy '" + rip + "'";
  ASSERT_EQ(std::system(remux.c_str()), 0);
  const TCaptureReport report =
      RunCapture(ParseCaptureOptions({rip, "--chapters", "--still", "weave", "--aspect", "original", "--format", "bmp",
                                      "--to", (folder / "stills").string()}),
                 ProgramFolder);
  ASSERT_EQ(report.Stills.size(), 3u);
  for (std::size_t i = 0; i < report.Stills.size(); ++i) {
    const TCapturedStill& still = report.Stills[i];
    ASSERT_TRUE(still.Error.empty()) << still.Error;
    EXPECT_EQ(still.Chapter, int(i + 1));
    EXPECT_EQ(CounterIn(folder / "stills" / still.File), still.Frame);
  }
  EXPECT_EQ(report.Stills[1].Frame, 13);  // 0.52 s at 25 frames a second
  EXPECT_EQ(report.Stills[2].Frame, 30);
}

// A title whose video spans several VOB files (a disc splits them at 1 GiB;
// here the one file is split in two at a sector in its middle, as libdvdread
// reads them alike): every frame still lands exactly.
TEST(CaptureDvd, ATitleAcrossTwoVobFilesTakesExactFrames) {
  test::TTempFolder folder;
  test::DvdTitleSource title;
  title.video.frames = 90;
  test::AuthorDvd((folder / "sources").string(), (folder / "disc").string(), {title});
  const std::filesystem::path first = folder / "disc" / "VIDEO_TS" / "VTS_01_1.VOB";
  const std::string whole = Bytes(first);
  const std::size_t half = whole.size() / 2 / 2048 * 2048;
  ASSERT_GT(half, 0u);
  std::ofstream(first, std::ios::binary | std::ios::trunc).write(whole.data(), std::streamsize(half));
  std::ofstream(folder / "disc" / "VIDEO_TS" / "VTS_01_2.VOB", std::ios::binary)
      .write(whole.data() + half, std::streamsize(whole.size() - half));

  const TCaptureReport report =
      RunCapture(ParseCaptureOptions({(folder / "disc").string(), "--every", "11f", "--at", "90f", "--still", "weave",
                                      "--aspect", "original", "--format", "bmp", "--to", (folder / "stills").string()}),
                 ProgramFolder);
  ASSERT_EQ(report.FrameCount, 90);
  std::vector<std::int64_t> taken;
  for (const TCapturedStill& still : report.Stills) {
    ASSERT_TRUE(still.Error.empty()) << still.Error;
    taken.push_back(still.Frame);
    EXPECT_EQ(CounterIn(folder / "stills" / still.File), still.Frame) << still.File;
  }
  EXPECT_EQ(taken, (std::vector<std::int64_t>{0, 11, 22, 33, 44, 55, 66, 77, 88, 89}));
}

// --crop-bars: a 2.35:1 film between bars in a 16:9 PAL frame is stored
// without them, in its true shape, and the manifest says what was kept.
TEST(CaptureBars, CutsTheBarsOffAFilmOfAnotherShape) {
  test::TTempFolder folder;
  test::Mpeg2StreamOptions video;
  video.frames = 60;
  video.audio = false;
  video.aspectWidth = 16;
  video.aspectHeight = 9;
  video.drawPicture = [](AVFrame* picture, int index) {
    for (int y = 0; y < picture->height; ++y)
      for (int x = 0; x < picture->width; ++x) {
        const bool film = y >= 72 && y < 504;
        picture->data[0][y * picture->linesize[0] + x] =
            std::uint8_t(film ? 40 + (x * 3 + y * 2 + index * 9) % 180 : 16);
        if (x % 2 == 0 && y % 2 == 0) {
          picture->data[1][(y / 2) * picture->linesize[1] + x / 2] = std::uint8_t(film ? 100 + (x + index) % 60 : 128);
          picture->data[2][(y / 2) * picture->linesize[2] + x / 2] = 128;
        }
      }
  };
  const std::string path = (folder / "scope.mpg").string();
  test::WriteMpeg2ProgramStream(path, video);
  const TCommandRun run = Capture({path, "--at", "30f", "--crop-bars", "--aspect", "square", "--format", "bmp", "--to",
                                   (folder / "stills").string(), "--manifest", (folder / "m.json").string()});
  ASSERT_EQ(run.Status, 0) << run.Err;
  std::vector<std::filesystem::path> stills(std::filesystem::directory_iterator(folder / "stills"), {});
  ASSERT_EQ(stills.size(), 1u);
  TFastDIB still;
  ASSERT_TRUE(still.LoadFromFile(stills[0].string()));
  EXPECT_EQ(still.Width(), 1024);
  EXPECT_NEAR(still.RowCount(), 432, 2);
  EXPECT_NE(Bytes(folder / "m.json").find("\"kept\": {\"left\": 0, \"top\": 72, \"width\": 720, \"height\": 432}"),
            std::string::npos)
      << Bytes(folder / "m.json");
  EXPECT_EQ(SchemaErrors(folder / "m.json"), "");
}

class CaptureCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::Mpeg2StreamOptions video;
    video.frames = 30;
    video.audio = false;
    Video_ = (Folder_ / "clip.mpg").string();
    test::WriteMpeg2ProgramStream(Video_, video);
  }
  test::TTempFolder Folder_;
  std::string Video_;
};

TEST_F(CaptureCommandTest, ExitStatusesSayHowItWent) {
  std::ofstream(Folder_ / "a-file") << "in the way";
  std::ofstream(Folder_ / "text.mpg") << "not a video at all, only words";
  const struct {
    const char* what;
    std::vector<std::string> arguments;
    int status;
    const char* says;
  } cases[] = {
      {"every still written", {Video_, "--count", "3", "--to", (Folder_ / "ok").string()}, 0, ""},
      {"a bad option", {Video_, "--count", "3", "--to", "x", "--sharp"}, 2, "unknown option \"--sharp\"\nUsage:"},
      {"a missing file", {(Folder_ / "gone.mpg").string(), "--count", "3", "--to", "x"}, 2, "does not exist"},
      {"no video", {(Folder_ / "text.mpg").string(), "--count", "3", "--to", "x"}, 2, "cannot be opened. It is not"},
      {"a folder that cannot be written", {Video_, "--count", "2", "--to", (Folder_ / "a-file").string()}, 1,
       "frame 1 (count): "},
      {"a frame beyond the end", {Video_, "--at", "3f,99f", "--to", (Folder_ / "some").string()}, 1,
       "frame 99 (99f): frame 99 lies beyond the video's last frame (30)"},
      {"no titles in a file", {"--list-titles", Video_}, 2, "is no DVD folder or disc image"},
      {"help", {"--help", "--count", "x"}, 0, ""},
  };
  for (const auto& c : cases) {
    const TCommandRun run = Capture(c.arguments);
    EXPECT_EQ(run.Status, c.status) << c.what << ": " << run.Err;
    EXPECT_NE(run.Err.find(c.says), std::string::npos) << c.what << ": " << run.Err;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder_ / "ok"), {}), 3);
}

TEST_F(CaptureCommandTest, AnEncryptedTitleIsRefused) {
  test::DvdTitleSource title;
  title.video.frames = 30;
  test::AuthorDvd((Folder_ / "sources").string(), (Folder_ / "disc").string(), {title});
  test::SpoilSectors((Folder_ / "disc" / "VIDEO_TS" / "VTS_01_1.VOB").string(), test::SectorSpoil::Scrambled);
  const TCommandRun run = Capture({(Folder_ / "disc").string(), "--count", "2", "--to", (Folder_ / "x").string()});
  EXPECT_EQ(run.Status, 2);
  EXPECT_NE(run.Err.find("encrypted"), std::string::npos) << run.Err;
}

// The same command on the same input: the same files and manifest, byte for
// byte, in every format, also a second later.
TEST_F(CaptureCommandTest, TheSameInputGivesTheSameBytes) {
  for (const char* format : {"png", "jpeg", "bmp", "pdf"}) {
    std::vector<std::string> manifests;
    std::vector<std::vector<std::string>> files;
    for (const char* run : {"first", "second"}) {
      if (!manifests.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1100));
      const std::filesystem::path to = Folder_ / (std::string(format) + "-" + run);
      const TCommandRun done = Capture({Video_, "--every", "10f", "--format", format, "--to", to.string(), "--json"});
      ASSERT_EQ(done.Status, 0) << done.Err;
      manifests.push_back(done.Out);
      files.push_back(FolderBytes(to));
    }
    EXPECT_EQ(files[0].size(), 3u) << format;
    EXPECT_TRUE(files[0] == files[1]) << format;
    EXPECT_EQ(manifests[0], manifests[1]) << format;
  }
}

TEST_F(CaptureCommandTest, TheManifestFollowsItsSchema) {
  const std::filesystem::path manifest = Folder_ / "manifest.json";
  const TCommandRun run = Capture({Video_, "--count", "2", "--at", "99f", "--still", "blend", "--to",
                                   (Folder_ / "stills").string(), "--manifest", manifest.string()});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(SchemaErrors(manifest), "");
  EXPECT_NE(Bytes(manifest).find("\"error\""), std::string::npos);
  // And the validator does say no to what breaks the schema.
  std::ofstream(Folder_ / "broken.json") << "{\"source\": \"x\", \"stills\": [{\"frame\": \"one\"}]}";
  EXPECT_NE(SchemaErrors(Folder_ / "broken.json"), "");
}

// Captures of several discs at once on one machine (or many) give what one
// capture alone gives: the program, run three times at once, writes the same
// bytes as when run alone.
TEST_F(CaptureCommandTest, RunsAtOnceGiveTheBytesOfOneRun) {
  const std::string kelta = (ProgramFolder / "kelta").string();
  const auto command = [&](const std::string& name) {
    // No display: the command needs none, for its contact sheet neither.
    return "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" + kelta + "' capture '" + Video_ +
           "' --every 7f --format jpeg --to '" + (Folder_ / name).string() + "' --manifest '" +
           (Folder_ / (name + ".json")).string() + "' --sheet '" + (Folder_ / name / "sheet.png").string() + "'";
  };
  ASSERT_EQ(std::system(command("alone").c_str()), 0);
  const std::string together =
      "(" + command("one") + ") & (" + command("two") + ") & (" + command("three") + ") & wait";
  ASSERT_EQ(std::system(together.c_str()), 0);
  const std::vector<std::string> alone = FolderBytes(Folder_ / "alone");
  EXPECT_EQ(alone.size(), 6u);  // five stills and the sheet
  for (const char* name : {"one", "two", "three"}) {
    EXPECT_TRUE(FolderBytes(Folder_ / name) == alone) << name;
    EXPECT_EQ(Bytes(Folder_ / (std::string(name) + ".json")), Bytes(Folder_ / "alone.json")) << name;
  }
}

}  // namespace
}  // namespace kelta
