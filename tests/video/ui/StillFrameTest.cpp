// The frame on screen when paused is the still the user's choice makes: the
// plugin's clean still (film frames rebuilt, moving video deinterlaced), the
// frame as decoded, or the classic line blend, byte for byte as a decoder of
// its own makes them. Playback's frame becomes the still when it pauses, and
// a new choice makes the frame on screen again.
#include <QTest>

#include <cstring>
#include <memory>
#include <string>

#include "common/ui/VideoOutPanel.h"
#include "support/FieldClips.h"
#include "support/VideoFixture.h"
#include "video/MPEG2Decoder.h"
#include "video/ui/TestClasses.h"
#include "video/ui/VideoFrameBar.h"

Q_DECLARE_METATYPE(kelta::TStillMode)
Q_DECLARE_METATYPE(kelta::TStillKind)

namespace kelta {

namespace {

const QString ProgramDir = QStringLiteral(KELTA_PROGRAM_DIR);

// Frame `number` of the video as a decoder of its own makes it a still for
// `mode`, and what it did.
struct TExpected {
  std::vector<std::uint8_t> Bytes;
  TStillKind Kind = TStillKind::Unprocessed;
};

TExpected ExpectedStill(const std::string& path, std::int64_t number, TStillMode mode) {
  TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.SetRGBScaleFlag(true);
  decoder.Open(path);
  if (!decoder.SeekFrame(number)) return {};
  FrameView frame = decoder.GetFrame(mode == TStillMode::Blend ? TVideoFrameBar::BlendThreshold : 0);
  TExpected expected;
  expected.Kind = mode == TStillMode::Blend ? TStillKind::LineBlend : TStillKind::Unprocessed;
  if (mode == TStillMode::Clean) frame = decoder.CleanStill(expected.Kind);
  if (frame) expected.Bytes.assign(frame.data, frame.data + frame.Bytes());
  return expected;
}

bool Shows(TVideoFrameBar& bar, const TExpected& expected) {
  const TFastDIB& dib = bar.FrameDIB();
  return !expected.Bytes.empty() && std::size_t(dib.ImageSize()) == expected.Bytes.size() &&
         std::memcmp(dib.Bits(), expected.Bytes.data(), expected.Bytes.size()) == 0;
}

struct TBar {
  TVideoOutPanelEx Panel;
  TVideoFrameBar Bar{nullptr, ProgramDir};
  TBar(const QString& path, TStillMode mode) {
    Bar.OutputPanel = &Panel;
    Bar.SetStillMode(mode);
    Bar.FileName = path;
    Bar.OpenVideo();
  }
};

}  // namespace

void StillFrameTest::initTestCase() {
  QVERIFY(Dir_.isValid());
  Interlaced_ = Dir_.filePath(QStringLiteral("interlaced.vob"));
  test::WriteFieldClip(Interlaced_.toStdString(), {.scene = test::Scene::Pattern, .frames = 8});
  Telecined_ = Dir_.filePath(QStringLiteral("telecined.vob"));
  test::WriteFieldClip(Telecined_.toStdString(),
                       {.scene = test::Scene::Pattern, .making = test::Making::HardTelecine, .frames = 10});
  Progressive_ = Dir_.filePath(QStringLiteral("progressive.vob"));
  test::WriteMpeg2ProgramStream(Progressive_.toStdString(), {.width = 352, .height = 288, .frames = 8, .gopSize = 6});
}

void StillFrameTest::pausedFrameIsTheChosenStill_data() {
  QTest::addColumn<QString>("clip");
  QTest::addColumn<int>("frame");
  QTest::addColumn<TStillMode>("mode");
  QTest::addColumn<TStillKind>("kind");
  QTest::newRow("moving interlaced, clean") << Interlaced_ << 3 << TStillMode::Clean << TStillKind::Deinterlaced;
  QTest::newRow("moving interlaced, weave") << Interlaced_ << 3 << TStillMode::Weave << TStillKind::Unprocessed;
  QTest::newRow("moving interlaced, blend") << Interlaced_ << 3 << TStillMode::Blend << TStillKind::LineBlend;
  // Frames 2 and 3 of a 2:3 cycle mix two film frames' fields.
  QTest::newRow("telecined mixed frame, clean") << Telecined_ << 2 << TStillMode::Clean << TStillKind::FilmRebuilt;
  QTest::newRow("telecined mixed frame, blend") << Telecined_ << 3 << TStillMode::Blend << TStillKind::LineBlend;
  QTest::newRow("progressive, clean") << Progressive_ << 3 << TStillMode::Clean << TStillKind::Progressive;
}

void StillFrameTest::pausedFrameIsTheChosenStill() {
  QFETCH(QString, clip);
  QFETCH(int, frame);
  QFETCH(TStillMode, mode);
  QFETCH(TStillKind, kind);
  TBar f(clip, mode);
  for (int i = 0; i < frame; ++i) f.Bar.StepForward();
  QCOMPARE(f.Bar.FrameNumber(), std::int64_t(frame));
  const TExpected expected = ExpectedStill(clip.toStdString(), frame, mode);
  QCOMPARE(expected.Kind, kind);
  QCOMPARE(f.Bar.StillKind(), std::optional<TStillKind>(kind));
  QVERIFY(Shows(f.Bar, expected));
  // A clean still of combed video is no line blend.
  if (mode == TStillMode::Clean && kind != TStillKind::Progressive)
    QVERIFY(!Shows(f.Bar, ExpectedStill(clip.toStdString(), frame, TStillMode::Blend)));
  // Progressive frames come out as decoded.
  if (kind == TStillKind::Progressive) QVERIFY(Shows(f.Bar, ExpectedStill(clip.toStdString(), frame, TStillMode::Weave)));
}

void StillFrameTest::theFirstPictureIsAStillToo() {
  TBar f(Interlaced_, TStillMode::Clean);
  QCOMPARE(f.Bar.FrameNumber(), std::int64_t(0));
  QCOMPARE(f.Bar.StillKind(), std::optional<TStillKind>(TStillKind::Deinterlaced));
  QVERIFY(Shows(f.Bar, ExpectedStill(Interlaced_.toStdString(), 0, TStillMode::Clean)));
}

void StillFrameTest::pausingPlaybackLeavesTheStill() {
  TBar f(Interlaced_, TStillMode::Clean);
  f.Bar.Play();
  QTRY_VERIFY_WITH_TIMEOUT(f.Bar.FrameNumber() >= 2, 5000);
  QVERIFY(!f.Bar.StillKind().has_value());
  f.Bar.Pause();
  const std::int64_t shown = f.Bar.FrameNumber();
  QCOMPARE(f.Bar.StillKind(), std::optional<TStillKind>(TStillKind::Deinterlaced));
  QVERIFY(Shows(f.Bar, ExpectedStill(Interlaced_.toStdString(), shown, TStillMode::Clean)));
  // The next step goes on from the frame that was on screen.
  f.Bar.StepForward();
  QCOMPARE(f.Bar.FrameNumber(), shown + 1);
}

void StillFrameTest::aNewChoiceMakesTheFrameOnScreenAgain() {
  TBar f(Telecined_, TStillMode::Clean);
  f.Bar.StepForward();
  f.Bar.StepForward();
  for (const TStillMode mode : {TStillMode::Blend, TStillMode::Weave, TStillMode::Clean}) {
    f.Bar.SetStillMode(mode);
    QCOMPARE(f.Bar.FrameNumber(), std::int64_t(2));
    QVERIFY2(Shows(f.Bar, ExpectedStill(Telecined_.toStdString(), 2, mode)), StillModeName(mode));
  }
}

}  // namespace kelta
