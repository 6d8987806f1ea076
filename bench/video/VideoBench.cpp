// Two measurements of the frame bar on a generated 60-second 720 x 576 video
// at 25 fps (KELTA_BENCH_SECONDS changes the length):
//   Playback: plays the whole video through the frame bar into an output
//     panel; reports the shown frame rate against the nominal 25 fps and the
//     process CPU seconds used per second of video (decoding included).
//   OpenVideo: opening the video and building the eight strip cells, beside
//     an in-process FFmpeg reference (open, eight byte seeks, the first frame
//     after each, conversion to BGR24 with the plugin's conversion flags),
//     and the decoder's share of it alone.
// The closing lines print both ratios.

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
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

double ShownRateRatio = 0.0;
double CpuPerVideoSecond = 0.0;
double OpenVideoSeconds = 0.0;
double ReferenceSeconds = 0.0;
double DecoderOnlySeconds = 0.0;

void Playback(benchmark::State& state) {
  TBar bar;
  bar.Bar.OpenVideo();
  TPaintCounter counter;
  bar.Panel.installEventFilter(&counter);
  for (auto _ : state) {
    bar.Bar.ShowFrameAt(0);
    counter.Paints = 0;
    const double cpuStart = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    bar.Bar.Play();
    while (bar.Bar.Playing()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double seconds = double(wall.nsecsElapsed()) * 1e-9;
    const double cpu = CpuSeconds() - cpuStart;
    state.SetIterationTime(seconds);
    const double videoSeconds = double(VideoSeconds());
    ShownRateRatio = (counter.Paints / seconds) / FramesPerSecond;
    CpuPerVideoSecond = cpu / videoSeconds;
    state.counters["shown_fps"] = counter.Paints / seconds;
    state.counters["frames"] = counter.Paints;
    state.counters["cpu_s_per_video_s"] = CpuPerVideoSecond;
  }
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

BENCHMARK(Playback)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
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
  if (ShownRateRatio > 0.0) {
    std::printf("\nplayback: shown rate / nominal = %.4f (goal within 1 %%), CPU = %.3f core-s per video s (goal <= 0.25)\n",
                ShownRateRatio, CpuPerVideoSecond);
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
