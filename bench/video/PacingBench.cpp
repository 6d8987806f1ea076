// The rate at which playback shows frames, for the three rates of DVD video:
// 25 fps (PAL), 29.97 fps (NTSC video) and 23.976 fps (film), each played
// through the frame bar into a shown output panel from a generated video of
// KELTA_BENCH_SECONDS seconds (default 60), KELTA_BENCH_PLAYBACKS times
// (default 3). The reference is the rate the decoder reports for the video:
// "shown / nominal" is the shown rate's ratio to it (goal within 0.5 %). CPU
// time per second of video is printed beside it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <QApplication>

#include "support/BenchFigures.h"
#include "support/ShownFrameBar.h"
#include "support/VideoFixture.h"
#include "support/TempFolder.h"
#include "video/ui/VideoFrameBar.h"

namespace fs = std::filesystem;

namespace {

int FromEnvironment(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

struct TRate {
  const char* Name;
  int Num, Den, Width, Height;
};
constexpr TRate Rates[] = {
    {"25 fps (PAL)", 25, 1, 720, 576},
    {"29.97 fps (NTSC)", 30000, 1001, 720, 480},
    {"23.976 fps (film)", 24000, 1001, 720, 480},
};

// When each frame of a playback reached the screen: the bar reports every
// shown frame, and a frame's time tells it from the reports that carry none.
struct TShownFrames {
  int Count = 0;
  double First = 0, Last = 0;
  double LastFrameTime = -1;
  void Reset() { *this = TShownFrames{}; }
  void Report(double frameTime) {
    if (frameTime == LastFrameTime) return;
    LastFrameTime = frameTime;
    const double now = kelta::bench::Now().wall;
    if (Count++ == 0) First = now;
    Last = now;
  }
  // Frames per second between the first frame and the last.
  double Rate() const { return Count > 1 && Last > First ? (Count - 1) / (Last - First) : 0.0; }
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int seconds = FromEnvironment("KELTA_BENCH_SECONDS", 60);
  const int playbacks = FromEnvironment("KELTA_BENCH_PLAYBACKS", 3);

  const kelta::test::TTempFolder scratch;
  const fs::path& dir = scratch.Path();

  kelta::bench::Figures figures;
  std::map<std::string, std::vector<double>> ratios;  // shown / nominal rate, each playback
  for (const TRate& rate : Rates) {
    const std::string path = (dir / "movie.mpg").string();
    const kelta::test::Mpeg2StreamOptions options{
        .width = rate.Width, .height = rate.Height, .fpsNum = rate.Num, .fpsDen = rate.Den,
        .frames = int(double(seconds) * rate.Num / rate.Den), .gopSize = 15, .interlaced = true};
    std::printf("Generating %d s at %s...\n", seconds, rate.Name);
    std::fflush(stdout);
    kelta::test::WriteMpeg2ProgramStream(path, options);

    kelta::bench::TShownFrameBar window;
    kelta::TVideoFrameBar& bar = window.Bar;
    bar.FileName = QString::fromStdString(path);
    bar.OpenVideo();
    const double nominal = bar.GetFrameRate();
    TShownFrames frames;
    bar.OnPositionChange = [&](QObject*) { frames.Report(bar.CurrentTime()); };

    const std::string name = std::string("seconds per shown frame at ") + rate.Name;
    const std::string reference = std::string("1 / nominal rate at ") + rate.Name;
    const std::string perSecond = std::string("CPU per video second at ") + rate.Name;
    for (int i = 0; i < playbacks; ++i) {
      bar.ShowFrameAt(0);
      frames.Reset();
      const kelta::bench::Times start = kelta::bench::Now();
      bar.Play();
      // Blocks until the next event: each shown frame and the end post one.
      while (bar.Playing()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      const kelta::bench::Times used = kelta::bench::Now() - start;
      const double period = frames.Rate() > 0 ? 1.0 / frames.Rate() : 0.0;
      figures[name].Add(kelta::bench::Times{used.cpu / std::max(1, frames.Count), period});
      figures[reference].Add(kelta::bench::Times{1.0 / nominal, 1.0 / nominal});
      figures[perSecond].Add(used / double(seconds));
      ratios[rate.Name].push_back(frames.Rate() / nominal);
      std::printf("  %s: %d frames in %.3f s wall, %.3f s CPU: %.4f fps shown\n", rate.Name, frames.Count,
                  used.wall, used.cpu, frames.Rate());
      std::fflush(stdout);
    }
  }
  figures.PrintTable("pacing bench", 1e3, "ms");
  std::printf("\n");
  // Paced: only the wall time of a shown frame compares with the period.
  for (const TRate& rate : Rates) {
    std::vector<double> r = ratios[rate.Name];
    if (r.empty()) continue;
    std::sort(r.begin(), r.end());
    std::printf("%s: shown / nominal rate %.4f (min) %.4f (median) %.4f (max) (goal within 0.5 %%)\n", rate.Name,
                r.front(), r[r.size() / 2], r.back());
  }
  return 0;
}
