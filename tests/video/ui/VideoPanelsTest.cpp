#include <QTest>

#include "imaging/FastDIB.h"
#include "video/ui/TestClasses.h"
#include "common/ui/VideoOutPanel.h"

namespace kelta {

namespace {

COLORREF At(const TFastDIB& dib, int x, int y) {
  const std::uint8_t* p = dib.PixelPtr(x, y);
  return RGB(p[2], p[1], p[0]);
}

// A parent whose colour the panel takes.
struct TParent {
  QWidget widget;
  explicit TParent(const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
  }
};

}  // namespace

void VideoPanelsTest::panelFrameAndShadow() {
  TParent parent(QColor(0x10, 0x20, 0x30));
  TVideoOutPanelEx panel(&parent.widget);
  panel.resize(400, 225);
  panel.Image->Fill(TBGRColor{0x33, 0x22, 0x11});  // blue, green, red bytes
  TFastDIB out;
  panel.PaintTo(out);
  QCOMPARE(out.Width(), 400);
  QCOMPARE(out.RowCount(), 225);

  const COLORREF picture = RGB(0x11, 0x22, 0x33);
  const COLORREF panelColour = RGB(0x10, 0x20, 0x30);
  struct Case {
    int x, y;
    COLORREF colour;
  };
  const Case cases[] = {
      {0, 0, 0xBDBEB4},        {396, 0, 0xBDBEB4},      {0, 221, 0xBDBEB4},  // outline of (0, 0, 397, 222)
      {1, 1, panelColour},     {3, 3, panelColour},     {393, 218, panelColour},
      {4, 4, picture},         {392, 217, picture},     {200, 100, picture},  // picture from (4, 4) to (392, 217)
      {0, 222, 0xC4C7CB},      {397, 222, 0xC4C7CB},    {398, 222, 0xD9DAD8},  // shadow below
      {1, 223, 0xDBDBDB},      {0, 223, 0xFFFFFF},      {2, 224, 0xF0EDE9},
      {398, 224, 0xFFFFFF},    {397, 0, 0xC9CAC8},      {397, 221, 0xC9CAC8},  // shadow right
      {398, 1, 0xD9DAD8},      {398, 223, 0xD9DAD8},    {398, 0, 0xFFFFFF},
      {399, 100, 0xFFFFFF},    {1, 224, 0xFFFFFF},
  };
  for (const Case& c : cases) {
    QVERIFY2(At(out, c.x, c.y) == c.colour,
             qPrintable(QStringLiteral("(%1, %2): %3 instead of %4")
                            .arg(c.x)
                            .arg(c.y)
                            .arg(At(out, c.x, c.y), 6, 16, QLatin1Char('0'))
                            .arg(c.colour, 6, 16, QLatin1Char('0'))));
  }
}

void VideoPanelsTest::panelWithoutImageShowsOnlyFrame() {
  TParent parent(QColor(0xFF, 0xFF, 0xFF));
  TVideoOutPanel panel(&parent.widget);
  QVERIFY(panel.Image == nullptr);
  TFastDIB out;
  panel.PaintTo(out);
  QCOMPARE(out.Width(), 200);
  QCOMPARE(At(out, 0, 0), COLORREF(0xBDBEB4));
  QCOMPARE(At(out, 100, 100), COLORREF(0xFFFFFF));
  QCOMPARE(At(out, 4, 4), COLORREF(0xFFFFFF));
  QCOMPARE(At(out, 197, 10), COLORREF(0xC9CAC8));
}

void VideoPanelsTest::panelDoubleClick() {
  TVideoOutPanel panel;
  // Without a handler nothing happens.
  QTest::mouseDClick(&panel, Qt::LeftButton, {}, QPoint(20, 20));
  QObject* sender = nullptr;
  int calls = 0;
  panel.OnPanelDblClick = [&](QObject* from) {
    sender = from;
    ++calls;
  };
  QTest::mouseDClick(&panel, Qt::LeftButton, {}, QPoint(20, 20));
  QCOMPARE(calls, 1);
  QCOMPARE(sender, &panel);
}

}  // namespace kelta
