// The decoder plugin's speed on a generated 720 x 576 interlaced DVD-like
// video (60 s at 25 fps; KELTA_BENCH_SECONDS changes the length), every
// figure CPU time beside wall time, minimum and median over several rounds
// (KELTA_BENCH_ROUNDS, default 5). Within a round every measurement runs once,
// in turn, so that figure and reference meet the same load.
//
//   Conversion of one frame: the plugin's own exact conversion at each SIMD
//     level, against FFmpeg's default BGR24 conversion (sws_scale with the
//     CLI's default flags: its fast path, chroma neither interpolated nor
//     sited per field) and FFmpeg's exact path as the plugin used it (bilinear
//     chroma, accurate rounding, field by field). All write bottom-up rows into
//     a buffer they reuse; decoded frames of the video, in memory.
//   Decoding the whole video: the wrapper's GetFrame loop (opening included)
//     without and with the playback line blend, against the FFmpeg CLI
//     `ffmpeg -threads 1 -i FILE -an -pix_fmt bgr24 -f null -` (CPU time of
//     the child process; audio left out because the plugin does not decode
//     it), that CLI less its start-up (the same command on a one-frame file),
//     and an in-process plain FFmpeg decode with the default conversion.
//   Seeking: a byte seek and the first frame after it, against plain FFmpeg
//     doing the same with the default conversion.
//   Opening a large file (KELTA_BENCH_OPEN_MB, default 1024, made by repeating
//     the video; 0 skips): against plain FFmpeg reading every packet.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "codec/FrameConverter.h"
#include "codec/FrameView.h"
#include "support/BenchFigures.h"
#include "support/DecodedPictures.h"
#include "support/PlainFfmpeg.h"
#include "support/VideoFixture.h"
#include "support/TempFolder.h"
#include "video/MPEG2Decoder.h"

namespace fs = std::filesystem;
using kelta::bench::DefaultConversion;
using kelta::bench::EnvInt;
using kelta::bench::FfmpegCliAvailable;
using kelta::bench::Figures;
using kelta::bench::Measure;
using kelta::bench::Now;
using kelta::bench::PlainDecoder;
using kelta::bench::RunFfmpegCli;
using kelta::bench::Times;
using kelta::codec::FramePtr;
using kelta::codec::SimdLevel;

namespace {

constexpr int FramesPerSecond = 25;
constexpr int ConvertedPictures = 50;
constexpr int SeeksPerRound = 40;
constexpr int PlaybackBlendThreshold = 240;  // the frame bar's

struct Files {
  kelta::test::TTempFolder folder;
  std::string dir = folder.Path().string(), video, oneFrame, large;
  std::int64_t largeBytes = 0;
  int frames = 0;

  Files() {
    video = dir + "/pal.vob";
    kelta::test::Mpeg2StreamOptions options;
    options.frames = frames = std::max(1, EnvInt("KELTA_BENCH_SECONDS", 60)) * FramesPerSecond;
    options.interlaced = true;  // as most DVD video
    kelta::test::WriteMpeg2ProgramStream(video, options);
    oneFrame = dir + "/one.vob";
    options.frames = 1;
    kelta::test::WriteMpeg2ProgramStream(oneFrame, options);

    const std::int64_t wanted = std::int64_t(EnvInt("KELTA_BENCH_OPEN_MB", 1024)) << 20;
    if (wanted > 0) {
      std::ifstream in(video, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      large = dir + "/large.vob";
      std::ofstream out(large, std::ios::binary);
      while (largeBytes < wanted) {
        out.write(bytes.data(), std::streamsize(bytes.size()));
        largeBytes += std::int64_t(bytes.size());
      }
    }
  }
};

// ---- Measurements ---------------------------------------------------------------

std::string LevelName(SimdLevel level) { return kelta::codec::SimdLevelName(level); }

// One frame converted by each converter, per frame.
void ConversionRound(const std::vector<FramePtr>& pictures, Figures& figures) {
  const int width = pictures.front()->width, height = pictures.front()->height;
  std::vector<std::uint8_t> out(kelta::Bgr24FrameBytes(width, height));
  auto perFrame = [&](const std::string& name, const std::function<void(const AVFrame*)>& convert) {
    // Once unmeasured, so that contexts and buffers exist.
    convert(pictures.front().get());
    const Times t = Measure([&] {
      for (const FramePtr& picture : pictures) convert(picture.get());
      benchmark::DoNotOptimize(out.data());
    });
    figures[name].Add(t / double(pictures.size()));
  };
  for (const SimdLevel level : {SimdLevel::Portable, SimdLevel::Sse2, SimdLevel::Avx2}) {
    if (level > kelta::codec::BestSimdLevel()) continue;
    kelta::codec::FrameConverter own;
    own.SetSimdLevel(level);
    perFrame("own exact, " + LevelName(level),
             [&](const AVFrame* frame) { own.Convert(frame, width, height, out.data()); });
  }
  kelta::codec::FrameConverter exact;
  exact.SetPath(kelta::codec::FrameConverter::Path::SwscaleOnly);
  perFrame("swscale exact (field by field)",
           [&](const AVFrame* frame) { exact.Convert(frame, width, height, out.data()); });
  DefaultConversion fast;
  perFrame("swscale default", [&](const AVFrame* frame) { fast.Convert(frame, out); });
}

int WrapperLoop(kelta::TMPEG2Decoder& decoder, const std::string& video, int threshold) {
  decoder.Open(video, 0, -1);
  int frames = 0;
  while (const kelta::FrameView frame = decoder.GetFrame(threshold)) {
    benchmark::DoNotOptimize(frame.data);
    ++frames;
  }
  return frames;
}

// The whole video decoded by each way, per frame.
void LoopRound(const Files& files, kelta::TMPEG2Decoder& decoder, bool cli, Figures& figures) {
  const double frames = files.frames;
  int got = 0;
  figures["GetFrame(0) loop"].Add(Measure([&] { got = WrapperLoop(decoder, files.video, 0); }) / frames);
  if (got != files.frames) std::fprintf(stderr, "GetFrame loop: %d frames, not %d\n", got, files.frames);
  figures["GetFrame(240) loop, line blend"].Add(
      Measure([&] { WrapperLoop(decoder, files.video, PlaybackBlendThreshold); }) / frames);
  std::vector<std::uint8_t> bgr;
  figures["plain FFmpeg decode + swscale default"].Add(Measure([&] {
                                                         PlainDecoder plain(files.video);
                                                         DefaultConversion convert;
                                                         while (const AVFrame* frame = plain.Next()) {
                                                           convert.Convert(frame, bgr);
                                                           benchmark::DoNotOptimize(bgr.data());
                                                         }
                                                       }) /
                                                       frames);
  figures["plain FFmpeg decode only"].Add(Measure([&] {
                                            PlainDecoder plain(files.video);
                                            while (plain.Next()) {
                                            }
                                          }) /
                                          frames);
  if (!cli) return;
  const std::optional<Times> whole = RunFfmpegCli(files.video), startUp = RunFfmpegCli(files.oneFrame);
  if (whole) figures["ffmpeg CLI"].Add(*whole / frames);
  if (whole && startUp) figures["ffmpeg CLI less its start-up"].Add((*whole - *startUp) / frames);
}

void SeekRound(const Files& files, kelta::TMPEG2Decoder& decoder, Figures& figures) {
  std::mt19937_64 random(5);
  std::vector<std::int64_t> positions;
  decoder.Open(files.video, 0, -1);
  for (int i = 0; i < SeeksPerRound; ++i)
    positions.push_back(std::int64_t(random() % std::uint64_t(decoder.FileSize())));
  figures["seek + first frame"].Add(Measure([&] {
                                      for (const std::int64_t p : positions) {
                                        decoder.Seek(p);
                                        benchmark::DoNotOptimize(decoder.GetFrame(0).data);
                                      }
                                    }) /
                                    SeeksPerRound);
  PlainDecoder plain(files.video);
  DefaultConversion convert;
  std::vector<std::uint8_t> bgr;
  figures["plain FFmpeg seek + first frame"].Add(Measure([&] {
                                                   for (const std::int64_t p : positions) {
                                                     plain.SeekToByte(p);
                                                     if (const AVFrame* frame = plain.Next())
                                                       convert.Convert(frame, bgr);
                                                     benchmark::DoNotOptimize(bgr.data());
                                                   }
                                                 }) /
                                                 SeeksPerRound);
}

void OpenRound(const Files& files, kelta::TMPEG2Decoder& decoder, Figures& figures) {
  figures["open large file"].Add(Measure([&] { decoder.Open(files.large, 0, -1); }));
  figures["plain FFmpeg open + read every packet"].Add(Measure([&] {
    PlainDecoder plain(files.large);
    plain.ReadAllPackets();
  }));
}

}  // namespace

int main() {
  const int rounds = std::max(1, EnvInt("KELTA_BENCH_ROUNDS", 5));
  std::printf("Making the videos...\n");
  const Files files;
  const bool cli = FfmpegCliAvailable();
  if (!cli)
    std::printf(
        "ffmpeg CLI: reference not available (no ffmpeg on PATH; Debian: apt-get install ffmpeg); "
        "its ratios are skipped\n");
  const std::vector<FramePtr> pictures = kelta::test::DecodePictures(files.video, ConvertedPictures);
  kelta::TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.SetRGBScaleFlag(true);

  Figures conversion, loop, seek, open;
  for (int round = 0; round < rounds; ++round) {
    std::printf("round %d of %d\n", round + 1, rounds);
    std::fflush(stdout);
    ConversionRound(pictures, conversion);
    LoopRound(files, decoder, cli, loop);
    SeekRound(files, decoder, seek);
    if (!files.large.empty()) OpenRound(files, decoder, open);
  }

  const std::string best = "own exact, " + LevelName(kelta::codec::BestSimdLevel());
  conversion.PrintTable("conversion, 720x576 interlaced frame", 1e3, "ms");
  for (const char* reference : {"swscale default", "swscale exact (field by field)", "own exact, portable"})
    conversion.PrintRatio(best, reference);
  if (const auto* own = conversion.Find(best))
    std::printf("%s: %.3f ms per frame (min CPU; goal <= 0.2 ms)\n", best.c_str(), own->Min().cpu * 1e3);

  loop.PrintTable("decoding the whole video, per frame", 1e3, "ms");
  if (!cli) std::printf("ffmpeg CLI: reference not available, ratios to it skipped\n");
  for (const char* name : {"GetFrame(0) loop", "GetFrame(240) loop, line blend"}) {
    if (cli) {
      loop.PrintRatio(name, "ffmpeg CLI", "(goal: CPU <= 1.2)");
      loop.PrintRatio(name, "ffmpeg CLI less its start-up");
    }
    loop.PrintRatio(name, "plain FFmpeg decode + swscale default");
  }

  seek.PrintTable("seek and first frame, per seek", 1e3, "ms");
  seek.PrintRatio("seek + first frame", "plain FFmpeg seek + first frame");
  if (!files.large.empty()) {
    open.PrintTable("open, " + std::to_string(files.largeBytes >> 20) + " MB file", 1e3, "ms");
    open.PrintRatio("open large file", "plain FFmpeg open + read every packet");
  } else {
    std::printf("\nopen large file: skipped (KELTA_BENCH_OPEN_MB=0)\n");
  }
  return 0;
}
