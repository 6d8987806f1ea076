// What the picture in the main window costs while playing, at its sizes: a
// PAL video of KELTA_BENCH_SECONDS seconds (default 20) played through the
// frame bar, paced, KELTA_BENCH_PLAYBACKS times (default 5) into
//  - the picture panel as it was painted before the window resized (one
//    buffer for the frame and the picture, 400 x 225): the reference;
//  - today's panel at that design size (goal: within 5 % of the reference);
//  - today's panel at its size in a 1280 x 800 window (930 x 524; goal:
//    within 1.5 x of the reference; its ratio to the design size is printed
//    too).
// CPU and wall time per second of video, minimum and median; the rounds take
// turns, so a slow moment of the machine falls on all three alike.
#include <cstdio>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QPainter>

#include "app/MainLayout.h"
#include "common/ui/VideoOutPanel.h"
#include "imaging/ui/DibImage.h"
#include "support/BenchFigures.h"
#include "support/TempFolder.h"
#include "support/VideoFixture.h"
#include "video/ui/VideoFrameBar.h"

namespace fs = std::filesystem;

namespace {

// The panel's paint before the window resized: the outline, the shadow and
// the picture into one buffer, drawn at once.
class TFormerPanel : public kelta::TVideoOutPanelEx {
 protected:
  void paintEvent(QPaintEvent*) override {
    kelta::TFastDIB buffer;
    PaintTo(buffer);
    QPainter painter(this);
    painter.drawImage(0, 0, kelta::DibToImage(buffer));
  }
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int seconds = kelta::bench::EnvInt("KELTA_BENCH_SECONDS", 20);
  const int playbacks = kelta::bench::EnvInt("KELTA_BENCH_PLAYBACKS", 5);

  const kelta::test::TTempFolder scratch;
  const std::string path = (scratch.Path() / "movie.mpg").string();
  std::printf("Generating %d s of PAL video...\n", seconds);
  std::fflush(stdout);
  kelta::test::WriteMpeg2ProgramStream(
      path, kelta::test::Mpeg2StreamOptions{.frames = seconds * 25, .gopSize = 15, .interlaced = true});

  kelta::TVideoFrameBar bar(nullptr, QStringLiteral(KELTA_PROGRAM_DIR));
  if (!bar.DecoderLoaded()) {
    std::fprintf(stderr, "codec.so is not built\n");
    return 1;
  }
  bar.FileName = QString::fromStdString(path);
  bar.OpenVideo();

  const kelta::TBox large = kelta::LayOutMainWindow(1280, 800, kelta::TMainLayout::DesignLibraryWidth).Picture;
  TFormerPanel former;
  kelta::TVideoOutPanelEx design, grown;
  former.resize(400, 225);
  design.resize(400, 225);
  grown.resize(large.Width, large.Height);
  const struct {
    std::string Name;
    kelta::TVideoOutPanelEx* Panel;
  } panels[] = {{"former panel, 400 x 225 (reference)", &former},
                {"panel at 400 x 225", &design},
                {"panel at " + std::to_string(large.Width) + " x " + std::to_string(large.Height) + " (1280 x 800 window)",
                 &grown}};
  for (const auto& p : panels) p.Panel->show();

  kelta::bench::Figures figures;
  for (int round = 0; round < playbacks; ++round) {
    for (const auto& p : panels) {
      bar.OutputPanel = p.Panel;
      bar.ShowFrameAt(0);
      const kelta::bench::Times start = kelta::bench::Now();
      bar.Play();
      while (bar.Playing()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      const kelta::bench::Times used = kelta::bench::Now() - start;
      figures["per video second: " + p.Name].Add(used / double(seconds));
      std::printf("  %s: %.3f s CPU, %.3f s wall\n", p.Name.c_str(), used.cpu, used.wall);
      std::fflush(stdout);
    }
  }
  figures.PrintTable("preview bench (playback, paced)", 1e3, "ms");
  std::printf("\n");
  const std::string reference = "per video second: " + panels[0].Name;
  figures.PrintRatio("per video second: " + panels[1].Name, reference, "goal <= 1.05", false);
  figures.PrintRatio("per video second: " + panels[2].Name, reference, "goal <= 1.5", false);
  figures.PrintRatio("per video second: " + panels[2].Name, "per video second: " + panels[1].Name, {}, false);
  return 0;
}
