// The frame at 100 %: its pixels one to one on the screen's device pixels
// (the program runs once at a scale factor of 1 and once at 2), the whole
// frame in its shape at Fit, the part on show moved by keys and dragging,
// and a window that holds the frame where the screen has room for it.
#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <cmath>

#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"
#include "imaging/Resample.h"
#include "support/SamePixels.h"
#include "support/ui/ImagePixels.h"
#include "video/ActualSizeWindow.h"
#include "video/ui/ActualSizeDlg.h"
#include "video/ui/FramePixelView.h"

namespace kelta {

namespace {

// A frame whose neighbouring pixels all differ and none is near black, so a
// pixel shown one off, or a bar, shows.
TFastDIB Pattern(int w, int h) {
  TFastDIB frame;
  frame.SetSize(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = frame.PixelPtr(x, y);
      p[0] = std::uint8_t(40 + (x * 7 + y * 3) % 200);
      p[1] = std::uint8_t(40 + (x * 13 + y * 29) % 210);
      p[2] = std::uint8_t(40 + (x ^ y) % 190);
    }
  return frame;
}

// What the view shows, in device pixels.
TFastDIB Shown(TFramePixelView* view) {
  const QPixmap grabbed = view->viewport()->grab();
  return test::PixelsOf(grabbed.toImage());
}

// Shown, active and laid out (scroll bars come and go after the layout).
void ShowActive(QWidget& window) {
  window.show();
  QApplication::setActiveWindow(&window);
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QCoreApplication::processEvents();
}

}  // namespace

class ActualSizeDlgTest : public QObject {
  Q_OBJECT

  qreal Ratio() const { return QGuiApplication::primaryScreen()->devicePixelRatio(); }

 private slots:
  // At 100 % the view shows the frame's pixels one to one, wherever it is
  // moved to, at the screen's scale factor.
  void showsTheFramePixelForPixel() {
    const TFastDIB frame = Pattern(1900, 1300);  // larger than the screen
    TActualSizeDlg dlg;
    dlg.SetFrame(frame, TDisplayAspect{4, 3}, 18516);
    ShowActive(dlg);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Frame 18517 at 100 %"));
    TFramePixelView* view = dlg.View();
    const QSize device = view->DeviceSize();
    QCOMPARE(device.width(), int(std::floor(view->viewport()->width() * Ratio())));
    QVERIFY(device.width() < frame.Width() && device.height() < frame.RowCount());
    for (const QPoint at : {QPoint(0, 0), QPoint(333, 171), QPoint(frame.Width(), frame.RowCount())}) {
      view->ScrollTo(at);
      const QPoint offset = view->Offset();
      QCOMPARE(offset, QPoint(std::min(at.x(), frame.Width() - device.width()),
                              std::min(at.y(), frame.RowCount() - device.height())));
      const TFastDIB shown = Shown(view);
      QVERIFY(shown.Width() >= device.width() && shown.RowCount() >= device.height());
      QVERIFY(test::SamePixels(test::RegionOf(frame, offset.x(), offset.y(), device.width(), device.height()),
                               test::RegionOf(shown, 0, 0, device.width(), device.height()), "actual-size"));
    }
  }

  // A frame the screen has room for: the window holds it whole, no more,
  // in the middle of the work area; at 100 % it stands in the view as stored.
  void theWindowHoldsTheFrame() {
    const TFastDIB frame = Pattern(600, 300);
    QWidget owner;
    TActualSizeDlg dlg(&owner);
    dlg.SetFrame(frame, TDisplayAspect{16, 9}, -1);
    ShowActive(dlg);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Frame at 100 %"));
    TFramePixelView* view = dlg.View();
    QCOMPARE(view->viewport()->size(), QSize(LogicalLength(600, Ratio()), LogicalLength(300, Ratio())));
    QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
    QCOMPARE(view->verticalScrollBar()->maximum(), 0);
    const QRect work = owner.screen()->availableGeometry();
    QVERIFY(work.contains(dlg.frameGeometry()));
    QVERIFY(std::abs(dlg.geometry().center().x() - work.center().x()) <= 1);
    QVERIFY(test::SamePixels(frame, test::RegionOf(Shown(view), 0, 0, 600, 300), "whole-frame"));

    // A frame larger than the screen: the window takes the work area, its
    // frame on it.
    dlg.SetFrame(Pattern(3000, 2000), TDisplayAspect{16, 9}, 0);
    QVERIFY(work.contains(dlg.frameGeometry()));
    QVERIFY(dlg.frameGeometry().width() >= work.width() - 1 && dlg.frameGeometry().height() >= work.height() - 1);
  }

  // Fit (F) shows the whole frame in its display shape with black bars, as
  // the main window's picture does; 100 % (1) goes back to where it was.
  void fitShowsTheWholeFrameInItsShape() {
    const TFastDIB frame = Pattern(1440, 1152);  // stored 5:4, shown 16:9
    const TDisplayAspect wide{16, 9};
    TActualSizeDlg dlg;
    dlg.SetFrame(frame, wide, 41);
    ShowActive(dlg);
    TFramePixelView* view = dlg.View();
    view->ScrollTo(QPoint(200, 100));
    const QPoint offset = view->Offset();
    QTest::keyClick(view, Qt::Key_F);
    QCOMPARE(view->Zoom(), TFrameZoom::Fit);
    QVERIFY(dlg.FitButton()->isChecked());
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Frame 42, fitted to the window"));
    QCoreApplication::processEvents();
    // Nothing to scroll: the view is the window's, less its buttons.
    QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
    QCOMPARE(view->verticalScrollBar()->maximum(), 0);
    const QSize device = view->DeviceSize();
    const TFastDIB shown = test::RegionOf(Shown(view), 0, 0, device.width(), device.height());
    TFastDIB expected;
    expected.SetSize(device.width(), device.height(), 24);
    expected.Fill(TBGRColor{0, 0, 0});
    ResampleBilinearInto(frame, expected, LetterboxRect(device.width(), device.height(), wide));
    QVERIFY(test::SamePixels(expected, shown, "fitted"));
    // The picture in the middle row: 16:9 of the view's height, or the view's whole width.
    int left = shown.Width(), right = -1, top = shown.RowCount(), bottom = -1;
    for (int x = 0; x < shown.Width(); ++x) {
      const std::uint8_t* p = shown.PixelPtr(x, shown.RowCount() / 2);
      if (p[0] + p[1] + p[2] > 30) left = std::min(left, x), right = std::max(right, x);
    }
    for (int y = 0; y < shown.RowCount(); ++y) {
      const std::uint8_t* p = shown.PixelPtr(shown.Width() / 2, y);
      if (p[0] + p[1] + p[2] > 30) top = std::min(top, y), bottom = std::max(bottom, y);
    }
    const double shape = double(right - left + 1) / double(bottom - top + 1);
    QVERIFY2(std::abs(shape - 16.0 / 9.0) < 0.02, qPrintable(QString::number(shape)));
    QVERIFY(left == 0 || top == 0);

    QTest::keyClick(view, Qt::Key_1);
    QCOMPARE(view->Zoom(), TFrameZoom::ActualSize);
    QVERIFY(dlg.ActualSizeButton()->isChecked());
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Frame 42 at 100 %"));
    QCOMPARE(view->Offset(), offset);
    // The buttons do the same.
    dlg.FitButton()->click();
    QCOMPARE(view->Zoom(), TFrameZoom::Fit);
    dlg.ActualSizeButton()->click();
    QCOMPARE(view->Zoom(), TFrameZoom::ActualSize);
  }

  // The arrows move by steps, PageUp/PageDown by a view's height less a
  // step, Home and End to the corners; a drag takes the frame along with
  // the pointer. Escape closes the window.
  void keysAndDraggingMoveTheFrame() {
    const TFastDIB frame = Pattern(2400, 1800);
    TActualSizeDlg dlg;
    dlg.SetFrame(frame, TDisplayAspect{4, 3}, 7);
    ShowActive(dlg);
    TFramePixelView* view = dlg.View();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view));
    const int step = int(std::lround(32 * Ratio()));
    const QSize device = view->DeviceSize();
    const QPoint end(frame.Width() - device.width(), frame.RowCount() - device.height());
    struct TKeyCase {
      Qt::Key Key;
      QPoint Expected;
    };
    const TKeyCase cases[] = {
        {Qt::Key_Right, {step, 0}},
        {Qt::Key_Down, {step, step}},
        {Qt::Key_Right, {2 * step, step}},
        {Qt::Key_Left, {step, step}},
        {Qt::Key_Up, {step, 0}},
        {Qt::Key_PageDown, {step, device.height() - step}},
        {Qt::Key_PageUp, {step, 0}},
        {Qt::Key_End, end},
        {Qt::Key_Right, end},
        {Qt::Key_Home, {0, 0}},
        {Qt::Key_Left, {0, 0}},
    };
    for (const TKeyCase& c : cases) {
      QTest::keyClick(QApplication::focusWidget(), c.Key);
      QCOMPARE(view->Offset(), c.Expected);
    }
    // Dragged 40 logical pixels left and 30 up, the frame shows 40 and 30
    // logical pixels further right and down.
    view->ScrollTo(QPoint(500, 500));
    QWidget* surface = view->viewport();
    auto send = [surface](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
      QMouseEvent event(type, at, surface->mapToGlobal(at), button, held, Qt::NoModifier);
      QApplication::sendEvent(surface, &event);
    };
    send(QEvent::MouseButtonPress, QPointF(100, 100), Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, QPointF(80, 85), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, QPointF(60, 70), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPointF(60, 70), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(view->Offset(), QPoint(500 + int(std::lround(40 * Ratio())), 500 + int(std::lround(30 * Ratio()))));
    send(QEvent::MouseMove, QPointF(10, 10), Qt::NoButton, Qt::NoButton);
    QCOMPARE(view->Offset(), QPoint(500 + int(std::lround(40 * Ratio())), 500 + int(std::lround(30 * Ratio()))));
    const TFastDIB shown = Shown(view);
    QVERIFY(test::SamePixels(test::RegionOf(frame, view->Offset().x(), view->Offset().y(), 64, 64),
                             test::RegionOf(shown, 0, 0, 64, 64), "dragged"));

    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
  }
};

}  // namespace kelta

QTEST_MAIN(kelta::ActualSizeDlgTest)
#include "ActualSizeDlgTest.moc"
