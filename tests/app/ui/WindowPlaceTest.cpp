// The main window on the screen: wherever it was left and whatever the
// screen's size and scale factor, it opens whole on a screen, with its
// menus reachable, and comes back where it was left.
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "app/WindowPlacement.h"
#include "app/ui/MainDlg.h"
#include "app/ui/MainWindowPlace.h"
#include "imaging/PixelScale.h"
#include "imaging/ui/DibImage.h"
#include "support/VideoFixture.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

class WindowPlaceTest : public QObject {
  Q_OBJECT

  QTemporaryDir Dir_;

  std::filesystem::path PlaceFile(const char* name) const { return Dir_.filePath(QString::fromLatin1(name)).toStdString(); }

  // The window shown as the program shows it, with the place in `file`.
  static std::unique_ptr<TMainDlg> Opened(const std::filesystem::path& file) {
    auto window = std::make_unique<TMainDlg>(nullptr, QStringLiteral(KELTA_PROGRAM_DIR));
    ShowMainWindow(*window, file);
    if (!QTest::qWaitForWindowExposed(window.get())) return nullptr;
    return window;
  }

  static void ExpectWholeOnItsScreen(const TMainDlg& window) {
    const QRect screen = window.screen()->availableGeometry();
    QVERIFY2(screen.contains(window.frameGeometry()),
             qPrintable(QStringLiteral("window %1,%2 %3x%4 on screen %5x%6")
                            .arg(window.frameGeometry().x())
                            .arg(window.frameGeometry().y())
                            .arg(window.frameGeometry().width())
                            .arg(window.frameGeometry().height())
                            .arg(screen.width())
                            .arg(screen.height())));
    const QRect menus(window.TBXToolbar1->mapToGlobal(QPoint(0, 0)), window.TBXToolbar1->size());
    QVERIFY(screen.contains(menus));
    QVERIFY(window.width() >= TMainLayout::MinimumWidth && window.height() >= TMainLayout::MinimumHeight);
  }

 private slots:
  void initTestCase() { QVERIFY(Dir_.isValid()); }

  // A first start: the design size where the screen has room for it, centred.
  void aFirstStartOpensWholeOnTheScreen() {
    auto window = Opened(PlaceFile("none"));
    QVERIFY(window);
    ExpectWholeOnItsScreen(*window);
    const QRect screen = window->screen()->availableGeometry();
    if (screen.width() >= TMainDlg::DesignWidth && screen.height() >= TMainDlg::DesignHeight)
      QCOMPARE(window->size(), QSize(TMainDlg::DesignWidth, TMainDlg::DesignHeight));
    // Nothing of the window's controls lies outside it.
    for (QWidget* control : std::initializer_list<QWidget*>{window->btUpdate, window->Panel3, window->lbStatus,
                                                            window->FrameBar, window->btExport})
      QVERIFY2(window->rect().contains(QRect(control->mapTo(window.get(), QPoint(0, 0)), control->size())),
               qPrintable(control->objectName()));
  }

  // A place left on a screen that is gone, or larger than this one, is
  // brought onto this screen.
  void aPlaceOffTheScreenIsBroughtBack_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("right of every screen") << "window 9000 100 750 501 0 245\n";
    QTest::newRow("above the screen") << "window 100 -3000 750 501 0 245\n";
    QTest::newRow("larger than the screen") << "window 0 0 5000 4000 0 245\n";
    QTest::newRow("garbled") << "window 1 2 three\n";
  }
  void aPlaceOffTheScreenIsBroughtBack() {
    QFETCH(QString, text);
    const std::filesystem::path file = PlaceFile("off-screen");
    std::ofstream(file) << text.toStdString();
    auto window = Opened(file);
    QVERIFY(window);
    ExpectWholeOnItsScreen(*window);
  }

  // Where the person left the window, with its pane width, it comes back;
  // a maximised window comes back maximised.
  void theWindowComesBackWhereItWasLeft() {
    const std::filesystem::path file = PlaceFile("kept");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Room around it for the window's frame, on the smallest screen too.
    const QSize size(std::max(int(TMainLayout::MinimumWidth), std::min(screen.width() - 8, 700)),
                     std::min(screen.height() - 32, 480));
    const QPoint at(screen.x() + (screen.width() - size.width()) / 3, screen.y() + (screen.height() - size.height()) / 4);
    {
      auto window = Opened(file);
      QVERIFY(window);
      window->resize(size);
      window->move(at);
      window->SetLibraryWidth(160);
      QTRY_COMPARE(window->pos(), at);
      KeepMainWindowPlace(*window, file);
    }
    {
      auto window = Opened(file);
      QVERIFY(window);
      QCOMPARE(window->pos(), at);
      QCOMPARE(window->size(), size);
      QCOMPARE(window->LibraryWidth(), 160);
      window->showMaximized();
      QTRY_VERIFY(window->isMaximized());
      KeepMainWindowPlace(*window, file);
    }
    auto window = Opened(file);
    QVERIFY(window);
    QTRY_VERIFY(window->isMaximized());
  }

  // The strip of frames is drawn in the screen's own pixels, its thumbnails
  // made at that size by the open, and put on the screen one to one.
  void theStripIsDrawnInTheScreensPixels() {
    auto window = Opened(PlaceFile("strip"));
    QVERIFY(window);
    const std::string video = Dir_.filePath(QStringLiteral("strip.vob")).toStdString();
    test::WriteMpeg2ProgramStream(video, test::Mpeg2StreamOptions{.frames = 16, .gopSize = 8, .audio = false});
    TVideoFrameBar& bar = *window->FrameBar;
    bar.FileName = QString::fromStdString(video);
    bar.OpenVideo();
    const TPixelScale scale{bar.devicePixelRatioF()};
    for (int i = 0; i < TVideoFrameBar::CellCount; ++i) {
      const TFrameRect& cell = bar.FrameRect(i);
      QCOMPARE(cell.DeviceRect, scale.Of(cell.Rect));
      QCOMPARE(cell.Thumb.Width(), cell.DeviceRect.WidthOf() - 4 * scale.Line());
    }
    TFastDIB painted;
    bar.PaintTo(painted, scale);
    const QImage expected = DibToImage(painted).convertToFormat(QImage::Format_RGB32);
    const QImage shown = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), expected.size());
    QVERIFY(shown == expected);
  }

  // The place is written as the window closes, while it still knows it is
  // maximised (the window system forgets once the window is gone).
  void closingKeepsThePlace() {
    const std::filesystem::path file = PlaceFile("closing");
    auto window = Opened(file);
    QVERIFY(window);
    KeepPlaceOnClose(*window, file);
    window->showMaximized();
    QTRY_VERIFY(window->isMaximized());
    QVERIFY(!std::filesystem::exists(file));
    window->close();
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::optional<TWindowPlace> kept = ParseWindowPlace(text);
    QVERIFY2(kept.has_value(), text.c_str());
    QVERIFY(kept->Maximised);
  }
};

}  // namespace kelta

QTEST_MAIN(kelta::WindowPlaceTest)
#include "WindowPlaceTest.moc"
