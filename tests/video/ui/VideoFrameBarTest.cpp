#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "imaging/FastDIB.h"
#include "support/SamePixels.h"
#include "support/VideoFixture.h"
#include "support/ui/ModalAnswer.h"
#include "video/MPEG2Decoder.h"
#include "video/ui/TestClasses.h"
#include "video/ui/VideoFrameBar.h"
#include "common/ui/VideoOutPanel.h"

namespace kelta {

namespace {

const QString ProgramDir = QStringLiteral(KELTA_PROGRAM_DIR);

COLORREF At(const TFastDIB& dib, int x, int y) {
  const std::uint8_t* p = dib.PixelPtr(x, y);
  return RGB(p[2], p[1], p[0]);
}

// The columns that hold anything but black: where the picture lies.
std::pair<int, int> PictureColumns(const TFastDIB& dib) {
  int first = -1, last = -1;
  for (int x = 0; x < dib.Width(); ++x)
    for (int y = 0; y < dib.RowCount(); ++y)
      if (At(dib, x, y) != 0) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last + 1};
}

int Counter(const TFastDIB& dib) {
  return test::ReadFrameCounter(dib.Bits(), dib.Width(), dib.RowCount(), dib.RowStride());
}

// A frame bar over the real plugin with a panel to paint into and a log of its events.
struct TBarFixture {
  TVideoOutPanelEx Panel;
  TVideoFrameBar Bar{nullptr, ProgramDir};
  std::vector<std::string> Events;
  std::vector<std::pair<int, int>> Progress;
  TBarFixture() {
    Bar.OutputPanel = &Panel;
    Bar.OnProgress = [this](QObject*, TOpenProgress kind, std::int32_t value) { Progress.emplace_back(int(kind), value); };
    Bar.OnFrameSelect = [this](QObject*) { Events.push_back("select"); };
    Bar.OnPlayStateChange = [this](QObject*) { Events.push_back(Bar.Playing() ? "playing" : "stopped"); };
    Bar.OnPositionChange = [this](QObject*) { Events.push_back("position"); };
  }
  void Open(const QString& path) {
    Bar.FileName = path;
    Bar.OpenVideo();
  }
};

}  // namespace

void VideoFrameBarTest::initTestCase() {
  QVERIFY(Dir_.isValid());
  QVERIFY2(QFileInfo::exists(ProgramDir + QStringLiteral("/codec.so")), "codec.so is not built");
  Video_ = Dir_.filePath(QStringLiteral("clip.vob"));
  const test::Mpeg2StreamOptions options{.width = 352, .height = 288, .frames = 30, .gopSize = 6};
  test::WriteMpeg2ProgramStream(Video_.toStdString(), options);
}

void VideoFrameBarTest::stripCellRectangles() {
  TVideoFrameBar bar(nullptr, ProgramDir);
  QCOMPARE(bar.size(), QSize(475, 65));
  for (int i = 0; i < TVideoFrameBar::CellCount; ++i) {
    const TRect expected{9 + 58 * i, 16, 59 + 58 * i, 44};
    QCOMPARE(bar.FrameRect(i).Rect, expected);
    QCOMPARE(bar.FrameRect(i).Thumb.Width(), 46);
    QCOMPARE(bar.FrameRect(i).Thumb.RowCount(), 24);
  }
  QCOMPARE(bar.FrameRect(7).Rect.Right, 465);
}

void VideoFrameBarTest::stripPaintingPixels() {
  TVideoFrameBar bar(nullptr, ProgramDir);
  bar.FrameRect(0).Thumb.Fill(TBGRColor{0, 0, 255});  // red
  bar.FrameRect(2).Pressed = true;
  TFastDIB out;
  bar.PaintTo(out);
  struct Case {
    const char* what;
    int x, y;
    COLORREF colour;
  };
  const Case cases[] = {
      {"background", 5, 5, 0xFFFFFF},
      {"pointer tip", 237, 1, 0xB3A592},
      {"pointer body", 237, 8, 0xB3A592},
      {"beside pointer", 226, 2, 0xFFFFFF},
      {"outer band top", 5, 10, 0xB3A592},
      {"outer band bottom", 5, 49, 0xB3A592},
      {"below band", 5, 50, 0xFFFFFF},
      {"top shade 0", 5, 14, 0xC6C0B9},
      {"top shade 4", 5, 18, 0xE8E0D9},
      {"inner band", 5, 30, 0xE3DFDA},
      {"bottom shade 0", 5, 46, 0xC6C1B8},
      {"bottom shade 4", 5, 42, 0xE4E0DB},
      {"cell outline", 9, 16, 0xC5C5C5},
      {"cell outline bottom", 30, 43, 0xC5C5C5},
      {"cell ring", 10, 17, 0xFFFFFF},
      {"cell picture", 11, 18, 0x0000FF},  // the red thumbnail
      {"cell picture end", 56, 41, 0x0000FF},
      {"cell bottom line", 30, 44, 0xCECECE},
      {"cell right line", 59, 30, 0xCECECE},
      {"pressed cell ring", 126, 17, 0xFF0000},
      {"unpressed cell ring", 68, 17, 0xFFFFFF},
  };
  for (const Case& c : cases) {
    QVERIFY2(At(out, c.x, c.y) == c.colour,
             qPrintable(QStringLiteral("%1 (%2, %3): %4 instead of %5")
                            .arg(QLatin1String(c.what))
                            .arg(c.x)
                            .arg(c.y)
                            .arg(At(out, c.x, c.y), 6, 16, QLatin1Char('0'))
                            .arg(c.colour, 6, 16, QLatin1Char('0'))));
  }
}

void VideoFrameBarTest::stripPaintsInTheScreensPixels() {
  // At every scale each line of a cell is whole screen pixels wide (never
  // one pixel here and two there), its thumbnail is made at the screen's
  // size and is copied one to one.
  const struct {
    double ratio;
    int line;
  } scales[] = {{1.0, 1}, {1.25, 1}, {1.5, 2}, {2.0, 2}};
  for (const auto& scale : scales) {
    TVideoFrameBar bar(nullptr, ProgramDir);
    TFastDIB out;
    bar.PaintTo(out, TPixelScale{scale.ratio});
    const QString at = QStringLiteral("scale %1").arg(scale.ratio);
    QVERIFY2(out.Width() == int(std::lround(475 * scale.ratio)), qPrintable(at));
    QVERIFY2(out.RowCount() == int(std::lround(65 * scale.ratio)), qPrintable(at));
    for (int i = 0; i < TVideoFrameBar::CellCount; ++i) {
      TFrameRect& cell = bar.FrameRect(i);
      cell.Thumb.Fill(TBGRColor{0, 0, 255});
      bar.PaintTo(out, TPixelScale{scale.ratio});
      const TRect d = cell.DeviceRect;
      QVERIFY2(cell.Thumb.Width() == d.WidthOf() - 4 * scale.line, qPrintable(at));
      QVERIFY2(cell.Thumb.RowCount() == d.HeightOf() - 4 * scale.line, qPrintable(at));
      const int y = (d.Top + d.Bottom) / 2;
      const int x = (d.Left + d.Right) / 2;
      for (int k = 0; k < scale.line; ++k) {
        QVERIFY2(At(out, d.Left + k, y) == 0xC5C5C5, qPrintable(at));
        QVERIFY2(At(out, d.Right - 1 - k, y) == 0xC5C5C5, qPrintable(at));
        QVERIFY2(At(out, x, d.Top + k) == 0xC5C5C5, qPrintable(at));
        QVERIFY2(At(out, d.Left + scale.line + k, y) == 0xFFFFFF, qPrintable(at));
        QVERIFY2(At(out, d.Right + k, y) == 0xCECECE, qPrintable(at));
        QVERIFY2(At(out, x, d.Bottom + k) == 0xCECECE, qPrintable(at));
      }
      QVERIFY2(At(out, d.Left + 2 * scale.line, y) == 0x0000FF, qPrintable(at));
      QVERIFY2(At(out, d.Right - 2 * scale.line - 1, y) == 0x0000FF, qPrintable(at));
      QVERIFY2(At(out, d.Right + scale.line, y) == 0xE3DFDA, qPrintable(at));
    }
  }
}

void VideoFrameBarTest::missingDecoderShowsTip() {
  QTemporaryDir empty;
  test::TBoxSeen box;
  test::AnswerBox(box);
  TVideoFrameBar bar(nullptr, empty.path());
  QCOMPARE(box.Title, QStringLiteral("Tip"));
  QCOMPARE(box.Text, QStringLiteral("Cannot find mpeg2 video stream decoder dll!"));
  QCOMPARE(box.Icon, QMessageBox::Critical);
  QVERIFY(!bar.DecoderLoaded());
  // Every decoding operation is ignored.
  bar.FileName = Video_;
  bar.OpenVideo();
  bar.Play();
  QVERIFY(!bar.FileOpened());
  QVERIFY(!bar.Playing());
}

void VideoFrameBarTest::cellClickBeforeOpenSelectsNothing() {
  TBarFixture f;
  QTest::mouseClick(&f.Bar, Qt::LeftButton, {}, QPoint(30, 30));
  for (int i = 0; i < TVideoFrameBar::CellCount; ++i) QVERIFY(!f.Bar.FrameRect(i).Selected);
  QVERIFY(f.Events.empty());
}

void VideoFrameBarTest::openVideoBuildsStrip() {
  TBarFixture f;
  f.Open(Video_);
  QVERIFY(f.Bar.FileOpened());
  const qint64 size = QFileInfo(Video_).size();
  QCOMPARE(f.Bar.MaxPosition(), size / 10240);
  QCOMPARE(f.Bar.VideoWidth(), 352);
  QCOMPARE(f.Bar.VideoHeight(), 288);
  QCOMPARE(f.Bar.FramePeriod(), 40000);
  QCOMPARE(f.Bar.MeasuredRate(), -1.0);
  QCOMPARE(f.Bar.CurrentTime(), 0.0);

  // Each cell holds what a decoder of its own reports after the same seek.
  TMPEG2Decoder reference(ProgramDir.toStdString());
  reference.Open(Video_.toStdString());
  const std::int64_t step = reference.FileSize() / 8;
  for (int i = 0; i < TVideoFrameBar::CellCount; ++i) {
    reference.Seek(step * i);
    QCOMPARE(f.Bar.FrameRect(i).Position, reference.GetFilePos());
  }
  // Started, steps rising with the open's work, then finished.
  QCOMPARE(f.Progress.front(), std::make_pair(0, 0));
  QCOMPARE(f.Progress.back(), std::make_pair(2, 100));
  QVERIFY(f.Progress.size() >= 3);
  for (std::size_t i = 1; i + 1 < f.Progress.size(); ++i) {
    QCOMPARE(f.Progress[i].first, 1);
    QVERIFY(f.Progress[i].second > f.Progress[i - 1].second && f.Progress[i].second < 100);
  }
  // The first frame is shown, scaled into the panel; no event besides progress.
  QCOMPARE(Counter(f.Bar.FrameDIB()), 0);
  QVERIFY(At(*f.Panel.Image, 194, 107) != 0);
  QVERIFY(f.Events.empty());
}

void VideoFrameBarTest::stepShowsNextFrame() {
  TBarFixture f;
  f.Open(Video_);
  f.Bar.ShowFrameAt(0);
  QCOMPARE(Counter(f.Bar.FrameDIB()), 0);
  f.Bar.ShowFrameAt(-1);
  QCOMPARE(Counter(f.Bar.FrameDIB()), 1);
  f.Bar.ShowFrameAt(-1);
  QCOMPARE(Counter(f.Bar.FrameDIB()), 2);
  QVERIFY(f.Events.empty());  // stepping fires no event
}

void VideoFrameBarTest::playToEnd() {
  TBarFixture f;
  f.Open(Video_);
  f.Bar.Play();
  QVERIFY(f.Bar.Playing());
  QVERIFY(!f.Bar.Paused());
  QTRY_VERIFY_WITH_TIMEOUT(!f.Bar.Playing(), 20000);
  QVERIFY(!f.Bar.Paused());
  QCOMPARE(Counter(f.Bar.FrameDIB()), 29);
  QCOMPARE(f.Bar.FrameNumber(), 29);
  // Started, then (maybe a rate report), then the end: position before state.
  QVERIFY(f.Events.size() >= 3);
  QCOMPARE(f.Events.front(), std::string("playing"));
  QCOMPARE(f.Events[f.Events.size() - 2], std::string("position"));
  QCOMPARE(f.Events.back(), std::string("stopped"));
  QVERIFY(f.Bar.CurrentTime() > 0.0);
  QVERIFY(f.Bar.MeasuredRate() == -1.0 || f.Bar.MeasuredRate() > 0.0);
}

void VideoFrameBarTest::pauseWhileWorkerWaitsInHandOver() {
  TBarFixture f;
  f.Open(Video_);
  f.Bar.Play();
  // The worker decodes a frame and then waits for this thread, which runs no
  // events here; Pause must still return.
  QTest::qSleep(200);
  f.Bar.Pause();
  QVERIFY(!f.Bar.Playing());
  QVERIFY(f.Bar.Paused());
  const std::size_t events = f.Events.size();
  QTest::qWait(100);
  QCOMPARE(f.Events.size(), events);
  QCOMPARE(f.Events.back(), std::string("stopped"));
}

void VideoFrameBarTest::cellClickDuringPlaybackResumes() {
  TBarFixture f;
  f.Open(Video_);
  f.Bar.Play();
  QTest::qWait(100);
  f.Events.clear();
  const TRect cell = f.Bar.FrameRect(3).Rect;
  QTest::mouseClick(&f.Bar, Qt::LeftButton, {}, QPoint(cell.Left + 5, cell.Top + 5));
  QVERIFY(f.Bar.FrameRect(3).Selected);
  QVERIFY(f.Bar.Playing());
  const std::vector<std::string> expected = {"stopped", "select", "position", "playing"};
  QCOMPARE(std::vector<std::string>(f.Events.begin(), f.Events.begin() + 4), expected);
  f.Bar.Pause();
}

void VideoFrameBarTest::openingWhilePlayingStopsPlaybackFirst() {
  TBarFixture f;
  f.Open(Video_);
  f.Bar.Play();
  QTest::qWait(100);
  f.Events.clear();
  // The playback thread reads the decoder: it must be gone before the open.
  f.Open(Video_);
  QVERIFY(!f.Bar.Playing());
  QCOMPARE(f.Events, std::vector<std::string>{"stopped"});
  QCOMPARE(Counter(f.Bar.FrameDIB()), 0);
}

void VideoFrameBarTest::failedOpenKeepsTheOpenVideo_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::newRow("empty file") << QByteArray();
  QTest::newRow("text") << QByteArray("This is not a video.\n");
  QTest::newRow("PNG") << QByteArray::fromHex("89504e470d0a1a0a0000000d49484452");
  QTest::newRow("random bytes") << QByteArray(4096, char(0x5a));
}

void VideoFrameBarTest::failedOpenKeepsTheOpenVideo() {
  QFETCH(QByteArray, bytes);
  TBarFixture f;
  f.Open(Video_);
  f.Bar.ShowFrameAt(0);
  f.Bar.ShowFrameAt(-1);
  const std::int64_t maxPosition = f.Bar.MaxPosition();
  const std::int64_t cellPosition = f.Bar.FrameRect(5).Position;
  const QString bad = Dir_.filePath(QStringLiteral("bad.vob"));
  QFile file(bad);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  file.close();

  f.Bar.FileName = bad;
  bool refused = false;
  try {
    f.Bar.OpenVideo();
  } catch (const std::exception&) {
    refused = true;
  }
  QVERIFY(refused);
  // The open video is untouched and goes on working.
  QVERIFY(f.Bar.FileOpened());
  QCOMPARE(f.Bar.MaxPosition(), maxPosition);
  QCOMPARE(f.Bar.FrameRect(5).Position, cellPosition);
  QCOMPARE(Counter(f.Bar.FrameDIB()), 1);
  f.Bar.ShowFrameAt(-1);
  QCOMPARE(Counter(f.Bar.FrameDIB()), 2);
  f.Bar.ShowFrameAt(0);
  QCOMPARE(Counter(f.Bar.FrameDIB()), 0);
}

// Forward to the last frame and back to the first, one frame at a time: each
// step back shows the very picture the step forward showed, with its number.
// The frames near the one on screen come decoded without showing them: the
// frame on screen, its number and position stay, and the decoder goes on
// from it, as playback would.
void VideoFrameBarTest::framesNearTheOneOnScreenLeaveItThere() {
  TBarFixture f;
  f.Open(Video_);
  for (int i = 0; i < 10; ++i) f.Bar.StepForward();
  QCOMPARE(f.Bar.FrameNumber(), std::int64_t(10));
  TFastDIB before;
  before.SetSize(f.Bar.FrameDIB().Width(), f.Bar.FrameDIB().RowCount(), 24);
  f.Bar.FrameDIB().Draw(before, 0, 0);
  const std::int64_t position = f.Bar.Position();
  f.Events.clear();

  // Before the first frame, the frame itself and beyond the last are left out.
  const std::int64_t offsets[] = {-12, -3, 0, 4, 25};
  const std::vector<TFastDIB> near = f.Bar.FramesNear(offsets);
  std::vector<int> counters;
  for (const TFastDIB& frame : near) counters.push_back(Counter(frame));
  QCOMPARE(counters, (std::vector<int>{7, 14}));

  QVERIFY(test::SamePixels(before, f.Bar.FrameDIB(), "frame-on-screen"));
  QCOMPARE(f.Bar.FrameNumber(), std::int64_t(10));
  QCOMPARE(f.Bar.Position(), position);
  QVERIFY(f.Events.empty());
  QCOMPARE(f.Bar.Decoder()->FrameNumber(), std::int64_t(10));
  QCOMPARE(test::ReadFrameCounter(f.Bar.Decoder()->GetFrame(0)), 11);

  // While playing there are none.
  f.Bar.Play();
  QVERIFY(f.Bar.FramesNear(offsets).empty());
  f.Bar.Pause();
}

void VideoFrameBarTest::stepsBackToTheFramesStepsForwardShowed() {
  TBarFixture f;
  f.Open(Video_);
  QVERIFY(f.Bar.FrameNavigation());
  QCOMPARE(f.Bar.FrameCount(), std::int64_t(30));
  QCOMPARE(f.Bar.FrameNumber(), std::int64_t(0));
  std::vector<TFastDIB> shown;
  auto keep = [&] {
    TFastDIB& copy = shown.emplace_back();
    copy.SetSize(f.Bar.FrameDIB().Width(), f.Bar.FrameDIB().RowCount(), 24);
    f.Bar.FrameDIB().Draw(copy, 0, 0);
  };
  keep();
  for (std::int64_t n = 1; n < f.Bar.FrameCount(); ++n) {
    f.Bar.StepForward();
    QCOMPARE(f.Bar.FrameNumber(), n);
    QCOMPARE(Counter(f.Bar.FrameDIB()), int(n));
    keep();
  }
  f.Bar.StepForward();  // past the last frame: nothing changes
  QCOMPARE(f.Bar.FrameNumber(), std::int64_t(29));
  for (std::int64_t n = 28; n >= 0; --n) {
    f.Bar.StepBack();
    QCOMPARE(f.Bar.FrameNumber(), n);
    QVERIFY(test::SamePixels(shown[std::size_t(n)], f.Bar.FrameDIB(), "step-back-" + std::to_string(n)));
  }
  f.Bar.StepBack();  // before the first frame: nothing changes
  QCOMPARE(f.Bar.FrameNumber(), std::int64_t(0));

  f.Bar.ShowLastFrame();
  QCOMPARE(f.Bar.FrameNumber(), std::int64_t(29));
  QVERIFY(test::SamePixels(shown.back(), f.Bar.FrameDIB(), "last-frame"));
  QCOMPARE(f.Bar.Position(), f.Bar.Decoder()->GetFilePos() / PositionBlock);
  f.Bar.ShowFirstFrame();
  QCOMPARE(f.Bar.FrameNumber(), std::int64_t(0));
  QVERIFY(test::SamePixels(shown.front(), f.Bar.FrameDIB(), "first-frame"));
  // A cell's frame is numbered too.
  const TRect cell = f.Bar.FrameRect(5).Rect;
  QTest::mouseClick(&f.Bar, Qt::LeftButton, {}, QPoint(cell.Left + 5, cell.Top + 5));
  QCOMPARE(f.Bar.FrameNumber(), std::int64_t(Counter(f.Bar.FrameDIB())));
  f.Bar.StepBack();
  QCOMPARE(Counter(f.Bar.FrameDIB()), int(f.Bar.FrameNumber()));
}

// A step pauses playback around it, as a cell click does.
void VideoFrameBarTest::frameStepsDuringPlaybackResume() {
  TBarFixture f;
  f.Open(Video_);
  f.Bar.Play();
  QTest::qWait(200);
  f.Events.clear();
  f.Bar.StepBack();
  QVERIFY(f.Bar.Playing());
  const std::vector<std::string> expected = {"stopped", "playing"};
  QCOMPARE(std::vector<std::string>(f.Events.begin(), f.Events.begin() + 2), expected);
  f.Bar.Pause();
  const std::int64_t shown = f.Bar.FrameNumber();
  QCOMPARE(Counter(f.Bar.FrameDIB()), int(shown));
  f.Bar.ShowLastFrame();
  QVERIFY(!f.Bar.Playing());
  QCOMPARE(f.Bar.FrameNumber(), std::int64_t(29));
}

void VideoFrameBarTest::picturesShowInTheirShape_data() {
  QTest::addColumn<int>("aspectWidth");
  QTest::addColumn<int>("aspectHeight");
  QTest::addColumn<int>("otherWidth");  // the shape of the video open before
  QTest::addColumn<int>("otherHeight");
  QTest::newRow("4:3 after 16:9") << 4 << 3 << 16 << 9;
  QTest::newRow("16:9 after 4:3") << 16 << 9 << 4 << 3;
}

// The panel and every strip cell show the picture in its shape, centred
// between black bars, when opened, stepped and played; the bars of the video
// open before do not stay.
void VideoFrameBarTest::picturesShowInTheirShape() {
  QFETCH(int, aspectWidth);
  QFETCH(int, aspectHeight);
  QFETCH(int, otherWidth);
  QFETCH(int, otherHeight);
  auto write = [this](int w, int h) {
    const QString path = Dir_.filePath(QStringLiteral("shape-%1x%2.vob").arg(w).arg(h));
    const test::Mpeg2StreamOptions options{.frames = 12, .gopSize = 6, .audio = false, .aspectWidth = w,
                                           .aspectHeight = h};
    if (!QFileInfo::exists(path)) test::WriteMpeg2ProgramStream(path.toStdString(), options);
    return path;
  };
  TBarFixture f;
  f.Open(write(otherWidth, otherHeight));
  f.Open(write(aspectWidth, aspectHeight));
  const TDisplayAspect aspect{aspectWidth, aspectHeight};
  QCOMPARE(f.Bar.DisplayAspect(), aspect);

  const TRect panel = LetterboxRect(TVideoOutPanelEx::ImageWidth, TVideoOutPanelEx::ImageHeight, aspect);
  const std::pair<int, int> panelColumns{panel.Left, panel.Right};
  QCOMPARE(PictureColumns(*f.Panel.Image), panelColumns);
  for (int i = 0; i < TVideoFrameBar::CellCount; ++i) {
    const TFastDIB& thumb = f.Bar.FrameRect(i).Thumb;
    const TRect cell = LetterboxRect(thumb.Width(), thumb.RowCount(), aspect);
    QCOMPARE(PictureColumns(thumb), (std::pair<int, int>{cell.Left, cell.Right}));
  }
  f.Bar.ShowFrameAt(-1);
  QCOMPARE(PictureColumns(*f.Panel.Image), panelColumns);
  f.Bar.Play();
  QTRY_VERIFY_WITH_TIMEOUT(!f.Bar.Playing(), 20000);
  QCOMPARE(Counter(f.Bar.FrameDIB()), 11);
  QCOMPARE(PictureColumns(*f.Panel.Image), panelColumns);
  // The panel keeps its size; only where the picture goes changes.
  QCOMPARE(f.Panel.Image->Width(), TVideoOutPanelEx::ImageWidth);
  QCOMPARE(f.Panel.Image->RowCount(), TVideoOutPanelEx::ImageHeight);
}

}  // namespace kelta
