// Stepping back one frame on a generated 720 x 576 DVD-like video (25 fps,
// interlaced, open groups of 12 with two B-pictures between references),
// against references measured in the same run:
//   forward step   the next frame of a running decode (NextFrame);
//   back step      the frame before the one just shown (SeekFrame + NextFrame),
//                  split into the first step back into a group, which
//                  decodes from the group's start (or the group before's),
//                  and the repeated steps back within it;
//   naive back     the same frames decoded from the group's start with
//                  nothing kept, as a decoder without the cache must.
// Each line gives the minimum and the median over every step of that kind in
// all passes, wall and process CPU time (the decoder's slice threads
// included), and the pictures decoded per step. The plugin's video source
// runs in-process so that its decoded pictures can be counted; the last
// lines repeat forward and back steps through the program's decoder wrapper
// and the loaded plugin, the line blend included, as the frame bar steps.
//
// KELTA_BENCH_PASSES sets the passes (default 3).

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "codec/VideoSource.h"
#include "support/VideoFixture.h"
#include "support/TempFolder.h"
#include "video/MPEG2Decoder.h"

namespace fs = std::filesystem;

namespace {

constexpr int VideoFrames = 250;
constexpr std::int64_t FirstShown = 200;  // the steps go back from here ...
constexpr std::int64_t LastShown = 100;   // ... to here: eight groups and more
constexpr std::int32_t BlendThreshold = 240;  // the frame bar's

int Passes() {
  const char* value = std::getenv("KELTA_BENCH_PASSES");
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : 3;
}

double WallMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double CpuMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) * 1e-6;
}

// The steps of one kind: time and pictures decoded of each.
struct Steps {
  std::vector<double> wall, cpu, decoded;

  void Add(double wallMs, double cpuMs) {
    wall.push_back(wallMs);
    cpu.push_back(cpuMs);
  }
};

// Runs a step; its wall and process CPU milliseconds.
template <typename Step>
std::pair<double, double> Timed(Step&& step) {
  const double wall0 = WallMs(), cpu0 = CpuMs();
  step();
  const double cpu = CpuMs() - cpu0;
  return {WallMs() - wall0, cpu};
}

double Min(std::vector<double> v) { return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end()); }
double Max(std::vector<double> v) { return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end()); }
double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const std::size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2.0;
}

void Print(const char* name, const Steps& s) {
  std::printf("%-28s %5zu steps  wall min %6.2f median %6.2f max %6.2f ms  cpu min %6.2f median %6.2f ms", name,
              s.wall.size(), Min(s.wall), Median(s.wall), Max(s.wall), Min(s.cpu), Median(s.cpu));
  if (!s.decoded.empty())
    std::printf("  decoded min %.0f median %.0f max %.0f", Min(s.decoded), Median(s.decoded), Max(s.decoded));
  std::printf("\n");
}

struct Video {
  kelta::test::TTempFolder folder;
  std::string path = folder.File("pal.vob");
  Video() {
    kelta::test::Mpeg2StreamOptions options;  // 720 x 576, 25 fps, open groups of 12
    options.frames = VideoFrames;
    options.interlaced = true;
    kelta::test::WriteMpeg2ProgramStream(path, options);
  }
};

}  // namespace

int main() {
  const Video video;
  const int passes = Passes();
  std::printf("%d passes over frames %lld back to %lld of a %d-frame 720x576 video\n\n", passes,
              static_cast<long long>(FirstShown), static_cast<long long>(LastShown), VideoFrames);

  kelta::codec::VideoSource source;
  if (!source.Open(video.path)) return 1;
  Steps forward, firstBack, repeatedBack, naiveBack;
  for (int pass = 0; pass < passes; ++pass) {
    // Forward: the frames from the last one shown up, decoded in a run.
    source.SeekFrame(LastShown);
    for (std::int64_t n = LastShown; n <= FirstShown; ++n) {
      const std::int64_t before = source.PicturesDecoded();
      const auto [wall, cpu] = Timed([&] { source.NextFrame(); });
      forward.Add(wall, cpu);
      forward.decoded.push_back(double(source.PicturesDecoded() - before));
    }
    // Back, one frame at a time. A step that decodes more than three
    // pictures is the first one into its group.
    for (std::int64_t n = FirstShown - 1; n >= LastShown; --n) {
      const std::int64_t before = source.PicturesDecoded();
      const auto [wall, cpu] = Timed([&] {
        source.SeekFrame(n);
        source.NextFrame();
      });
      const std::int64_t pictures = source.PicturesDecoded() - before;
      Steps& kind = pictures > 3 ? firstBack : repeatedBack;
      kind.Add(wall, cpu);
      kind.decoded.push_back(double(pictures));
    }
    // The same frames with nothing kept: a seek past the end drops the
    // cache before each, so each decodes from its group's start.
    for (std::int64_t n = FirstShown - 1; n >= LastShown; --n) {
      source.Seek(source.TotalSize());
      const std::int64_t before = source.PicturesDecoded();
      const auto [wall, cpu] = Timed([&] {
        source.SeekFrame(n);
        source.NextFrame();
      });
      naiveBack.Add(wall, cpu);
      naiveBack.decoded.push_back(double(source.PicturesDecoded() - before));
    }
  }
  Print("forward step", forward);
  Print("back step, first in group", firstBack);
  Print("back step, repeated", repeatedBack);
  Print("naive back step", naiveBack);

  // Through the wrapper and the loaded plugin, as the frame bar steps.
  kelta::TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.SetRGBScaleFlag(true);
  decoder.Open(video.path);
  Steps wrapperForward, wrapperBack;
  for (int pass = 0; pass < passes; ++pass) {
    decoder.SeekFrame(LastShown);
    for (std::int64_t n = LastShown; n <= FirstShown; ++n) {
      const auto [wall, cpu] = Timed([&] { decoder.GetFrame(BlendThreshold); });
      wrapperForward.Add(wall, cpu);
    }
    for (std::int64_t n = FirstShown - 1; n >= LastShown; --n) {
      const auto [wall, cpu] = Timed([&] {
        decoder.SeekFrame(n);
        decoder.GetFrame(BlendThreshold);
      });
      wrapperBack.Add(wall, cpu);
    }
  }
  Print("plugin forward step", wrapperForward);
  Print("plugin back step", wrapperBack);

  const double all = Max([&] {
    std::vector<double> v = firstBack.wall;
    v.insert(v.end(), repeatedBack.wall.begin(), repeatedBack.wall.end());
    return v;
  }());
  std::printf("\nback step / forward step (medians): first in group %.2f, repeated %.2f; naive / repeated %.2f\n",
              Median(firstBack.wall) / Median(forward.wall), Median(repeatedBack.wall) / Median(forward.wall),
              Median(naiveBack.wall) / Median(repeatedBack.wall));
  std::printf("slowest back step %.1f ms (goal <= 50 ms); pictures decoded per repeated step: max %.0f (goal <= 3)\n",
              all, Max(repeatedBack.decoded));
  std::printf("plugin back step / forward step (medians) %.2f\n",
              Median(wrapperBack.wall) / Median(wrapperForward.wall));
  return 0;
}
