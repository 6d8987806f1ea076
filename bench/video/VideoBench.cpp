// Measurements of the frame bar on a generated 60-second 720 x 576 video at
// 25 fps (KELTA_BENCH_SECONDS changes the length), CPU time (the whole
// process) beside wall time, minimum and median over the repetitions, each
// as a ratio to a named reference:
//   Playback: plays the whole video through the frame bar into an output
//     panel (KELTA_BENCH_PLAYBACKS times, default 3: each takes the video's
//     length); the shown frame rate against the video's own 25 fps, and the
//     CPU used per second of video against plain FFmpeg decoding the same
//     video with its default BGR24 conversion (no pacing, no painting).
//   OpenVideo: opening the video and building the eight strip cells, beside
//     an in-process FFmpeg reference (open, eight byte seeks, the first frame
//     after each, FFmpeg's default conversion to BGR24), and the decoder's
//     share of it alone; ten times each.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <QApplication>
#include <QEvent>

#include "support/BenchFigures.h"
#include "support/PlainFfmpeg.h"
#include "support/VideoFixture.h"
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

struct TVideoFile {
  std::string Dir, Path;
  TVideoFile() {
    char pattern[] = "/tmp/kelta-video-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    Dir = pattern;
    Path = Dir + "/movie.vob";
    kelta::test::Mpeg2StreamOptions options;  // 720 x 576, 25 fps, DVD muxer
    options.frames = VideoSeconds() * FramesPerSecond;
    options.interlaced = true;
    kelta::test::WriteMpeg2ProgramStream(Path, options);
  }
  ~TVideoFile() {
    std::error_code ignored;
    fs::remove_all(Dir, ignored);
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

struct TBar {
  kelta::TVideoOutPanelEx Panel;
  kelta::TVideoFrameBar Bar{nullptr, QStringLiteral(KELTA_PROGRAM_DIR)};
  TBar() {
    if (!Bar.DecoderLoaded()) throw std::runtime_error("codec.so is not built");
    Panel.resize(400, 225);
    // Shown, so that every frame is really painted.
    Panel.show();
    Bar.OutputPanel = &Panel;
    Bar.FileName = QString::fromStdString(Video().Path);
  }
};

kelta::bench::Figures Figures;

void Playback(benchmark::State& state) {
  TBar bar;
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
    Figures["playback, per video second"].Add(used / videoSeconds);
    // Seconds per shown frame against the video's own 1/25 s.
    Figures["playback, per shown frame"].Add(used / std::max(1, counter.Paints));
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
    benchmark::RegisterBenchmark("Playback", Playback)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
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
  Figures.PrintRatio("OpenVideo", "plain FFmpeg open, 8 seeks, a frame after each", "(goal: wall <= 2)");
  Figures.PrintRatio("decoder alone (open, 8 seeks, a frame after each)",
                     "plain FFmpeg open, 8 seeks, a frame after each");
  return 0;
}
