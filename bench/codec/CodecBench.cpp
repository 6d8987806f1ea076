// Decoder speed on a generated 720 x 576 DVD-like video, against plain FFmpeg
// loops measured in the same run:
//   (a) plain decode without conversion,
//   (b) plain decode converting to BGR24 with the plugin's conversion settings,
//   (c) the wrapper's GetFrame loop with threshold 240 (decode, convert, blend);
// plus one seek with the first frame after it, and opening a large file
// (KELTA_BENCH_OPEN_MB, default 1024 MB, made by repeating the video; 0 skips).
// The closing lines print (c)/(b) and (c)/(a), and (c)/(b) once more from
// passes taken in turn. Times are wall-clock: the
// decoders run slices on more than one thread.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/ReferenceDecoder.h"
#include "support/VideoFixture.h"
#include "video/MPEG2Decoder.h"

namespace fs = std::filesystem;

namespace {

constexpr int BenchFrames = 250;  // 10 s at 25 fps
double pairedRatio = 0.0;

struct Files {
  std::string dir, video, large;
  std::int64_t largeBytes = 0;

  Files() {
    char pattern[] = "/tmp/kelta-bench-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    dir = pattern;
    video = dir + "/pal.vob";
    kelta::test::Mpeg2StreamOptions options;
    options.frames = BenchFrames;
    options.interlaced = true;  // as most DVD video
    kelta::test::WriteMpeg2ProgramStream(video, options);

    const char* mb = std::getenv("KELTA_BENCH_OPEN_MB");
    const std::int64_t wanted = std::int64_t(mb ? std::atoll(mb) : 1024) << 20;
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
  ~Files() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

Files& TheFiles() {
  static Files files;
  return files;
}

void PlainDecode(benchmark::State& state) {
  std::int64_t frames = 0;
  for (auto _ : state) {
    kelta::test::ReferenceDecoder decoder(TheFiles().video);
    while (decoder.Next(nullptr)) ++frames;
  }
  state.SetItemsProcessed(frames);
}

void PlainDecodeConvert(benchmark::State& state) {
  std::int64_t frames = 0;
  std::vector<std::uint8_t> bgr;
  for (auto _ : state) {
    kelta::test::ReferenceDecoder decoder(TheFiles().video);
    while (decoder.Next(&bgr)) {
      benchmark::DoNotOptimize(bgr.data());
      ++frames;
    }
  }
  state.SetItemsProcessed(frames);
}

void WrapperGetFrame(benchmark::State& state) {
  kelta::TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.SetRGBScaleFlag(true);
  std::int64_t frames = 0;
  for (auto _ : state) {
    decoder.Open(TheFiles().video, 0, -1);
    while (const kelta::FrameView frame = decoder.GetFrame(240)) {
      benchmark::DoNotOptimize(frame.data);
      ++frames;
    }
  }
  state.SetItemsProcessed(frames);
}

// (b) and (c) pass for pass in turn, so that both meet the same load from
// the rest of the machine: the fairest (c)/(b) on a busy machine.
void PairedConvertVsWrapper(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  kelta::TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.SetRGBScaleFlag(true);
  std::vector<std::uint8_t> bgr;
  Clock::duration plain{}, wrapper{};
  for (auto _ : state) {
    auto start = Clock::now();
    kelta::test::ReferenceDecoder reference(TheFiles().video);
    while (reference.Next(&bgr)) benchmark::DoNotOptimize(bgr.data());
    plain += Clock::now() - start;
    start = Clock::now();
    decoder.Open(TheFiles().video, 0, -1);
    while (const kelta::FrameView frame = decoder.GetFrame(240)) benchmark::DoNotOptimize(frame.data);
    wrapper += Clock::now() - start;
  }
  pairedRatio = std::chrono::duration<double>(plain).count() / std::chrono::duration<double>(wrapper).count();
  state.counters["c_over_b"] = pairedRatio;
}

void SeekAndFirstFrame(benchmark::State& state) {
  kelta::TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.SetRGBScaleFlag(true);
  decoder.Open(TheFiles().video, 0, -1);
  std::mt19937_64 random(5);
  for (auto _ : state) {
    decoder.Seek(std::int64_t(random() % std::uint64_t(decoder.FileSize())));
    benchmark::DoNotOptimize(decoder.GetFrame(240).data);
  }
}

void OpenLargeFile(benchmark::State& state) {
  if (TheFiles().large.empty()) {
    state.SkipWithError("KELTA_BENCH_OPEN_MB=0: skipped");
    return;
  }
  kelta::TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  for (auto _ : state) decoder.Open(TheFiles().large, 0, -1);
  state.counters["MB"] = double(TheFiles().largeBytes) / (1 << 20);
}

// A whole pass per iteration, repeated: the ratios use each loop's best pass,
// which shows the code rather than the machine's other load.
BENCHMARK(PlainDecode)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(PlainDecodeConvert)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(WrapperGetFrame)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(PairedConvertVsWrapper)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(SeekAndFirstFrame)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(40);
BENCHMARK(OpenLargeFile)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(2);

// Prints the usual table and remembers each loop's best frames per second.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      auto it = run.counters.find("items_per_second");
      if (it == run.counters.end()) continue;
      double& best = rates[run.run_name.function_name];
      best = std::max(best, it->second.value);
    }
  }
  std::map<std::string, double> rates;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TheFiles();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double a = reporter.rates["PlainDecode"], b = reporter.rates["PlainDecodeConvert"],
               c = reporter.rates["WrapperGetFrame"];
  std::printf("\nbest frames/s: (a) plain decode %.1f, (b) plain decode + BGR24 %.1f, (c) wrapper GetFrame(240) %.1f\n",
              a, b, c);
  if (a > 0 && b > 0 && c > 0)
    std::printf("ratio (c)/(b) = %.2f (goal >= 0.9), (c)/(a) = %.2f\n", c / b, c / a);
  if (pairedRatio > 0) std::printf("ratio (c)/(b), passes taken in turn = %.2f\n", pairedRatio);
  benchmark::Shutdown();
  return 0;
}
