// Subtitles of a DVD authored at test time (support/SubtitledDvd.h): spumux
// lays two sub-picture streams in colours no default palette has into a
// title, at two places on the frame, and dvdauthor takes their palette into
// the title's IFO. A still is made as the frame bar makes it (the clean
// still, then the chosen subtitle over it) and compared with the composite
// the fixture works out on its own from the pictures spumux was given and
// the IFO's palette.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/FastDIB.h"
#include "imaging/ImageUtils.h"
#include "support/SubtitledDvd.h"
#include "support/TempFolder.h"
#include "video/DvdDisc.h"
#include "video/MPEG2Decoder.h"
#include "video/SubtitleOverlay.h"

using kelta::TDvdDisc;
using kelta::TDvdTitle;
using kelta::TFastDIB;
using kelta::TMPEG2Decoder;

namespace {

using kelta::test::SubtitleArt;

std::int64_t FrameAt(double seconds) {
  return std::int64_t(std::lround(seconds * kelta::test::SubtitledDvdFramesPerSecond));
}

class DvdSubtitleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kelta::SetDvdReaderFolder(KELTA_PROGRAM_DIR);
    Scratch_ = std::make_unique<kelta::test::TTempFolder>();
    try {
      const kelta::test::SubtitledDvd dvd = kelta::test::AuthorSubtitledDvd(Scratch_->Path().string());
      Subtitled_ = dvd.folder;
      Image_ = dvd.image;
      Plain_ = dvd.plain;
      Vob_ = dvd.video;
      Joined_ = dvd.joined;
    } catch (const std::exception& error) {
      Failure_ = error.what();
    }
  }
  static void TearDownTestSuite() { Scratch_.reset(); }
  void SetUp() override { ASSERT_TRUE(Failure_.empty()) << Failure_; }

  // The still of frame `number` of the disc's title as the frame bar makes
  // it: the clean still, then the chosen stream's subtitle over it.
  static TFastDIB Still(TMPEG2Decoder& decoder, std::int64_t number) {
    TFastDIB still;
    EXPECT_TRUE(decoder.SeekFrame(number));
    EXPECT_TRUE(decoder.GetFrame(0));
    kelta::TStillKind kind{};
    const kelta::FrameView clean = decoder.CleanStill(kind);
    still.SetSize(decoder.Info().Width, decoder.Info().Height, 24);
    EXPECT_TRUE(kelta::CopyFrameBits(clean, still));
    kelta::TSubtitleImage subtitle;
    if (decoder.Subtitle(subtitle)) kelta::DrawSubtitle(subtitle, still);
    return still;
  }
  static void OpenTitle(TMPEG2Decoder& decoder, const TDvdDisc& disc) {
    decoder.OpenDvdCells(disc.Titles.at(0).Cells, "title");
  }
  static bool Same(const TFastDIB& a, const TFastDIB& b) {
    return a.ImageSize() == b.ImageSize() && std::equal(a.Bits(), a.Bits() + a.ImageSize(), b.Bits());
  }

  static inline std::unique_ptr<kelta::test::TTempFolder> Scratch_;
  static inline std::string Failure_, Plain_, Subtitled_, Image_, Vob_, Joined_;
};

TEST_F(DvdSubtitleTest, ListsTheStreamsWithTheirLanguagesAndPalette) {
  const TDvdDisc disc = kelta::ReadDvdDisc(Subtitled_);
  const TDvdTitle& title = disc.Titles.at(0);
  ASSERT_EQ(title.Subtitles.size(), 2u);
  EXPECT_EQ(title.Subtitles[0].Stream, 0);
  EXPECT_EQ(title.Subtitles[0].Language, "en");
  EXPECT_EQ(title.Subtitles[1].Stream, 1);
  EXPECT_EQ(title.Subtitles[1].Language, "fr");
  ASSERT_EQ(title.Palette.size(), 16u);
  TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  OpenTitle(decoder, disc);
  EXPECT_EQ(decoder.SubtitleStreams(), 0b11u);
  TMPEG2Decoder plain(KELTA_PROGRAM_DIR);
  OpenTitle(plain, kelta::ReadDvdDisc(Plain_));
  EXPECT_EQ(plain.SubtitleStreams(), 0u);
}

// Each stream at a moment it shows, from the folder and from the image: the
// still matches the composite inside the subtitle's box; every opaque pixel
// is its palette colour.
TEST_F(DvdSubtitleTest, StillWithSubtitleMatchesTheCompositeInThePalettesColours) {
  struct Case {
    int stream;
    const SubtitleArt* art;
    double at;
  };
  for (const std::string& location : {Subtitled_, Image_}) {
    const TDvdDisc disc = kelta::ReadDvdDisc(location);
    const std::vector<std::uint32_t>& palette = disc.Titles.at(0).Palette;
    TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
    OpenTitle(decoder, disc);
    for (const Case& c : {Case{0, &kelta::test::LowSubtitle(), 0.8}, Case{1, &kelta::test::HighSubtitle(), 1.5}}) {
      SCOPED_TRACE(location + ", stream " + std::to_string(c.stream));
      ASSERT_TRUE(decoder.SetSubtitleStream(-1, palette));
      const TFastDIB plain = Still(decoder, FrameAt(c.at));
      ASSERT_TRUE(decoder.SetSubtitleStream(c.stream, palette));
      const TFastDIB still = Still(decoder, FrameAt(c.at));
      const kelta::test::SubtitleMatch match = kelta::test::CompareWithComposite(
          still.Bits(), plain.Bits(), still.RowCount(), still.RowStride(), *c.art, palette);
      std::printf("stream %d: PSNR %.2f dB in the box, opaque pixels within %.0f\n", c.stream, match.psnr,
                  match.opaqueError);
      EXPECT_GE(match.psnr, 40.0);
      EXPECT_LE(match.opaqueError, 1.0);
    }
  }
}

// With video levels kept (16..235), the subtitle's colours are given in
// them too, also when the choice of levels comes after the stream's.
TEST_F(DvdSubtitleTest, SubtitleColoursFollowTheFramesLevels) {
  const TDvdDisc disc = kelta::ReadDvdDisc(Subtitled_);
  const std::vector<std::uint32_t>& palette = disc.Titles.at(0).Palette;
  TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  OpenTitle(decoder, disc);
  decoder.SetRGBScaleFlag(false);
  const TFastDIB plain = Still(decoder, FrameAt(0.8));
  decoder.SetRGBScaleFlag(true);
  ASSERT_TRUE(decoder.SetSubtitleStream(0, palette));
  decoder.SetRGBScaleFlag(false);
  const TFastDIB still = Still(decoder, FrameAt(0.8));
  const kelta::test::SubtitleMatch match = kelta::test::CompareWithComposite(
      still.Bits(), plain.Bits(), still.RowCount(), still.RowStride(), kelta::test::LowSubtitle(), palette, true);
  std::printf("video levels: PSNR %.2f dB in the box, opaque pixels within %.0f\n", match.psnr, match.opaqueError);
  EXPECT_GE(match.psnr, 40.0);
  EXPECT_LE(match.opaqueError, 1.0);
}

// Subtitles show from their start to their end only; with none chosen, or
// where none shows, the still is byte for byte the one of the same disc
// authored without subtitles.
TEST_F(DvdSubtitleTest, WithoutASubtitleShowingTheStillIsTheSubtitlelessDiscs) {
  const TDvdDisc subtitled = kelta::ReadDvdDisc(Subtitled_);
  const std::vector<std::uint32_t>& palette = subtitled.Titles.at(0).Palette;
  TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  OpenTitle(decoder, subtitled);
  TMPEG2Decoder plain(KELTA_PROGRAM_DIR);
  OpenTitle(plain, kelta::ReadDvdDisc(Plain_));
  struct Case {
    int stream;
    double at;
    bool shows;
  };
  for (const Case& c : {Case{-1, 0.8, false}, Case{-1, 1.5, false}, Case{0, 0.1, false}, Case{0, 0.8, true},
                        Case{0, 1.6, false}, Case{1, 0.3, false}, Case{1, 1.5, true}}) {
    SCOPED_TRACE("stream " + std::to_string(c.stream) + " at " + std::to_string(c.at));
    ASSERT_TRUE(decoder.SetSubtitleStream(c.stream, palette));
    const TFastDIB still = Still(decoder, FrameAt(c.at));
    kelta::TSubtitleImage subtitle;
    EXPECT_EQ(decoder.Subtitle(subtitle), c.shows);
    EXPECT_EQ(Same(still, Still(plain, FrameAt(c.at))), !c.shows);
  }
  // A new open starts without subtitles.
  OpenTitle(decoder, subtitled);
  EXPECT_TRUE(Same(Still(decoder, FrameAt(0.8)), Still(plain, FrameAt(0.8))));
}

// The title's video as a plain file offers its streams too; without a
// palette the decoder's greys draw the subtitle in the same box.
TEST_F(DvdSubtitleTest, PlainFileDrawsItsStreamsInFallbackGreys) {
  TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.Open(Vob_);
  EXPECT_EQ(decoder.SubtitleStreams(), 0b11u);
  EXPECT_FALSE(decoder.SetSubtitleStream(2, {}));
  ASSERT_TRUE(decoder.SetSubtitleStream(0, {}));
  Still(decoder, FrameAt(0.8));
  kelta::TSubtitleImage subtitle;
  ASSERT_TRUE(decoder.Subtitle(subtitle));
  // The decoder trims clear edges: the box lies within the picture's.
  const SubtitleArt& Low = kelta::test::LowSubtitle();
  EXPECT_GE(subtitle.X, Low.x);
  EXPECT_GE(subtitle.Y, Low.y);
  EXPECT_LE(subtitle.X + subtitle.Width, Low.x + Low.width);
  EXPECT_LE(subtitle.Y + subtitle.Height, Low.y + Low.height);
  int opaque = 0;
  for (std::size_t i = 0; i + 3 < subtitle.Pixels.size(); i += 4) {
    if (subtitle.Pixels[i + 3] != 255) continue;
    ++opaque;
    EXPECT_EQ(subtitle.Pixels[i], subtitle.Pixels[i + 1]);
    EXPECT_EQ(subtitle.Pixels[i], subtitle.Pixels[i + 2]);
  }
  EXPECT_GT(opaque, 0);
}

// Where the clock starts again, as between a disc's parts, each part shows
// its own subtitles at its own times only, never another part's that share
// its times.
TEST_F(DvdSubtitleTest, SubtitlesKeepToThePartOfTheVideoTheyBelongTo) {
  TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.Open(Joined_);
  const std::int64_t part = decoder.FrameCount() / 2;
  ASSERT_EQ(part, FrameAt(2.0));
  ASSERT_TRUE(decoder.SetSubtitleStream(0, {}));
  const SubtitleArt& low = kelta::test::LowSubtitle();
  const SubtitleArt& high = kelta::test::HighSubtitle();
  struct Case {
    std::int64_t frame;
    const SubtitleArt* shown;  // null: none
  };
  for (const Case& c : {Case{FrameAt(0.8), &low}, Case{FrameAt(1.6), nullptr}, Case{part + FrameAt(0.2), nullptr},
                        Case{part + FrameAt(0.5), nullptr}, Case{part + FrameAt(1.4), &high},
                        Case{FrameAt(0.8), &low}}) {
    SCOPED_TRACE("frame " + std::to_string(c.frame));
    Still(decoder, c.frame);
    kelta::TSubtitleImage subtitle;
    ASSERT_EQ(decoder.Subtitle(subtitle), c.shown != nullptr);
    if (!c.shown) continue;
    // The decoder trims clear edges: the box lies within the picture's.
    EXPECT_GE(subtitle.Y, c.shown->y);
    EXPECT_LE(subtitle.Y + subtitle.Height, c.shown->y + c.shown->height);
  }
}

}  // namespace
