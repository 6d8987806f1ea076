// Two measurements of the frame bar on a generated 60-second 720 x 576 4:3
// video at 25 fps (KELTA_BENCH_SECONDS changes the length):
//   Playback: plays the whole video through the frame bar into an output
//     panel; reports the shown frame rate against the nominal 25 fps and the
//     process CPU seconds used per second of video (decoding included). Each
//     repetition plays the video twice, in turn: as it is, drawn at 4:3
//     between bars, and as a copy whose stream gives no aspect, which fills
//     the panel as every video did before the bar knew shapes; the closing
//     lines give the minimum and median of both and their ratio.
//   OpenVideo: opening the video and building the eight strip cells, beside
//     an in-process FFmpeg reference (open, eight byte seeks, the first frame
//     after each, conversion to BGR24 with the plugin's conversion flags),
//     and the decoder's share of it alone.
// The closing lines print both ratios.

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include "codec/FFmpegPtr.h"
#include "codec/FrameView.h"
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

// A copy of the video whose first sequence header gives the forbidden aspect
// code 0: the decoder reports no aspect, and the bar fills the whole panel.
void WriteWithoutAspect(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  static const char sequenceHeader[] = {0, 0, 1, char(0xB3)};
  const std::size_t at = bytes.find(std::string(sequenceHeader, 4));
  if (at == std::string::npos || at + 8 > bytes.size()) throw std::runtime_error("no sequence header");
  bytes[at + 7] = char(bytes[at + 7] & 0x0F);  // aspect code in the high four bits
  std::ofstream(to, std::ios::binary) << bytes;
  kelta::TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.Open(to);
  if (decoder.DisplayAspect().Known()) throw std::runtime_error("the copy still gives an aspect");
}

struct TVideoFile {
  std::string Dir, Path, WithoutAspect;
  TVideoFile() {
    char pattern[] = "/tmp/kelta-video-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    Dir = pattern;
    Path = Dir + "/movie.vob";
    WithoutAspect = Dir + "/movie-without-aspect.vob";
    kelta::test::Mpeg2StreamOptions options;  // 720 x 576 at 4:3, 25 fps, DVD muxer
    options.frames = VideoSeconds() * FramesPerSecond;
    options.interlaced = true;
    kelta::test::WriteMpeg2ProgramStream(Path, options);
    WriteWithoutAspect(Path, WithoutAspect);
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

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
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

// Per repetition: CPU seconds per video second, and the shown rate over the nominal one.
struct TPlayed {
  std::vector<double> Cpu, Wall, ShownRate;
};
TPlayed Letterboxed, WholePanel;
double OpenVideoSeconds = 0.0;
double ReferenceSeconds = 0.0;
double DecoderOnlySeconds = 0.0;

// Plays one video through to its end; returns the wall seconds.
double PlayThrough(const std::string& path, TPlayed& played) {
  TBar bar;
  bar.Bar.FileName = QString::fromStdString(path);
  bar.Bar.OpenVideo();
  TPaintCounter counter;
  bar.Panel.installEventFilter(&counter);
  bar.Bar.ShowFrameAt(0);
  counter.Paints = 0;
  const double cpuStart = CpuSeconds();
  QElapsedTimer wall;
  wall.start();
  bar.Bar.Play();
  while (bar.Bar.Playing()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  const double seconds = double(wall.nsecsElapsed()) * 1e-9;
  const double videoSeconds = double(VideoSeconds());
  played.Cpu.push_back((CpuSeconds() - cpuStart) / videoSeconds);
  played.Wall.push_back(seconds / videoSeconds);
  played.ShownRate.push_back((counter.Paints / seconds) / FramesPerSecond);
  return seconds;
}

void Playback(benchmark::State& state) {
  for (auto _ : state) {
    // In turn, so that the machine's drift falls on both alike.
    const double seconds = PlayThrough(Video().WithoutAspect, WholePanel) + PlayThrough(Video().Path, Letterboxed);
    state.SetIterationTime(seconds);
    state.counters["cpu_s_per_video_s_letterboxed"] = Letterboxed.Cpu.back();
    state.counters["cpu_s_per_video_s_whole_panel"] = WholePanel.Cpu.back();
  }
}

double Min(const std::vector<double>& values) {
  return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

void PrintPlayed(const char* what, const TPlayed& played) {
  std::printf("playback %-40s CPU %.3f / %.3f core-s per video s (min / median), wall %.3f / %.3f s per video s, "
              "shown rate / nominal %.4f (median)\n",
              what, Min(played.Cpu), Median(played.Cpu), Min(played.Wall), Median(played.Wall),
              Median(played.ShownRate));
}

void OpenVideo(benchmark::State& state) {
  TBar bar;
  double total = 0.0;
  for (auto _ : state) {
    QElapsedTimer wall;
    wall.start();
    bar.Bar.OpenVideo();
    total += double(wall.nsecsElapsed()) * 1e-9;
    benchmark::DoNotOptimize(bar.Bar.FrameRect(7).Thumb.Bits());
  }
  OpenVideoSeconds = total / double(state.iterations());
}

// The decoder's part of OpenVideo alone: open, eight seeks, a frame after each.
void DecoderOnly(benchmark::State& state) {
  kelta::TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  double total = 0.0;
  for (auto _ : state) {
    QElapsedTimer wall;
    wall.start();
    decoder.Open(Video().Path);
    const std::int64_t step = decoder.FileSize() / 8;
    for (int i = 0; i < 8; ++i) {
      decoder.Seek(step * i);
      benchmark::DoNotOptimize(decoder.GetFilePos());
      benchmark::DoNotOptimize(decoder.GetFrame(kelta::TVideoFrameBar::BlendThreshold).data);
    }
    decoder.Seek(0);
    total += double(wall.nsecsElapsed()) * 1e-9;
  }
  DecoderOnlySeconds = total / double(state.iterations());
}

// Plain FFmpeg: open, eight byte seeks, the first frame after each, BGR24.
void FfmpegReference(benchmark::State& state) {
  double total = 0.0;
  std::vector<std::uint8_t> bgr;
  for (auto _ : state) {
    QElapsedTimer wall;
    wall.start();
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, Video().Path.c_str(), nullptr, nullptr) < 0) std::abort();
    const kelta::codec::FormatPtr format(opened);
    avformat_find_stream_info(format.get(), nullptr);
    const int stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const AVCodecParameters* parameters = format->streams[stream]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    const kelta::codec::CodecContextPtr context(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(context.get(), parameters);
    avcodec_open2(context.get(), codec, nullptr);
    const kelta::codec::PacketPtr packet(av_packet_alloc());
    const kelta::codec::FramePtr frame(av_frame_alloc());
    kelta::codec::SwsPtr sws;
    const std::int64_t size = avio_size(format->pb);
    for (int i = 0; i < 8; ++i) {
      av_seek_frame(format.get(), -1, size / 8 * i, AVSEEK_FLAG_BYTE);
      avcodec_flush_buffers(context.get());
      bool got = false;
      while (!got && av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream && avcodec_send_packet(context.get(), packet.get()) >= 0) {
          got = avcodec_receive_frame(context.get(), frame.get()) >= 0;
        }
        av_packet_unref(packet.get());
      }
      if (!got) continue;
      const int stride = int(kelta::Bgr24Stride(frame->width));
      bgr.resize(std::size_t(stride) * std::size_t(frame->height));
      // sws_getCachedContext frees the context it replaces.
      sws.reset(sws_getCachedContext(sws.release(), frame->width, frame->height, AVPixelFormat(frame->format),
                                     frame->width, frame->height, AV_PIX_FMT_BGR24,
                                     SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr));
      // Bottom-up rows, as the pixel buffer keeps them.
      std::uint8_t* dst[4] = {bgr.data() + std::size_t(stride) * std::size_t(frame->height - 1)};
      const int dstStride[4] = {-stride};
      sws_scale(sws.get(), frame->data, frame->linesize, 0, frame->height, dst, dstStride);
      benchmark::DoNotOptimize(bgr.data());
    }
    total += double(wall.nsecsElapsed()) * 1e-9;
  }
  ReferenceSeconds = total / double(state.iterations());
}

BENCHMARK(Playback)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(3);
BENCHMARK(FfmpegReference)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(OpenVideo)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(DecoderOnly)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  std::printf("Generating a %d s 720x576 video...\n", VideoSeconds());
  Video();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (!Letterboxed.Cpu.empty() && !WholePanel.Cpu.empty()) {
    std::printf("\n");
    PrintPlayed("4:3 between bars:", Letterboxed);
    PrintPlayed("no aspect, filling the panel (reference):", WholePanel);
    std::printf("playback: CPU between bars / filling the panel = %.3f (min), %.3f (median) (goal: 1 within noise); "
                "goals: shown rate within 1 %%, CPU <= 0.25 core-s per video s\n",
                Min(Letterboxed.Cpu) / Min(WholePanel.Cpu), Median(Letterboxed.Cpu) / Median(WholePanel.Cpu));
  }
  if (ReferenceSeconds > 0.0 && OpenVideoSeconds > 0.0) {
    std::printf("open: OpenVideo %.1f ms, FFmpeg reference %.1f ms, ratio %.2f (goal <= 2)\n", OpenVideoSeconds * 1e3,
                ReferenceSeconds * 1e3, OpenVideoSeconds / ReferenceSeconds);
  }
  if (DecoderOnlySeconds > 0.0 && ReferenceSeconds > 0.0) {
    std::printf("open: of that the decoder alone %.1f ms, ratio %.2f to the reference\n", DecoderOnlySeconds * 1e3,
                DecoderOnlySeconds / ReferenceSeconds);
  }
  return 0;
}
