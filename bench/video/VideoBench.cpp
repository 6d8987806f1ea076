// Measurements of the frame bar on a generated 60-second 720 x 576 4:3 video
// at 25 fps (KELTA_BENCH_SECONDS changes the length), CPU time (the whole
// process) beside wall time, minimum and median over the repetitions, each
// as a ratio to a named reference:
//   Playback: plays the whole video through the frame bar into an output
//     panel (KELTA_BENCH_PLAYBACKS times, default 3: each takes the video's
//     length), its pictures at 4:3 between black bars; the shown frame rate
//     against the video's own 25 fps, and the CPU used per second of video
//     against plain FFmpeg decoding the same video with its default BGR24
//     conversion (no pacing, no painting), and against playing a copy whose
//     stream gives no aspect, which fills the whole panel as every video did
//     before pictures were shown in their shape.
//   OpenVideo: opening the video and building the eight strip cells, beside
//     an in-process FFmpeg reference (open, eight byte seeks, the first frame
//     after each, FFmpeg's default conversion to BGR24), and the decoder's
//     share of it alone; ten times each.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <QApplication>
#include <QEvent>

#include "support/BenchFigures.h"
#include "support/ShownFrameBar.h"
#include "support/PlainFfmpeg.h"
#include "support/VideoFixture.h"
#include "support/TempFolder.h"
#include "video/MPEG2Decoder.h"
#include "video/ui/VideoFrameBar.h"
#include "common/ui/VideoOutPanel.h"

namespace fs = std::filesystem;

namespace {

constexpr int FramesPerSecond = 25;

int VideoSeconds() {
  const char* value = std::getenv("KELTA_BENCH_SECONDS");
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : 60;
}

// A copy of the video whose first sequence header gives the forbidden aspect
// code 0: the decoder reports no aspect, and the bar fills the whole panel.
void WriteWithoutAspect(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  static const char sequenceHeader[] = {0, 0, 1, char(0xB3)};
  const std::size_t at = bytes.find(std::string(sequenceHeader, 4));
  if (at == std::string::npos || at + 8 > bytes.size()) throw std::runtime_error("no sequence header");
  bytes[at + 7] = char(bytes[at + 7] & 0x0F);  // the aspect code is the high four bits
  std::ofstream(to, std::ios::binary) << bytes;
  kelta::TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.Open(to);
  if (decoder.DisplayAspect().Known()) throw std::runtime_error("the copy still gives an aspect");
}

struct TVideoFile {
  kelta::test::TTempFolder Scratch;
  std::string Path = Scratch.File("movie.vob"), WithoutAspect = Scratch.File("movie-without-aspect.vob");
  TVideoFile() {
    kelta::test::Mpeg2StreamOptions options;  // 720 x 576 at 4:3, 25 fps, DVD muxer
    options.frames = VideoSeconds() * FramesPerSecond;
    options.interlaced = true;
    kelta::test::WriteMpeg2ProgramStream(Path, options);
    WriteWithoutAspect(Path, WithoutAspect);
  }
};

const TVideoFile& Video() {
  static TVideoFile file;
  return file;
}

// Counts the panel's paints: one per shown frame during playback.
class TPaintCounter : public QObject {
 public:
  int Paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++Paints;
    return false;
  }
};

struct TBar : kelta::bench::TShownFrameBar {
  TBar() { Bar.FileName = QString::fromStdString(Video().Path); }
};

kelta::bench::Figures Figures;

// Plays `path` through to its end; its figures are filed as "playback<name>, ...".
void Playback(benchmark::State& state, const std::string& path, const std::string& name) {
  TBar bar;
  bar.Bar.FileName = QString::fromStdString(path);
  bar.Bar.OpenVideo();
  TPaintCounter counter;
  bar.Panel.installEventFilter(&counter);
  const double videoSeconds = double(VideoSeconds());
  for (auto _ : state) {
    bar.Bar.ShowFrameAt(0);
    counter.Paints = 0;
    const kelta::bench::Times start = kelta::bench::Now();
    bar.Bar.Play();
    while (bar.Bar.Playing()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const kelta::bench::Times used = kelta::bench::Now() - start;
    state.SetIterationTime(used.wall);
    // Per second of video: the wall time is the shown video's length when
    // the pace holds.
    Figures["playback" + name + ", per video second"].Add(used / videoSeconds);
    // Seconds per shown frame against the video's own 1/25 s.
    Figures["playback" + name + ", per shown frame"].Add(used / std::max(1, counter.Paints));
    state.counters["shown_fps"] = counter.Paints / used.wall;
    state.counters["cpu_s_per_video_s"] = used.cpu / videoSeconds;
  }
}

// The same video decoded and converted by plain FFmpeg as fast as it goes,
// for the CPU that playback's decoding needs at the least.
void PlainDecoding(benchmark::State& state) {
  std::vector<std::uint8_t> bgr;
  for (auto _ : state) {
    const kelta::bench::Times start = kelta::bench::Now();
    kelta::bench::PlainDecoder decoder(Video().Path);
    kelta::bench::DefaultConversion convert;
    while (const AVFrame* frame = decoder.Next()) {
      convert.Convert(frame, bgr);
      benchmark::DoNotOptimize(bgr.data());
    }
    Figures["plain FFmpeg decode + default conversion, per video second"].Add((kelta::bench::Now() - start) /
                                                                              double(VideoSeconds()));
  }
}

void OpenVideo(benchmark::State& state) {
  TBar bar;
  for (auto _ : state) {
    const kelta::bench::Times start = kelta::bench::Now();
    bar.Bar.OpenVideo();
    Figures["OpenVideo"].Add(kelta::bench::Now() - start);
    benchmark::DoNotOptimize(bar.Bar.FrameRect(7).Thumb.Bits());
  }
}

// The decoder's part of OpenVideo alone: open, eight seeks, a frame after each.
void DecoderOnly(benchmark::State& state) {
  kelta::TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  for (auto _ : state) {
    const kelta::bench::Times start = kelta::bench::Now();
    decoder.Open(Video().Path);
    const std::int64_t step = decoder.FileSize() / 8;
    for (int i = 0; i < 8; ++i) {
      decoder.Seek(step * i);
      benchmark::DoNotOptimize(decoder.GetFilePos());
      benchmark::DoNotOptimize(decoder.GetFrame(kelta::TVideoFrameBar::BlendThreshold).data);
    }
    decoder.Seek(0);
    Figures["decoder alone (open, 8 seeks, a frame after each)"].Add(kelta::bench::Now() - start);
  }
}

// Plain FFmpeg: open, eight byte seeks, the first frame after each, BGR24
// with FFmpeg's default conversion.
void FfmpegReference(benchmark::State& state) {
  std::vector<std::uint8_t> bgr;
  for (auto _ : state) {
    const kelta::bench::Times start = kelta::bench::Now();
    kelta::bench::PlainDecoder decoder(Video().Path);
    kelta::bench::DefaultConversion convert;
    const std::int64_t size = std::int64_t(fs::file_size(Video().Path));
    for (int i = 0; i < 8; ++i) {
      decoder.SeekToByte(size / 8 * i);
      if (const AVFrame* frame = decoder.Next()) convert.Convert(frame, bgr);
      benchmark::DoNotOptimize(bgr.data());
    }
    Figures["plain FFmpeg open, 8 seeks, a frame after each"].Add(kelta::bench::Now() - start);
  }
}

int Playbacks() {
  const char* value = std::getenv("KELTA_BENCH_PLAYBACKS");
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : 3;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  std::printf("Generating a %d s 720x576 video...\n", VideoSeconds());
  Video();
  // Playback and its reference in turn, then the opening figures in turn,
  // so that figure and reference meet the same load.
  for (int i = 0; i < Playbacks(); ++i) {
    benchmark::RegisterBenchmark("Playback", Playback, Video().Path, std::string())
        ->UseManualTime()
        ->Unit(benchmark::kSecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("PlaybackFillingThePanel", Playback, Video().WithoutAspect,
                                 std::string(" without aspect, filling the panel"))
        ->UseManualTime()
        ->Unit(benchmark::kSecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("PlainDecoding", PlainDecoding)->Unit(benchmark::kSecond)->Iterations(1);
  }
  for (int i = 0; i < 10; ++i) {
    benchmark::RegisterBenchmark("FfmpegReference", FfmpegReference)->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::RegisterBenchmark("OpenVideo", OpenVideo)->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::RegisterBenchmark("DecoderOnly", DecoderOnly)->Unit(benchmark::kMillisecond)->Iterations(1);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  Figures.PrintTable("video bench", 1e3, "ms");
  std::printf("\n");
  if (const kelta::bench::Figure* frame = Figures.Find("playback, per shown frame")) {
    const double nominal = 1.0 / FramesPerSecond;
    std::printf(
        "playback: wall time per shown frame / the video's 1/%d s: %.4f (min) %.4f (median) (goal within 1 %%)\n",
        FramesPerSecond, frame->Min().wall / nominal, frame->Median().wall / nominal);
  }
  if (const kelta::bench::Figure* second = Figures.Find("playback, per video second"))
    std::printf("playback: CPU per video second %.3f (min) %.3f (median) core-s (goal <= 0.25)\n", second->Min().cpu,
                second->Median().cpu);
  // Playback keeps the video's pace: only its CPU time compares.
  Figures.PrintRatio("playback, per video second", "plain FFmpeg decode + default conversion, per video second", {},
                     false);
  // Bars are a destination rectangle: a 4:3 picture costs no more than one filling the panel.
  Figures.PrintRatio("playback, per video second", "playback without aspect, filling the panel, per video second",
                     "(goal: CPU 1 within noise)", false);
  Figures.PrintRatio("OpenVideo", "plain FFmpeg open, 8 seeks, a frame after each", "(goal: wall <= 2)");
  Figures.PrintRatio("decoder alone (open, 8 seeks, a frame after each)",
                     "plain FFmpeg open, 8 seeks, a frame after each");
  return 0;
}
