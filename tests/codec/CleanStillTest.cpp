// Clean stills from the plugin's video source, against the progressive
// pictures the clips were made from: interlaced video where nothing moves is
// woven, moving interlaced video deinterlaced, hard-telecined film rebuilt in
// every phase of its cadence, and progressive or soft-telecined frames come
// out exactly as the plain frame. Every bound lies well above what the line
// blend reaches on the same frames (28 to 34 dB), the pan's above yadif's
// and the moving pattern's far above bwdif's (see bench/codec/StillBench.cpp),
// and no still moves the frame the source gives next.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "codec/FrameConverter.h"
#include "codec/VideoSource.h"
#include "support/CodecLibrary.h"
#include "support/FieldClips.h"
#include "support/Psnr.h"
#include "support/TempFolder.h"
#include "support/VideoFixture.h"

namespace fs = std::filesystem;
using kelta::codec::VideoSource;
using kelta::test::FieldClip;
using kelta::test::FieldClipOptions;
using kelta::test::Making;
using kelta::test::Scene;

namespace {

struct StillCase {
  const char* name;
  Scene scene;
  Making making;
  // The kind each frame gets (the frame number modulo the size of the
  // list: one cadence, or the whole clip).
  std::vector<KeltaCodecStillKind> kinds;
  double minPsnr;  // dB against the picture the still should show
  bool flaggedProgressive = false;
  bool bottomFirst = false;
};

void PrintTo(const StillCase& c, std::ostream* os) { *os << c.name; }

class CleanStillQuality : public ::testing::TestWithParam<StillCase> {};

TEST_P(CleanStillQuality, EveryFrameComesCloseToItsSourcePicture) {
  const StillCase& c = GetParam();
  const kelta::test::TTempFolder folder;
  const std::string path = (folder / "clip.mpg").string();
  FieldClipOptions o;
  o.scene = c.scene;
  o.making = c.making;
  o.flaggedProgressive = c.flaggedProgressive;
  o.bottomFirst = c.bottomFirst;
  o.frames = 12;
  const FieldClip clip = kelta::test::WriteFieldClip(path, o);

  VideoSource video, plain;
  ASSERT_TRUE(video.Open(path));
  ASSERT_TRUE(plain.Open(path));
  ASSERT_EQ(video.FrameCount(), o.frames);
  kelta::codec::FrameConverter converter;
  std::vector<std::uint8_t> truth(kelta::Bgr24FrameBytes(clip.width, clip.height));
  // The first and last frames lack a neighbour: the clip's inside is judged.
  for (int n = 0; n < o.frames - 1; ++n) {
    const std::uint8_t* frame = video.NextFrame();
    const std::uint8_t* plainFrame = plain.NextFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(std::memcmp(frame, plainFrame, truth.size()), 0) << "frame " << n << " is not the plain frame";
    KeltaCodecStillKind kind{};
    const std::uint8_t* still = video.CleanStillFrame(kind);
    ASSERT_NE(still, nullptr);
    EXPECT_EQ(video.FrameNumber(), n);
    if (n == 0) continue;
    EXPECT_EQ(kind, c.kinds[std::size_t(n) % c.kinds.size()]) << "frame " << n;
    converter.Convert(clip.truth[std::size_t(n)].get(), clip.width, clip.height, truth.data());
    EXPECT_GE(kelta::test::Psnr(still, truth.data(), clip.width, clip.height), c.minPsnr) << "frame " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Clips, CleanStillQuality,
    ::testing::Values(
        StillCase{.name = "StillSceneWoven",
                  .scene = Scene::Still,
                  .making = Making::FieldsFromPictures,
                  .kinds = {KeltaStillWoven},
                  .minPsnr = 42.0},
        // Deinterlaced for the box's few combs, the rest left as it is.
        StillCase{.name = "SmallMoverDeinterlaced",
                  .scene = Scene::SmallMover,
                  .making = Making::FieldsFromPictures,
                  .kinds = {KeltaStillDeinterlaced},
                  .minPsnr = 42.0},
        StillCase{.name = "MovingPatternDeinterlaced",
                  .scene = Scene::Pattern,
                  .making = Making::FieldsFromPictures,
                  .kinds = {KeltaStillDeinterlaced},
                  .minPsnr = 40.0},
        StillCase{.name = "PanDeinterlaced",
                  .scene = Scene::Pan,
                  .making = Making::FieldsFromPictures,
                  .kinds = {KeltaStillDeinterlaced},
                  .minPsnr = 39.0},
        StillCase{.name = "PanBottomFieldFirstDeinterlaced",
                  .scene = Scene::Pan,
                  .making = Making::FieldsFromPictures,
                  .kinds = {KeltaStillDeinterlaced},
                  .minPsnr = 39.0,
                  .bottomFirst = true},
        // 2:3 pulldown: frames 2 and 3 of every five mix two film frames.
        StillCase{.name = "TelecinedFilmRebuilt",
                  .scene = Scene::Pan,
                  .making = Making::HardTelecine,
                  .kinds = {KeltaStillWoven, KeltaStillWoven, KeltaStillFilmRebuilt, KeltaStillFilmRebuilt,
                            KeltaStillWoven},
                  .minPsnr = 42.0},
        // Cut after a mixed frame: its second field belongs to no frame of the
        // clip, and the next shot's cadence starts anew (its first frames,
        // coded across the cut, come out a little softer from the encoder).
        StillCase{.name = "TelecinedFilmCutMidCadence",
                  .scene = Scene::Pan,
                  .making = Making::HardTelecineWithEdit,
                  .kinds = {KeltaStillWoven, KeltaStillWoven, KeltaStillFilmRebuilt, KeltaStillFilmRebuilt,
                            KeltaStillWoven, KeltaStillWoven, KeltaStillWoven, KeltaStillFilmRebuilt,
                            KeltaStillWoven, KeltaStillWoven, KeltaStillFilmRebuilt, KeltaStillFilmRebuilt},
                  .minPsnr = 40.0},
        // The same film with every frame flagged progressive: the combs decide.
        StillCase{.name = "TelecinedFilmFlaggedProgressive",
                  .scene = Scene::Pan,
                  .making = Making::HardTelecine,
                  .kinds = {KeltaStillProgressive, KeltaStillProgressive, KeltaStillFilmRebuilt,
                            KeltaStillFilmRebuilt, KeltaStillProgressive},
                  .minPsnr = 40.0,
                  .flaggedProgressive = true}),
    [](const ::testing::TestParamInfo<StillCase>& row) { return std::string(row.param.name); });

struct PlainCase {
  const char* name;
  bool softTelecine;
};

void PrintTo(const PlainCase& c, std::ostream* os) { *os << c.name; }

class ProgressiveStill : public ::testing::TestWithParam<PlainCase> {};

TEST_P(ProgressiveStill, IsThePlainFrameByteForByte) {
  const PlainCase& c = GetParam();
  kelta::test::Mpeg2StreamOptions o;
  o.frames = 12;
  o.audio = false;
  if (c.softTelecine) kelta::test::UseSoftTelecinedFilm(o);
  const kelta::test::TTempFolder folder;
  const std::string path = (folder / "clip.mpg").string();
  kelta::test::WriteMpeg2ProgramStream(path, o);

  VideoSource video;
  ASSERT_TRUE(video.Open(path));
  const std::size_t bytes = kelta::Bgr24FrameBytes(o.width, o.height);
  for (int n = 0; n < o.frames; ++n) {
    const std::uint8_t* frame = video.NextFrame();
    ASSERT_NE(frame, nullptr);
    const std::vector<std::uint8_t> shown(frame, frame + bytes);
    KeltaCodecStillKind kind = KeltaStillDeinterlaced;
    const std::uint8_t* still = video.CleanStillFrame(kind);
    ASSERT_NE(still, nullptr);
    EXPECT_EQ(kind, KeltaStillProgressive) << "frame " << n;
    EXPECT_EQ(std::memcmp(still, shown.data(), bytes), 0) << "frame " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Clips, ProgressiveStill,
                         ::testing::Values(PlainCase{"Progressive", false}, PlainCase{"SoftTelecine", true}),
                         [](const ::testing::TestParamInfo<PlainCase>& row) { return std::string(row.param.name); });

// Through codec.so as Kelta loads it: the entry point is there, gives a
// still of the frame shown and leaves stepping, seeking and numbers alone.
TEST(CleanStillEntryPoint, LeavesNavigationAsItWas) {
  const kelta::test::TTempFolder folder;
  const std::string path = (folder / "clip.mpg").string();
  FieldClipOptions o;
  o.frames = 10;
  const FieldClip clip = kelta::test::WriteFieldClip(path, o);
  const std::size_t bytes = kelta::Bgr24FrameBytes(clip.width, clip.height);

  std::vector<std::vector<std::uint8_t>> plainFrames;
  kelta::test::CodecLibrary codec(kelta::test::BuiltCodecPath());
  ASSERT_NE(codec.Optional().getCleanStill, nullptr);
  std::int32_t kind = -1;
  ASSERT_TRUE(codec.openFile(path.c_str(), 0, -1));
  EXPECT_EQ(codec.Optional().getCleanStill(&kind), nullptr) << "no frame was shown yet";
  while (const std::uint8_t* frame = codec.getFrame()) plainFrames.emplace_back(frame, frame + bytes);
  ASSERT_EQ(plainFrames.size(), std::size_t(o.frames));

  ASSERT_TRUE(codec.openFile(path.c_str(), 0, -1));
  for (int n = 0; n < o.frames; ++n) {
    const std::uint8_t* frame = codec.getFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(std::memcmp(frame, plainFrames[std::size_t(n)].data(), bytes), 0) << "frame " << n;
    const KeltaCodecFileInfo before = codec.FileInfo();
    ASSERT_NE(codec.Optional().getCleanStill(&kind), nullptr);
    EXPECT_EQ(kind, n == 0 ? kind : KeltaStillDeinterlaced) << "frame " << n;
    ASSERT_NE(codec.Optional().getCleanStill(nullptr), nullptr);
    EXPECT_EQ(codec.Optional().getFrameNumber(), n);
    const KeltaCodecFileInfo after = codec.FileInfo();
    EXPECT_EQ(after.Position, before.Position);
    EXPECT_EQ(after.Time, before.Time);
  }
  // A step back through the cache, then a still: the next frame follows it.
  ASSERT_TRUE(codec.Optional().seekFrame(4));
  ASSERT_NE(codec.getFrame(), nullptr);
  ASSERT_NE(codec.Optional().getCleanStill(&kind), nullptr);
  const std::uint8_t* fifth = codec.getFrame();
  ASSERT_NE(fifth, nullptr);
  EXPECT_EQ(std::memcmp(fifth, plainFrames[5].data(), bytes), 0);
  EXPECT_EQ(codec.Optional().getFrameNumber(), 5);
  codec.closeFile();
}

}  // namespace
