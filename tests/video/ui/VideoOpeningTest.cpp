// The frame bar's open on a worker thread: over fake plugins whose opens a
// test can hold, fail or cancel at a chosen moment, and over the real plugin.
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

#include "common/ui/VideoOutPanel.h"
#include "imaging/FastDIB.h"
#include "support/SamePixels.h"
#include "support/VideoFixture.h"
#include "video/MPEG2Decoder.h"
#include "video/VideoOpener.h"
#include "video/ui/TestClasses.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

namespace {

const QString ProgramDir = QStringLiteral(KELTA_PROGRAM_DIR);

QString FakeCodec(const QString& variant) { return QStringLiteral(KELTA_FAKE_CODECS "/") + variant; }

// A fake plugin's video: 64 x 48, memory row r of every frame filled with
// the byte 10 * r + shade; `more` adds to the script (hold=, failfull=).
QString Script(int shade, const QString& more = QString()) {
  return QStringLiteral("w=64;h=48;rate=25;frames=100000;shade=%1").arg(shade) + more;
}

// The shade of a fake plugin's frame, read from memory row 1: the line
// blend leaves odd rows alone.
int Shade(const TFastDIB& frame) { return frame.Empty() ? -1 : frame.PixelAt(1, 0).Blue - 10; }

TFastDIB Copy(const TFastDIB& dib) {
  TFastDIB copy;
  copy.SetSize(dib.Width(), dib.RowCount(), 24);
  dib.Draw(copy, 0, 0);
  return copy;
}

int Counter(const TFastDIB& dib) {
  return test::ReadFrameCounter(dib.Bits(), dib.Width(), dib.RowCount(), dib.RowStride());
}

// What a person sees of the bar and what its commands act on.
struct TBarState {
  QString FileName;
  bool Opened = false;
  std::int64_t Position = 0, MaxPosition = 0;
  TFastDIB Frame, Panel;
  std::vector<TFastDIB> Thumbs;
  std::vector<std::int64_t> CellPositions;
};

// Started at 0, rising steps, finished at 100; empty when so.
QString ProgressFault(const std::vector<std::pair<int, int>>& progress) {
  if (progress.size() < 2 || progress.front() != std::make_pair(0, 0) || progress.back() != std::make_pair(2, 100))
    return QStringLiteral("not started at 0 and finished at 100");
  for (std::size_t i = 1; i + 1 < progress.size(); ++i) {
    if (progress[i].first != 1) return QStringLiteral("report %1 is no step").arg(i);
    if (progress[i].second <= (i > 1 ? progress[i - 1].second : -1) || progress[i].second > 99)
      return QStringLiteral("step %1 to %2 does not rise").arg(i).arg(progress[i].second);
  }
  return QString();
}

// A frame bar with a panel to paint into, logging its progress and how its
// opens ended.
struct TOpeningFixture {
  TVideoOutPanelEx Panel;
  TVideoFrameBar Bar;
  std::vector<std::pair<int, int>> Progress;
  std::vector<TOpenEnd> Ends;

  explicit TOpeningFixture(const QString& folder) : Bar(nullptr, folder) {
    Bar.OutputPanel = &Panel;
    Bar.OnProgress = [this](QObject*, TOpenProgress kind, std::int32_t value) {
      Progress.emplace_back(int(kind), value);
    };
  }
  void Open(const QString& name) {
    Bar.FileName = name;
    Bar.OpenVideo();
  }
  void Begin(const QString& name) {
    Bar.FileName = name;
    Progress.clear();
    Bar.BeginOpen([this](TOpenEnd end, const std::exception_ptr&) { Ends.push_back(end); });
  }
  // A DVD title of the fake plugin: the script stands for the disc, and one
  // cell covers the fake's whole video.
  void BeginDvdTitle(const QString& script) {
    Progress.clear();
    const TDvdCells cells{script.toStdString(), 1, {{0, std::uint32_t(5'000'000 / DvdSectorBytes)}}};
    Bar.BeginOpenDvdTitle(QStringLiteral("MY_DISC - Title 1"), cells,
                          [this](TOpenEnd end, const std::exception_ptr&) { Ends.push_back(end); });
  }
  TBarState State() {
    TBarState state;
    state.FileName = Bar.FileName;
    state.Opened = Bar.FileOpened();
    state.Position = Bar.Position();
    state.MaxPosition = Bar.MaxPosition();
    state.Frame = Copy(Bar.FrameDIB());
    state.Panel = Copy(*Panel.Image);
    for (int i = 0; i < TVideoFrameBar::CellCount; ++i) {
      state.Thumbs.push_back(Copy(Bar.FrameRect(i).Thumb));
      state.CellPositions.push_back(Bar.FrameRect(i).Position);
    }
    return state;
  }
  bool PanelChangedSince(const TBarState& state) const { return !test::PixelsEqual(*Panel.Image, state.Panel); }
};

// What differs between two states, the panel's picture left out on request;
// empty when nothing does.
QString Differences(const TBarState& a, const TBarState& b, bool withPanel = true) {
  QStringList differ;
  if (a.FileName != b.FileName) differ << QStringLiteral("name %1 / %2").arg(a.FileName, b.FileName);
  if (a.Opened != b.Opened) differ << QStringLiteral("opened");
  if (a.Position != b.Position) differ << QStringLiteral("position %1 / %2").arg(a.Position).arg(b.Position);
  if (a.MaxPosition != b.MaxPosition) differ << QStringLiteral("end position");
  if (!test::SamePixels(a.Frame, b.Frame, "frame")) differ << QStringLiteral("frame");
  if (withPanel && !test::SamePixels(a.Panel, b.Panel, "panel")) differ << QStringLiteral("panel");
  for (std::size_t i = 0; i < a.Thumbs.size(); ++i) {
    if (!test::SamePixels(a.Thumbs[i], b.Thumbs[i], "thumb")) differ << QStringLiteral("cell %1 picture").arg(i);
    if (a.CellPositions[i] != b.CellPositions[i]) differ << QStringLiteral("cell %1 position").arg(i);
  }
  return differ.join(QStringLiteral(", "));
}

}  // namespace

void VideoOpeningTest::initTestCase() {
  QVERIFY(Dir_.isValid());
  QVERIFY2(QFileInfo::exists(ProgramDir + QStringLiteral("/codec.so")), "codec.so is not built");
  Small_ = Dir_.filePath(QStringLiteral("small.vob"));
  const test::Mpeg2StreamOptions small{.width = 352, .height = 288, .frames = 30, .gopSize = 6};
  test::WriteMpeg2ProgramStream(Small_.toStdString(), small);
  // Longer than the quick look, so that the whole open has a pass of its own.
  Large_ = Dir_.filePath(QStringLiteral("large.vob"));
  test::Mpeg2StreamOptions large;
  large.frames = 220;
  test::WriteMpeg2ProgramStream(Large_.toStdString(), large);
  QVERIFY(QFileInfo(Large_).size() > TVideoOpener::QuickLookBytes);
}

QString VideoOpeningTest::NewHoldFile() { return Dir_.filePath(QStringLiteral("hold-%1").arg(++Holds_)); }

void VideoOpeningTest::Release(const QString& holdFile) {
  QFile file(holdFile);
  QVERIFY(file.open(QIODevice::WriteOnly));
}

// The new video's first picture shows while the open of the whole video is
// still held, and the main thread keeps running its timers meanwhile; with a
// plugin that cannot report its reading too.
void VideoOpeningTest::firstPictureComesBeforeTheWholeOpen_data() {
  QTest::addColumn<QString>("variant");
  QTest::addColumn<bool>("dvd");
  QTest::newRow("plugin with reports") << "good" << false;
  QTest::newRow("older plugin") << "omit_setOpenProgress" << false;
  QTest::newRow("DVD title") << "good" << true;
}

void VideoOpeningTest::firstPictureComesBeforeTheWholeOpen() {
  QFETCH(QString, variant);
  QFETCH(bool, dvd);
  TOpeningFixture f(FakeCodec(variant));
  const TBarState before = f.State();
  const QString hold = NewHoldFile();
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
  timer.start(5);
  const QString script = Script(100, QStringLiteral(";hold=") + hold);
  if (dvd)
    f.BeginDvdTitle(script);
  else
    f.Begin(script);
  QVERIFY(f.Bar.Opening());
  QTRY_VERIFY(ticks >= 3 && f.PanelChangedSince(before));
  QVERIFY(f.Bar.Opening());
  QVERIFY(!f.Bar.FileOpened());
  QVERIFY(f.Ends.empty());

  Release(hold);
  QTRY_VERIFY(!f.Bar.Opening());
  QCOMPARE(f.Ends, std::vector<TOpenEnd>{TOpenEnd::Opened});
  QVERIFY(f.Bar.FileOpened());
  QCOMPARE(f.Bar.VideoWidth(), 64);
  QCOMPARE(Shade(f.Bar.FrameDIB()), 100);
  QCOMPARE(f.Bar.MaxPosition(), 5'000'000 / PositionBlock);
  const QString fault = ProgressFault(f.Progress);
  QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

// An open cancelled or failed after the new video's first picture showed
// puts the previous video back as it was: picture, frame, strip, name,
// position, and playback running again if it ran. Meanwhile the previous
// video waits: steps and playback do nothing.
void VideoOpeningTest::openThatDoesNotCompleteLeavesThePreviousVideo_data() {
  QTest::addColumn<bool>("failure");
  QTest::addColumn<bool>("playing");
  QTest::newRow("cancelled") << false << false;
  QTest::newRow("cancelled during playback") << false << true;
  QTest::newRow("failed") << true << false;
  QTest::newRow("failed during playback") << true << true;
}

void VideoOpeningTest::openThatDoesNotCompleteLeavesThePreviousVideo() {
  QFETCH(bool, failure);
  QFETCH(bool, playing);
  TOpeningFixture f(FakeCodec(QStringLiteral("good")));
  f.Open(Script(0));
  f.Bar.ShowFrameAt(3 * PositionBlock);
  const TBarState before = f.State();
  if (playing) f.Bar.Play();

  const QString hold = NewHoldFile();
  f.Begin(Script(100, QStringLiteral(";hold=") + hold + (failure ? QStringLiteral(";failfull=1") : QString())));
  QVERIFY(!f.Bar.Playing());
  QTRY_VERIFY(f.PanelChangedSince(before));
  f.Bar.ShowFrameAt(7 * PositionBlock);
  f.Bar.Play();
  QVERIFY(!f.Bar.Playing());
  QCOMPARE(f.Bar.Position(), before.Position);

  if (failure) {
    Release(hold);
    QTRY_VERIFY(!f.Bar.Opening());
  } else {
    f.Bar.CancelOpen();
    QVERIFY(!f.Bar.Opening());
  }
  QCOMPARE(f.Ends, std::vector<TOpenEnd>{failure ? TOpenEnd::Failed : TOpenEnd::Cancelled});
  QCOMPARE(f.Progress.back(), std::make_pair(int(TOpenProgress::Abandoned), 0));
  QCOMPARE(f.Bar.Playing(), playing);
  f.Bar.Pause();
  // Playback paints its frames unsmoothed: the panel is compared when paused.
  const QString differences = Differences(before, f.State(), !playing);
  QVERIFY2(differences.isEmpty(), qPrintable(differences));
  f.Bar.ShowFrameAt(5 * PositionBlock);
  QCOMPARE(f.Bar.Position(), 5);
}

// A second open while one runs ends the first as cancelled.
void VideoOpeningTest::secondOpenCancelsTheFirst() {
  TOpeningFixture f(FakeCodec(QStringLiteral("good")));
  f.Open(Script(0));
  const TBarState before = f.State();
  f.Begin(Script(100, QStringLiteral(";hold=") + NewHoldFile()));
  QTRY_VERIFY(f.PanelChangedSince(before));
  f.Begin(Script(200));
  QCOMPARE(f.Ends, std::vector<TOpenEnd>{TOpenEnd::Cancelled});
  f.Bar.WaitForOpen();
  QCOMPARE(f.Ends, (std::vector<TOpenEnd>{TOpenEnd::Cancelled, TOpenEnd::Opened}));
  QCOMPARE(f.Bar.FileName, Script(200));
  QCOMPARE(Shade(f.Bar.FrameDIB()), 200);
}

// Going away during an open neither hangs nor tells anyone, and unloads
// the plugin copy the open loaded.
void VideoOpeningTest::destroyingTheBarEndsItsOpen() {
  QCOMPARE(TMPEG2Decoder::InstanceCount(), 0);
  auto f = std::make_unique<TOpeningFixture>(FakeCodec(QStringLiteral("good")));
  const TBarState before = f->State();
  f->Begin(Script(100, QStringLiteral(";hold=") + NewHoldFile()));
  QTRY_VERIFY(f->PanelChangedSince(before));
  QCOMPARE(TMPEG2Decoder::InstanceCount(), 2);
  bool told = false;
  f->Bar.BeginOpen([&told](TOpenEnd, const std::exception_ptr&) { told = true; });
  f.reset();
  QVERIFY(!told);
  QCOMPARE(TMPEG2Decoder::InstanceCount(), 0);
}

// Over the real plugin: an open cancelled before it ended (at once, at its
// first progress, or once strip cells of the new video showed) leaves the
// previous video on its frame, position and strip, and stepping goes on
// from there.
void VideoOpeningTest::cancelLeavesTheRealVideoWorking_data() {
  QTest::addColumn<int>("cancelAbove");  // the progress that cancels; -1: at once
  QTest::newRow("at once") << -1;
  QTest::newRow("at the first progress step") << 0;
  QTest::newRow("with new strip cells shown") << int(TVideoOpener::IndexPercent);
}

void VideoOpeningTest::cancelLeavesTheRealVideoWorking() {
  QFETCH(int, cancelAbove);
  const bool atOnce = cancelAbove < 0;
  TOpeningFixture f(ProgramDir);
  f.Open(Small_);
  f.Bar.ShowFrameAt(0);
  f.Bar.ShowFrameAt(-1);
  f.Bar.ShowFrameAt(-1);
  QCOMPARE(Counter(f.Bar.FrameDIB()), 2);
  const TBarState before = f.State();
  f.Bar.OnProgress = [&f, cancelAbove](QObject*, TOpenProgress kind, std::int32_t value) {
    if (kind == TOpenProgress::Step && value > cancelAbove) f.Bar.CancelOpen();
  };
  f.Begin(Large_);
  if (atOnce) {
    f.Bar.CancelOpen();
  } else {
    QTRY_VERIFY(!f.Bar.Opening());
  }
  QCOMPARE(f.Ends, std::vector<TOpenEnd>{TOpenEnd::Cancelled});
  const QString differences = Differences(before, f.State());
  QVERIFY2(differences.isEmpty(), qPrintable(differences));
  f.Bar.ShowFrameAt(-1);
  QCOMPARE(Counter(f.Bar.FrameDIB()), 3);
}

// The progress of a real open rises to 100, and the bar is then on the new
// video at its first frame.
void VideoOpeningTest::progressRisesToTheEndWithARealFile() {
  TOpeningFixture f(ProgramDir);
  f.Begin(Large_);
  QTRY_VERIFY_WITH_TIMEOUT(!f.Bar.Opening(), 30000);
  QCOMPARE(f.Ends, std::vector<TOpenEnd>{TOpenEnd::Opened});
  const QString fault = ProgressFault(f.Progress);
  QVERIFY2(fault.isEmpty(), qPrintable(fault));
  QCOMPARE(f.Bar.MaxPosition(), QFileInfo(Large_).size() / PositionBlock);
  QCOMPARE(Counter(f.Bar.FrameDIB()), 0);
}

}  // namespace kelta
