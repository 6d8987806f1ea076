#include "support/SubtitledDvd.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "support/DvdFixture.h"

namespace kelta::test {

namespace {

void WriteArt(const SubtitleArt& art, const std::string& path) {
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < art.height; ++y)
    for (int x = 0; x < art.width; ++x) {
      const SubtitleRgba p = art.pixel(x, y);
      rgba.insert(rgba.end(), {p.r, p.g, p.b, p.a});
    }
  WriteRgbaPng(path, art.width, art.height, rgba);
}

struct Colour {
  double r, g, b;
};

Colour PaletteRgb(std::uint32_t entry) {
  const double y = (double((entry >> 16) & 0xFF) - 16.0) * 255.0 / 219.0;
  const double cr = (double((entry >> 8) & 0xFF) - 128.0) * 255.0 / 224.0;
  const double cb = (double(entry & 0xFF) - 128.0) * 255.0 / 224.0;
  const double kr = 0.299, kb = 0.114, kg = 1.0 - kr - kb;
  return {y + 2.0 * (1.0 - kr) * cr, y - 2.0 * (1.0 - kb) * kb / kg * cb - 2.0 * (1.0 - kr) * kr / kg * cr,
          y + 2.0 * (1.0 - kb) * cb};
}

double Distance(const Colour& c, const SubtitleRgba& p) {
  return std::abs(c.r - p.r) + std::abs(c.g - p.g) + std::abs(c.b - p.b);
}

// The palette entry spumux chose for a picture's colour: the nearest.
Colour EntryFor(const std::vector<std::uint32_t>& palette, const SubtitleRgba& p) {
  Colour best = PaletteRgb(palette.at(0));
  for (const std::uint32_t entry : palette)
    if (Distance(PaletteRgb(entry), p) < Distance(best, p)) best = PaletteRgb(entry);
  return best;
}

}  // namespace

SubtitleMatch CompareWithComposite(const std::uint8_t* still, const std::uint8_t* plain, int height,
                                   std::int64_t stride, const SubtitleArt& art,
                                   const std::vector<std::uint32_t>& palette, bool videoLevels) {
  double squares = 0;
  SubtitleMatch match;
  for (int y = 0; y < art.height; ++y) {
    const std::int64_t row = std::int64_t(height - 1 - (art.y + y)) * stride;
    for (int x = 0; x < art.width; ++x) {
      const SubtitleRgba p = art.pixel(x, y);
      const double alpha = std::round(p.a / 17.0) * 17.0 / 255.0;
      const Colour c = EntryFor(palette, p);
      const double colour[3] = {c.b, c.g, c.r};  // the frame's order
      for (int ch = 0; ch < 3; ++ch) {
        const std::int64_t at = row + std::int64_t(art.x + x) * 3 + ch;
        const double shown = still[at], below = plain[at];
        double level = std::clamp(colour[ch], 0.0, 255.0);
        if (videoLevels) level = 16.0 + level * 219.0 / 255.0;
        const double expected = std::round(level * alpha + below * (1.0 - alpha));
        squares += (shown - expected) * (shown - expected);
        if (p.a == 255) match.opaqueError = std::max(match.opaqueError, std::abs(shown - expected));
      }
    }
  }
  const double mse = squares / (3.0 * art.width * art.height);
  match.psnr = mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
  return match;
}

const SubtitleArt& LowSubtitle() {
  static const SubtitleArt art{100, 480, 200, 40,
                               [](int x, int y) -> SubtitleRgba {
                                 if (x >= 160) return {0, 0, 0, 0};
                                 if (y >= 32) return {180, 40, 190, 136};
                                 if (x >= 20 && x < 80 && y >= 8 && y < 24) return {40, 200, 220, 255};
                                 return {250, 120, 20, 255};
                               },
                               0.4, 1.2};
  return art;
}

const SubtitleArt& HighSubtitle() {
  static const SubtitleArt art{300, 60, 120, 30,
                               [](int x, int y) -> SubtitleRgba {
                                 return (x / 10 + y / 10) % 2 ? SubtitleRgba{230, 230, 40, 255}
                                                              : SubtitleRgba{0, 0, 0, 0};
                               },
                               0.6, 1.8};
  return art;
}

SubtitledDvd AuthorSubtitledDvd(const std::string& work) {
  SubtitledDvd dvd;
  WriteArt(LowSubtitle(), work + "/low.png");
  WriteArt(HighSubtitle(), work + "/high.png");
  DvdTitleSource title;
  title.video.frames = 2 * SubtitledDvdFramesPerSecond;
  dvd.plain = work + "/PLAIN";
  AuthorDvd(work + "/plain-sources", dvd.plain, {title});
  auto shown = [&](const SubtitleArt& art, const std::string& png) {
    return DvdSubtitlePicture{work + "/" + png, art.start, art.end, art.x, art.y};
  };
  title.subtitles = {{"en", {shown(LowSubtitle(), "low.png")}}, {"fr", {shown(HighSubtitle(), "high.png")}}};
  dvd.folder = work + "/SUBTITLED";
  dvd.video = AuthorDvd(work + "/sources", dvd.folder, {title}).at(0);
  dvd.image = work + "/subtitled.iso";
  MakeDiscImage(dvd.folder, dvd.image, "SUBTITLED");

  DvdTitleSource low = title, high = title;
  low.subtitles = {{"en", {shown(LowSubtitle(), "low.png")}}};
  high.subtitles = {{"en", {shown(HighSubtitle(), "high.png")}}};
  const std::vector<std::string> parts = AuthorDvd(work + "/joined-sources", work + "/JOINED", {low, high});
  dvd.joined = work + "/joined.mpg";
  {
    std::ofstream out(dvd.joined, std::ios::binary);
    for (const std::string& part : parts) out << std::ifstream(part, std::ios::binary).rdbuf();
    if (!out.flush()) throw std::runtime_error("cannot write " + dvd.joined);
  }
  return dvd;
}

}  // namespace kelta::test
