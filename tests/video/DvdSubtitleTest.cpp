// Subtitles of a DVD authored at test time: spumux lays two sub-picture
// streams of pictures in colours no default palette has into a title, at two
// places on the frame, and dvdauthor takes their palette into the title's
// IFO. A still is made as the frame bar makes it (the clean still, then the
// chosen subtitle over it) and compared with a composite this test works out
// on its own from the PNG pictures spumux was given and the IFO's palette.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/FastDIB.h"
#include "imaging/ImageUtils.h"
#include "support/DvdFixture.h"
#include "support/TempFolder.h"
#include "video/DvdDisc.h"
#include "video/MPEG2Decoder.h"
#include "video/SubtitleOverlay.h"

using kelta::TDvdDisc;
using kelta::TDvdTitle;
using kelta::TFastDIB;
using kelta::TMPEG2Decoder;

namespace {

struct Rgba {
  std::uint8_t r, g, b, a;
};

// A subtitle picture as spumux is given it: its box on the frame and what
// each of its pixels is.
struct Picture {
  int x, y, width, height;
  std::function<Rgba(int, int)> pixel;
  double start, end;  // seconds
};

// Stream 0, low on the frame: an orange line with a cyan word in it, a
// half-clear purple underline and nothing at its right end.
const Picture Low{100, 480, 200, 40,
                  [](int x, int y) -> Rgba {
                    if (x >= 160) return {0, 0, 0, 0};
                    if (y >= 32) return {180, 40, 190, 136};
                    if (x >= 20 && x < 80 && y >= 8 && y < 24) return {40, 200, 220, 255};
                    return {250, 120, 20, 255};
                  },
                  0.4, 1.2};
// Stream 1, high on the frame: a yellow chequer on clear.
const Picture High{300, 60, 120, 30,
                   [](int x, int y) -> Rgba {
                     return (x / 10 + y / 10) % 2 ? Rgba{230, 230, 40, 255} : Rgba{0, 0, 0, 0};
                   },
                   0.6, 1.8};

struct Colour {
  double r, g, b;
};

// A palette entry 0x00YYCrCb in RGB of full range, from the BT.601
// definition: luma weights 0.299 and 0.114, video levels 16..235 and
// 16..240.
Colour PaletteRgb(std::uint32_t entry) {
  const double y = (double((entry >> 16) & 0xFF) - 16.0) * 255.0 / 219.0;
  const double cr = (double((entry >> 8) & 0xFF) - 128.0) * 255.0 / 224.0;
  const double cb = (double(entry & 0xFF) - 128.0) * 255.0 / 224.0;
  const double kr = 0.299, kb = 0.114, kg = 1.0 - kr - kb;
  return {y + 2.0 * (1.0 - kr) * cr, y - 2.0 * (1.0 - kb) * kb / kg * cb - 2.0 * (1.0 - kr) * kr / kg * cr,
          y + 2.0 * (1.0 - kb) * cb};
}

double Distance(const Colour& c, const Rgba& p) {
  return std::abs(c.r - p.r) + std::abs(c.g - p.g) + std::abs(c.b - p.b);
}

// The palette entry spumux chose for a picture's colour: the nearest.
Colour EntryFor(const std::vector<std::uint32_t>& palette, const Rgba& p) {
  Colour best = PaletteRgb(palette.at(0));
  for (const std::uint32_t entry : palette)
    if (Distance(PaletteRgb(entry), p) < Distance(best, p)) best = PaletteRgb(entry);
  return best;
}

double Channel(const TFastDIB& frame, int x, int y, int c) { return frame.PixelPtr(x, y)[c]; }

// PSNR of `still` against the picture laid over `plain` in the palette's
// colours, with its opacity in the sixteen steps of a DVD's contrast,
// inside the picture's box; and the largest difference of an opaque pixel
// from its palette colour.
struct Match {
  double psnr = 0;
  double opaqueError = 0;
};
Match Compare(const TFastDIB& still, const TFastDIB& plain, const Picture& picture,
              const std::vector<std::uint32_t>& palette) {
  double squares = 0;
  Match match;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgba p = picture.pixel(x, y);
      const double alpha = std::round(p.a / 17.0) * 17.0 / 255.0;
      const Colour c = EntryFor(palette, p);
      const double colour[3] = {c.b, c.g, c.r};  // the frame's order
      for (int ch = 0; ch < 3; ++ch) {
        const double shown = Channel(still, picture.x + x, picture.y + y, ch);
        const double below = Channel(plain, picture.x + x, picture.y + y, ch);
        const double expected = std::round(std::clamp(colour[ch], 0.0, 255.0) * alpha + below * (1.0 - alpha));
        squares += (shown - expected) * (shown - expected);
        if (p.a == 255) match.opaqueError = std::max(match.opaqueError, std::abs(shown - expected));
      }
    }
  }
  const double mse = squares / (3.0 * picture.width * picture.height);
  match.psnr = mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
  return match;
}

void WritePicture(const Picture& picture, const std::string& path) {
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const Rgba p = picture.pixel(x, y);
      rgba.insert(rgba.end(), {p.r, p.g, p.b, p.a});
    }
  kelta::test::WriteRgbaPng(path, picture.width, picture.height, rgba);
}

constexpr int FramesPerSecond = 25;
std::int64_t FrameAt(double seconds) { return std::int64_t(std::lround(seconds * FramesPerSecond)); }

class DvdSubtitleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kelta::SetDvdReaderFolder(KELTA_PROGRAM_DIR);
    Scratch_ = std::make_unique<kelta::test::TTempFolder>();
    const std::string work = Scratch_->Path().string();
    try {
      WritePicture(Low, work + "/low.png");
      WritePicture(High, work + "/high.png");
      kelta::test::DvdTitleSource title;
      title.video.frames = 2 * FramesPerSecond;
      Plain_ = work + "/PLAIN";
      kelta::test::AuthorDvd(work + "/plain-sources", Plain_, {title});
      auto shown = [&](const Picture& p, const std::string& png) {
        return kelta::test::DvdSubtitlePicture{work + "/" + png, p.start, p.end, p.x, p.y};
      };
      title.subtitles = {{"en", {shown(Low, "low.png")}}, {"fr", {shown(High, "high.png")}}};
      Subtitled_ = work + "/SUBTITLED";
      Vob_ = kelta::test::AuthorDvd(work + "/sources", Subtitled_, {title}).at(0);
      Image_ = work + "/subtitled.iso";
      kelta::test::MakeDiscImage(Subtitled_, Image_, "SUBTITLED");
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
  static inline std::string Failure_, Plain_, Subtitled_, Image_, Vob_;
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
    const Picture* picture;
    double at;
  };
  for (const std::string& location : {Subtitled_, Image_}) {
    const TDvdDisc disc = kelta::ReadDvdDisc(location);
    const std::vector<std::uint32_t>& palette = disc.Titles.at(0).Palette;
    TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
    OpenTitle(decoder, disc);
    for (const Case& c : {Case{0, &Low, 0.8}, Case{1, &High, 1.5}}) {
      SCOPED_TRACE(location + ", stream " + std::to_string(c.stream));
      ASSERT_TRUE(decoder.SetSubtitleStream(-1, palette));
      const TFastDIB plain = Still(decoder, FrameAt(c.at));
      ASSERT_TRUE(decoder.SetSubtitleStream(c.stream, palette));
      const TFastDIB still = Still(decoder, FrameAt(c.at));
      const Match match = Compare(still, plain, *c.picture, palette);
      std::printf("stream %d: PSNR %.2f dB in the box, opaque pixels within %.0f\n", c.stream, match.psnr,
                  match.opaqueError);
      EXPECT_GE(match.psnr, 40.0);
      EXPECT_LE(match.opaqueError, 1.0);
    }
  }
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

}  // namespace
