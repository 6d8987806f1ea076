// Stills every 10 s over a long title, as `kelta capture --every 10s` takes
// them and as a person would with the ffmpeg command line (one
// `ffmpeg -ss T -i FILE -frames:v 1 still.bmp` per still), CPU beside wall
// time, minimum and median over KELTA_BENCH_ROUNDS rounds (default 3), and
// how many of the stills are the wrong frame (read from the frame counter
// drawn into every picture). And the scene search (`--scenes`) against a
// plain decode of the whole title through the same plugin.
//
// The title: KELTA_BENCH_MINUTES minutes (default 20) of 720 x 576 PAL
// MPEG-2 in a DVD program stream, made at start.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/CaptureOptions.h"
#include "capture/CaptureRun.h"
#include "imaging/FastDIB.h"
#include "support/BenchFigures.h"
#include "support/PlainFfmpeg.h"
#include "support/TempFolder.h"
#include "support/VideoFixture.h"
#include "video/MPEG2Decoder.h"

using kelta::bench::EnvInt;
using kelta::bench::Figures;
using kelta::bench::Measure;
using kelta::bench::Times;

namespace {

const std::filesystem::path ProgramFolder = KELTA_PROGRAM_DIR;
constexpr int StepSeconds = 10;

int CounterIn(const std::filesystem::path& bmp) {
  kelta::TFastDIB picture;
  if (!picture.LoadFromFile(bmp.string())) return -1;
  return kelta::test::ReadFrameCounter(picture.Bits(), picture.Width(), picture.RowCount(), picture.RowStride());
}

// The counter drawn into the frames counts them modulo 4096.
bool ShowsFrame(const std::filesystem::path& bmp, std::int64_t frame) {
  return CounterIn(bmp) == int(frame % (kelta::test::MaxFrameCounter + 1));
}

}  // namespace

int main() {
  const int rounds = std::max(1, EnvInt("KELTA_BENCH_ROUNDS", 3));
  const int minutes = std::max(1, EnvInt("KELTA_BENCH_MINUTES", 20));
  if (!kelta::bench::FfmpegCliAvailable()) {
    std::fprintf(stderr, "The ffmpeg command line is needed (scripts/bench installs it)\n");
    return 1;
  }
  kelta::test::TTempFolder folder;
  const std::string title = (folder / "title.vob").string();
  kelta::test::Mpeg2StreamOptions options;
  options.frames = minutes * 60 * 25;
  std::printf("making a %d-minute title (%d frames)\n", minutes, options.frames);
  std::fflush(stdout);
  kelta::test::WriteMpeg2ProgramStream(title, options);
  const int stills = (options.frames + StepSeconds * 25 - 1) / (StepSeconds * 25);

  Figures figures;
  int keltaWrong = 0, ffmpegWrong = 0, ffmpegFailed = 0;
  for (int round = 0; round < rounds; ++round) {
    std::printf("round %d of %d\n", round + 1, rounds);
    std::fflush(stdout);
    const std::filesystem::path kelta = folder / ("kelta-" + std::to_string(round));
    const kelta::TCaptureOptions every = kelta::ParseCaptureOptions(
        {title, "--every", std::to_string(StepSeconds) + "s", "--still", "weave", "--aspect", "original", "--format",
         "bmp", "--to", kelta.string()});
    kelta::TCaptureReport report;
    figures["kelta capture --every 10s"].Add(Measure([&] { report = kelta::RunCapture(every, ProgramFolder); }));
    if (round == 0) {
      for (const kelta::TCapturedStill& still : report.Stills)
        if (!still.Error.empty() || !ShowsFrame(kelta / still.File, still.Frame) ||
            still.Frame % (StepSeconds * 25) != 0)
          ++keltaWrong;
      keltaWrong += stills - int(report.Stills.size());
    }

    const std::filesystem::path ffmpeg = folder / ("ffmpeg-" + std::to_string(round));
    std::filesystem::create_directories(ffmpeg);
    Times total;
    for (int i = 0; i < stills; ++i) {
      const std::string still = (ffmpeg / ("still-" + std::to_string(i) + ".bmp")).string();
      const auto took = kelta::bench::RunFfmpeg({"-y", "-ss", std::to_string(i * StepSeconds), "-i", title,
                                                 "-frames:v", "1", "-pix_fmt", "bgr24", still});
      if (!took) {
        if (round == 0) ++ffmpegFailed;
        continue;
      }
      total.cpu += took->cpu;
      total.wall += took->wall;
      if (round == 0 && !ShowsFrame(still, std::int64_t(i) * StepSeconds * 25)) ++ffmpegWrong;
    }
    figures["ffmpeg -ss T -i FILE -frames:v 1, every 10 s"].Add(total);

    const kelta::TCaptureOptions scenes = kelta::ParseCaptureOptions(
        {title, "--scenes", "--still", "weave", "--format", "bmp", "--to", (folder / "scenes").string()});
    figures["kelta capture --scenes"].Add(Measure([&] { kelta::RunCapture(scenes, ProgramFolder); }));
    figures["plain decode of the title"].Add(Measure([&] {
      kelta::TMPEG2Decoder decoder(ProgramFolder.string());
      decoder.SetRGBScaleFlag(true);
      decoder.Open(title);
      decoder.SeekFrame(0);
      while (decoder.GetFrame(0)) {
      }
    }));
  }
  figures.PrintTable("a " + std::to_string(minutes) + "-minute title, " + std::to_string(stills) + " stills", 1.0, "s");
  figures.PrintRatio("kelta capture --every 10s", "ffmpeg -ss T -i FILE -frames:v 1, every 10 s",
                     "(goal: at most 1, every frame right)");
  figures.PrintRatio("kelta capture --scenes", "plain decode of the title", "(goal: CPU at most 1.3)");
  std::printf("wrong frames of %d: kelta %d, ffmpeg -ss %d (and %d not written)\n", stills, keltaWrong, ffmpegWrong,
              ffmpegFailed);
  return 0;
}
