// The status line's text and how it gives way to a narrow label.

#include <QApplication>
#include <QFontMetrics>
#include <QTest>

#include "app/ui/StatusLine.h"

namespace kelta {

namespace {

TStatusFacts Paused(const QString& path) {
  TStatusFacts facts;
  facts.Path = path;
  facts.Width = 720;
  facts.Height = 576;
  facts.TimeMs = 62345;
  facts.FrameNumber = 12;
  facts.FrameCount = 40;
  facts.NominalRate = 25.0;
  return facts;
}

const QString LongPath = QStringLiteral("/media/films/a very long folder name for a film/VIDEO_TS/VTS_01_1.VOB");

}  // namespace

class StatusLineTest : public QObject {
  Q_OBJECT

 private slots:
  void videoTime_data() {
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << qint64(0) << "00:00:00.000";
    QTest::newRow("every field") << qint64(3723456) << "01:02:03.456";
    QTest::newRow("past a day") << qint64(90000000) << "25:00:00.000";
    QTest::newRow("negative") << qint64(-5) << "00:00:00.000";
  }
  void videoTime() {
    QFETCH(qint64, ms);
    QFETCH(QString, text);
    QCOMPARE(VideoTimeText(ms), text);
  }

  void wideLine_data() {
    QTest::addColumn<bool>("playing");
    QTest::addColumn<double>("measured");
    QTest::addColumn<qint64>("frame");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("tail");
    QTest::newRow("paused") << false << -1.0 << qint64(12) << qint64(40)
                            << " - [720x576] - Time: 00:01:02.345 - Frame 13 / 40 (25.00 fps)";
    QTest::newRow("paused after playing shows the nominal rate")
        << false << 24.5 << qint64(12) << qint64(40) << " - [720x576] - Time: 00:01:02.345 - Frame 13 / 40 (25.00 fps)";
    QTest::newRow("playing, not yet measured") << true << -1.0 << qint64(12) << qint64(40)
                                               << " - [720x576] - Time: 00:01:02.345 - Frame 13 / 40 (25.00 fps)";
    QTest::newRow("playing, measured") << true << 24.987 << qint64(12) << qint64(40)
                                       << " - [720x576] - Time: 00:01:02.345 - Frame 13 / 40 (playing at 24.99 fps)";
    QTest::newRow("no frame numbers") << false << -1.0 << qint64(-1) << qint64(-1)
                                      << " - [720x576] - Time: 00:01:02.345 (25.00 fps)";
    QTest::newRow("only the count") << false << -1.0 << qint64(-1) << qint64(40)
                                    << " - [720x576] - Time: 00:01:02.345 - 40 frames (25.00 fps)";
  }
  void wideLine() {
    QFETCH(bool, playing);
    QFETCH(double, measured);
    QFETCH(qint64, frame);
    QFETCH(qint64, count);
    QFETCH(QString, tail);
    TStatusFacts facts = Paused(QStringLiteral("/v/clip.vob"));
    facts.Playing = playing;
    facts.MeasuredRate = measured;
    facts.FrameNumber = frame;
    facts.FrameCount = count;
    const QFontMetrics metrics(QApplication::font());
    QCOMPARE(StatusLineText(facts, metrics, 5000), QStringLiteral("/v/clip.vob") + tail);
  }

  // Narrower and narrower labels: the path is elided in the middle down to
  // its stub first, then the size goes, then the rate; the time and frame
  // stay whole and the line never grows past the label while it can fit them.
  void narrowLabel_data() {
    QTest::addColumn<int>("spare");  // pixels beyond the time and frame with the path's stub
    QTest::addColumn<bool>("size");
    QTest::addColumn<bool>("rate");
    QTest::newRow("room for everything but the whole path") << 300 << true << true;
    QTest::newRow("room for the rate only") << 5 << false << true;
    QTest::newRow("only time and frame") << 0 << false << false;
  }
  void narrowLabel() {
    QFETCH(int, spare);
    QFETCH(bool, size);
    QFETCH(bool, rate);
    const QFontMetrics metrics(QApplication::font());
    const TStatusFacts facts = Paused(LongPath);
    const QString essential = QStringLiteral(" - Time: 00:01:02.345 - Frame 13 / 40");
    const QString rateText = QStringLiteral(" (25.00 fps)");
    int width = NameRoom(LongPath, metrics) + metrics.horizontalAdvance(essential) + spare;
    if (rate) width += metrics.horizontalAdvance(rateText);

    const QString line = StatusLineText(facts, metrics, width);
    QVERIFY2(line.contains(essential), qPrintable(line));
    QCOMPARE(line.contains(QStringLiteral("[720x576]")), size);
    QCOMPARE(line.endsWith(rateText), rate);
    QVERIFY2(metrics.horizontalAdvance(line) <= width, qPrintable(line));
    QVERIFY2(line != LongPath && line.contains(QStringLiteral("\u2026")), qPrintable(line));
    // The stub keeps both ends readable.
    QVERIFY2(line.startsWith(QStringLiteral("/m")) && line.contains(QStringLiteral("B - ")), qPrintable(line));
    if (spare >= 300) {
      // Elided in the middle: both ends of the path survive.
      QVERIFY2(line.startsWith(QStringLiteral("/media")), qPrintable(line));
      QVERIFY2(line.contains(QStringLiteral("VTS_01_1.VOB - ")), qPrintable(line));
    }
  }

  // A DVD title is named by its disc and number, and its chapter stays with
  // the time however narrow the label.
  void dvdTitleLineNamesTheChapter() {
    TStatusFacts facts = Paused(QStringLiteral("MY_DISC \u2013 Title 2"));
    facts.Chapter = 2;
    facts.ChapterCount = 3;
    const QFontMetrics metrics(QApplication::font());
    QCOMPARE(StatusLineText(facts, metrics, 5000),
             QStringLiteral("MY_DISC \u2013 Title 2 - [720x576] - Chapter 2 / 3 - Time: 00:01:02.345 - Frame 13 / 40 "
                            "(25.00 fps)"));
    const QString narrow = StatusLineText(facts, metrics, 10);
    QVERIFY2(narrow.endsWith(QStringLiteral(" - Chapter 2 / 3 - Time: 00:01:02.345 - Frame 13 / 40")), qPrintable(narrow));
  }

  // What was made of the paused frame follows the frame number; it gives
  // way after the size and the rate, before the time and the frame.
  void stillTextGivesWayAfterTheRate() {
    TStatusFacts facts = Paused(QStringLiteral("clip.vob"));
    facts.Still = QStringLiteral("film frame rebuilt");
    const QFontMetrics metrics(QApplication::font());
    const QString core = QStringLiteral(" - Time: 00:01:02.345 - Frame 13 / 40");
    const QString still = QStringLiteral(" - film frame rebuilt");
    QCOMPARE(StatusLineText(facts, metrics, 5000), QStringLiteral("clip.vob - [720x576]") + core + still +
                                                       QStringLiteral(" (25.00 fps)"));
    const int name = metrics.horizontalAdvance(QStringLiteral("clip.vob"));
    QCOMPARE(StatusLineText(facts, metrics, name + metrics.horizontalAdvance(core + still)),
             QStringLiteral("clip.vob") + core + still);
    QCOMPARE(StatusLineText(facts, metrics, name + metrics.horizontalAdvance(core)), QStringLiteral("clip.vob") + core);
  }

  void tooNarrowForAnythingKeepsTimeAndFrame() {
    const QFontMetrics metrics(QApplication::font());
    const QString line = StatusLineText(Paused(LongPath), metrics, 10);
    QVERIFY2(line.endsWith(QStringLiteral(" - Time: 00:01:02.345 - Frame 13 / 40")), qPrintable(line));
  }
};

}  // namespace kelta

QTEST_MAIN(kelta::StatusLineTest)
#include "StatusLineTest.moc"
