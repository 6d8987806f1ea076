#pragma once
// A DVD with subtitles for tests, authored at test time (DvdFixture.h): one
// title of two seconds at 25 frames a second with two sub-picture streams,
// "en" low on the frame and "fr" high on it, in colours no default palette
// has, beside the same title authored without subtitles.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kelta::test {

struct SubtitleRgba {
  std::uint8_t r, g, b, a;
};

// A subtitle picture as spumux is given it: its box on the frame, what each
// of its pixels is, and when it shows (seconds).
struct SubtitleArt {
  int x, y, width, height;
  std::function<SubtitleRgba(int, int)> pixel;
  double start, end;
};

// Stream 0: an orange line with a cyan word in it, a half-clear purple
// underline and nothing at its right end, low on the frame, 0.4 s to 1.2 s.
const SubtitleArt& LowSubtitle();
// Stream 1: a yellow chequer on clear, high on the frame, 0.6 s to 1.8 s.
const SubtitleArt& HighSubtitle();

inline constexpr int SubtitledDvdFramesPerSecond = 25;

struct SubtitledDvd {
  std::string folder;  // the disc with subtitles, volume SUBTITLED
  std::string image;   // a UDF image of it
  std::string plain;   // the same title without subtitles
  std::string video;   // the title's program stream with its subtitles, as a plain file
  // Two such streams one after the other, the clock starting again in the
  // second: the first with only the low picture on stream 0, the second
  // with only the high one on stream 0, each at its own times.
  std::string joined;
};

// Authors the discs under `work`; throws std::runtime_error when a tool fails.
SubtitledDvd AuthorSubtitledDvd(const std::string& work);

// How a still with a subtitle compares with the composite this fixture
// works out on its own: the picture laid over the still without it, each
// colour the nearest palette entry (0x00YYCrCb, converted by the BT.601
// definition to full-range RGB), each opacity in the sixteen steps of a
// DVD's contrast. PSNR inside the picture's box, and the largest difference
// of an opaque pixel from its palette colour.
struct SubtitleMatch {
  double psnr = 0;
  double opaqueError = 0;
};
// `still` and `plain` are 24-bit frames, bottom row first, `stride` bytes a
// row; with `videoLevels` the colours are those of RGB 16..235.
SubtitleMatch CompareWithComposite(const std::uint8_t* still, const std::uint8_t* plain, int height,
                                   std::int64_t stride, const SubtitleArt& art,
                                   const std::vector<std::uint32_t>& palette, bool videoLevels = false);

}  // namespace kelta::test
