// Opening a video beside the main thread, on generated DVD video of growing
// size: one 720 x 576 piece of 30 s written once and repeated into files of
// about 16 MB, 210 MB and 1 GB, and a 4 GB title of four parts that are hard
// links of the 1 GB file (VTS_01_1.VOB ... VTS_01_4.VOB: 4 GB of video on
// 1 GB of disk). Two measurements, each beside the synchronous open of the
// same file in the same run (OpenVideo, which holds the main thread for all
// of its length):
//   First picture: from BeginOpen until the video's first picture is painted
//     in the output panel. Goal: flat over the sizes, at most 150 ms.
//   Longest block: the longest the main thread goes without running its
//     event loop during a whole open of the 4 GB title, measured as the
//     longest gap between the ticks of a 1 ms timer. Goal: at most 50 ms.
//   Cancel: how long CancelOpen holds the main thread when it ends an open
//     of the 4 GB title a third of the way through its pass over the file.
//     Goal: at most 50 ms.
// Every figure is the minimum and median of several runs, wall time beside
// the CPU time of the process (all threads) and of the main thread. The files
// go into a temporary folder that is removed at the end.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

#include "common/ui/VideoOutPanel.h"
#include "support/ShownFrameBar.h"
#include "support/VideoFixture.h"
#include "support/TempFolder.h"
#include "video/ui/VideoFrameBar.h"

namespace fs = std::filesystem;

namespace {

constexpr int FirstPictureRuns = 7;
constexpr int ReferenceRuns = 3;
constexpr int BlockRuns = 3;
constexpr kelta::TBGRColor Sentinel{255, 0, 255};

double Seconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Wall, process and main-thread CPU seconds over a stretch of work.
struct TSample {
  double Wall = 0, Cpu = 0, MainCpu = 0;
};

class TStopwatch {
 public:
  TStopwatch() : Cpu_(Seconds(CLOCK_PROCESS_CPUTIME_ID)), MainCpu_(Seconds(CLOCK_THREAD_CPUTIME_ID)) { Wall_.start(); }
  TSample Stop() const {
    return {double(Wall_.nsecsElapsed()) * 1e-9, Seconds(CLOCK_PROCESS_CPUTIME_ID) - Cpu_,
            Seconds(CLOCK_THREAD_CPUTIME_ID) - MainCpu_};
  }

 private:
  QElapsedTimer Wall_;
  double Cpu_, MainCpu_;
};

struct TFigure {
  double Min = 0, Median = 0;
};

TFigure FigureOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return {values.front(), values[values.size() / 2]};
}

TFigure Field(const std::vector<TSample>& samples, double TSample::*field) {
  std::vector<double> values;
  for (const TSample& s : samples) values.push_back(s.*field);
  return FigureOf(values);
}

std::string Ms(const TFigure& f) {
  char text[64];
  std::snprintf(text, sizeof text, "%7.1f /%7.1f", f.Min * 1e3, f.Median * 1e3);
  return text;
}

// The generated files, removed with the object.
struct TVideos {
  kelta::test::TTempFolder Scratch;
  fs::path Dir = Scratch.Path();
  struct TEntry {
    std::string Name, Path;
    double Megabytes = 0;
  };
  std::vector<TEntry> Entries;

  TVideos() {
    const fs::path piece = Dir / "piece.vob";
    kelta::test::Mpeg2StreamOptions options;  // 720 x 576, 25 fps, DVD muxer
    options.frames = 750;
    options.interlaced = true;
    kelta::test::WriteMpeg2ProgramStream(piece.string(), options);
    std::ifstream in(piece, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::remove(piece);

    // Program streams joined end to end stay one program stream.
    auto repeated = [&](const fs::path& path, int times) {
      std::ofstream out(path, std::ios::binary);
      for (int i = 0; i < times; ++i) out.write(bytes.data(), std::streamsize(bytes.size()));
      if (!out) throw std::runtime_error("cannot write " + path.string());
    };
    const double pieceMb = double(bytes.size()) / 1e6;
    repeated(Dir / "small.vob", 1);
    repeated(Dir / "medium.vob", 13);
    repeated(Dir / "large.vob", 60);
    const fs::path title = Dir / "VIDEO_TS";
    fs::create_directories(title);
    for (int part = 1; part <= 4; ++part)
      fs::create_hard_link(Dir / "large.vob", title / ("VTS_01_" + std::to_string(part) + ".VOB"));
    Entries = {{"one piece", (Dir / "small.vob").string(), pieceMb},
               {"13 pieces", (Dir / "medium.vob").string(), 13 * pieceMb},
               {"60 pieces", (Dir / "large.vob").string(), 60 * pieceMb},
               {"title, 4 x 60", (title / "VTS_01_1.VOB").string(), 4 * 60 * pieceMb}};
  }
};

// Notes the first paint of the panel that shows something else than the
// sentinel colour it was filled with.
class TFirstPaint : public QObject {
 public:
  explicit TFirstPaint(kelta::TVideoOutPanelEx& panel) : Panel_(panel) { Panel_.installEventFilter(this); }
  ~TFirstPaint() override { Panel_.removeEventFilter(this); }
  bool Seen = false;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !Seen) Seen = !AllSentinel();
    return false;
  }

 private:
  bool AllSentinel() const {
    const kelta::TFastDIB& image = *Panel_.Image;
    for (int row = 0; row < image.RowCount(); row += 7)
      for (int column = 0; column < image.Width(); column += 7)
        if (!(image.PixelAt(row, column) == Sentinel)) return false;
    return true;
  }
  kelta::TVideoOutPanelEx& Panel_;
};

using TBar = kelta::bench::TShownFrameBar;

TSample FirstPicture(TBar& bar, const std::string& path) {
  bar.Panel.Image->Fill(Sentinel);
  bar.Panel.repaint();
  bar.Bar.FileName = QString::fromStdString(path);
  TFirstPaint paint(bar.Panel);
  const TStopwatch watch;
  bar.Bar.BeginOpen();
  while (!paint.Seen && bar.Bar.Opening()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const TSample sample = watch.Stop();
  if (!paint.Seen) throw std::runtime_error("no first picture from " + path);
  // The rest of the open is not measured here.
  bar.Bar.CancelOpen();
  return sample;
}

TSample SynchronousOpen(TBar& bar, const std::string& path) {
  bar.Bar.FileName = QString::fromStdString(path);
  const TStopwatch watch;
  bar.Bar.OpenVideo();
  return watch.Stop();
}

// A whole open beside the main thread, with the longest gap between the
// ticks of a 1 ms timer on it (BeginOpen itself and the switch at the end
// included).
TSample OpenWithTicks(TBar& bar, const std::string& path, double& longestGap) {
  bar.Bar.FileName = QString::fromStdString(path);
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0, longest = 0;
  auto tick = [&] {
    const qint64 now = clock.nsecsElapsed();
    longest = std::max(longest, now - last);
    last = now;
  };
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, tick);
  timer.start(1);
  const TStopwatch watch;
  tick();
  bar.Bar.BeginOpen();
  while (bar.Bar.Opening()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  tick();
  const TSample sample = watch.Stop();
  if (!bar.Bar.FileOpened()) throw std::runtime_error("the open of " + path + " failed");
  longestGap = double(longest) * 1e-9;
  return sample;
}

// Ends an open of `path` once its progress passed a third; the time CancelOpen takes.
TSample CancelMidway(TBar& bar, const std::string& path) {
  bar.Bar.FileName = QString::fromStdString(path);
  int percent = 0;
  bar.Bar.OnProgress = [&percent](QObject*, kelta::TOpenProgress kind, std::int32_t value) {
    if (kind == kelta::TOpenProgress::Step) percent = value;
  };
  bar.Bar.BeginOpen();
  while (percent < 30 && bar.Bar.Opening()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  bar.Bar.OnProgress = nullptr;
  if (!bar.Bar.Opening()) throw std::runtime_error("the open of " + path + " ended before the cancel");
  const TStopwatch watch;
  bar.Bar.CancelOpen();
  return watch.Stop();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::printf("Writing the videos (a 30 s piece, repeated)...\n");
  std::fflush(stdout);
  const TVideos videos;
  TBar bar;

  std::printf("\nFirst picture (%d runs) beside the synchronous open (%d runs), ms min / median:\n", FirstPictureRuns,
              ReferenceRuns);
  std::printf("%-16s %8s | %-17s %-17s %-17s | %-17s %-17s | %s\n", "video", "MB", "first wall", "first CPU",
              "first main CPU", "sync open wall", "sync open CPU", "first/sync");
  std::vector<double> firstMedians;
  std::vector<TSample> sync;
  for (const TVideos::TEntry& video : videos.Entries) {
    std::vector<TSample> first;
    sync.clear();
    for (int i = 0; i < ReferenceRuns; ++i) sync.push_back(SynchronousOpen(bar, video.Path));
    for (int i = 0; i < FirstPictureRuns; ++i) first.push_back(FirstPicture(bar, video.Path));
    const TFigure firstWall = Field(first, &TSample::Wall), syncWall = Field(sync, &TSample::Wall);
    firstMedians.push_back(firstWall.Median);
    std::printf("%-16s %8.0f | %s %s %s | %s %s | %.4f\n", video.Name.c_str(), video.Megabytes, Ms(firstWall).c_str(),
                Ms(Field(first, &TSample::Cpu)).c_str(), Ms(Field(first, &TSample::MainCpu)).c_str(),
                Ms(syncWall).c_str(), Ms(Field(sync, &TSample::Cpu)).c_str(), firstWall.Median / syncWall.Median);
    std::fflush(stdout);
  }
  std::printf("first picture: median %.1f ms at most (goal <= 150 ms); largest / smallest file %.2f (goal flat, 1)\n",
              *std::max_element(firstMedians.begin(), firstMedians.end()) * 1e3,
              firstMedians.back() / firstMedians.front());

  const TVideos::TEntry& title = videos.Entries.back();
  std::printf("\nMain thread during a whole open of the %.0f MB title (%d runs), ms min / median:\n", title.Megabytes,
              BlockRuns);
  std::vector<TSample> opens;
  std::vector<double> gaps;
  for (int i = 0; i < BlockRuns; ++i) {
    double gap = 0;
    opens.push_back(OpenWithTicks(bar, title.Path, gap));
    gaps.push_back(gap);
  }
  // The reference: the title's synchronous opens above.
  const TFigure gap = FigureOf(gaps), syncWall = Field(sync, &TSample::Wall);
  std::printf("open beside the main thread: wall %s, CPU %s, main thread CPU %s\n",
              Ms(Field(opens, &TSample::Wall)).c_str(), Ms(Field(opens, &TSample::Cpu)).c_str(),
              Ms(Field(opens, &TSample::MainCpu)).c_str());
  std::printf("synchronous open (reference, blocks throughout): wall %s, CPU %s\n", Ms(syncWall).c_str(),
              Ms(Field(sync, &TSample::Cpu)).c_str());
  std::printf("longest block of the main thread: %s (goal <= 50 ms); median / synchronous open's block %.4f\n",
              Ms(gap).c_str(), gap.Median / syncWall.Median);
  std::vector<TSample> cancels;
  for (int i = 0; i < BlockRuns; ++i) cancels.push_back(CancelMidway(bar, title.Path));
  const TFigure cancelWall = Field(cancels, &TSample::Wall);
  std::printf("cancel a third of the way: wall %s, CPU %s (goal <= 50 ms); median / synchronous open %.4f\n",
              Ms(cancelWall).c_str(), Ms(Field(cancels, &TSample::Cpu)).c_str(), cancelWall.Median / syncWall.Median);
  return 0;
}
