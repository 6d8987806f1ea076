#include <cstdint>

#include <QAction>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include "editing/EditingFixtures.h"
#include "output/ui/PrintPreviewDlg.h"

using namespace kelta;
using kelta::testing::FillPattern;

namespace {

// A print window over a 720x576 pattern picture.
struct TPrintFixture {
  TFastDIB Image;  // outlives the window, which points at it
  TprintDlg Dlg;

  explicit TPrintFixture(const QString& name = {}) {
    FillPattern(Image, 720, 576);
    Dlg.FViewRecord.Image = &Image;
    if (!name.isEmpty()) Dlg.FViewRecord.Name = name;
  }
  bool Show() {
    Dlg.show();
    return QTest::qWaitForWindowExposed(&Dlg);
  }
};

// A PDF printer on Letter paper writing `file`.
void SetUpPdfPrinter(QPrinter& printer, const QString& file) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(file);
  printer.setPageSize(QPageSize(QPageSize::Letter));
}

}  // namespace

class PrintPreviewTest : public QObject {
  Q_OBJECT
 private slots:
  void page_imageGeometry_data();
  void page_imageGeometry();
  void page_captionLinesCentredAboveImage();
  void grid_initialWindowShowsOneColumnAndBothBars();
  void grid_columnsFitTheWidth();
  void wheel_stepsAndStopsAtTheEnd();
  void hitTest_selectsPageOrMisses();
  void textToggle_recomposesAroundLastClick();
  void print_toPdfGivesOnePage();
  void print_pageStretchedOverPrintableArea_data();
  void print_pageStretchedOverPrintableArea();
};

void PrintPreviewTest::page_imageGeometry_data() {
  QTest::addColumn<int>("w");
  QTest::addColumn<int>("h");
  QTest::addColumn<QRect>("expected");
  QTest::newRow("720x576") << 720 << 576 << QRect(96, 50, 624, 499);  // 499.2
  QTest::newRow("portrait beyond the page") << 480 << 720 << QRect(96, 50, 624, 936);
  QTest::newRow("half goes even") << 1248 << 3 << QRect(96, 50, 624, 2);  // 1.5 -> 2
  QTest::newRow("half goes even down") << 1248 << 5 << QRect(96, 50, 624, 2);  // 2.5 -> 2
}

void PrintPreviewTest::page_imageGeometry() {
  QFETCH(int, w);
  QFETCH(int, h);
  QFETCH(QRect, expected);
  TFastDIB image;
  FillPattern(image, w, h);
  TprintDlg dlg;
  dlg.FViewRecord.Image = &image;
  dlg.BuildPage(false);
  QCOMPARE(dlg.PageGeometry().Image, expected);
  QCOMPARE(dlg.FPagePreview()->PageCount(), 1);
  QCOMPARE(dlg.FPagePreview()->Page(0).boundingRect(), QRect(0, 0, 816, 1056));
}

void PrintPreviewTest::page_captionLinesCentredAboveImage() {
  TPrintFixture f("Beach");
  TprintDlg& dlg = f.Dlg;
  dlg.FViewRecord.Memo = QString(200, QChar('W'));  // far wider than the page
  dlg.BuildPage(true);
  const TPrintPageGeometry& g = dlg.PageGeometry();
  const int h = g.NameHeight;
  QVERIFY(h > 10);
  QCOMPARE(g.MemoHeight, h);
  QCOMPARE(g.Name.y(), h);
  QCOMPARE(g.Memo.y(), 3 * h);
  QCOMPARE(g.Image.top(), 8 * h);
  QFont font("tahoma");
  font.setPointSize(14);
  const QFontMetrics metrics(font, &dlg.FPagePreview()->Page(0));
  QCOMPARE(g.Name.x(), (816 - metrics.horizontalAdvance("Beach")) / 2);
  // The long memo overhangs both page edges equally.
  QVERIFY(g.Memo.x() < 0);
  QVERIFY(qAbs((g.Memo.x() + metrics.horizontalAdvance(dlg.FViewRecord.Memo)) - 816 + g.Memo.x()) <= 1);
}

void PrintPreviewTest::grid_initialWindowShowsOneColumnAndBothBars() {
  TPrintFixture f;
  TprintDlg& dlg = f.Dlg;
  QVERIFY(f.Show());
  TmyPreview* preview = dlg.FPagePreview();
  QCOMPARE(preview->PageCount(), 1);  // composed on showing
  QVERIFY(dlg.tbiText()->isChecked());
  const TPreviewLayout& l = preview->Layout();
  QVERIFY(l.ClientWidth() < 876);
  QCOMPARE(l.Columns, 1);
  QCOMPARE(l.Rows, 1);
  QVERIFY(preview->horizontalScrollBar()->isVisible());
  QVERIFY(preview->verticalScrollBar()->isVisible());
  // The layout's client area is the viewport the widget really shows.
  QCOMPARE(preview->viewport()->size(), QSize(l.ClientWidth(), l.ClientHeight()));
  QCOMPARE(l.VertMax, 1116 - l.ClientHeight());
  QCOMPARE(l.HorzMax, 876 - l.ClientWidth());
  // Page 0 lies 30 pixels in from the grid's corner.
  QCOMPARE(l.PageRect(0), (TPreviewRect{30 - l.HorzPos, 30 - l.VertPos, 816, 1056}));
}

void PrintPreviewTest::grid_columnsFitTheWidth() {
  TPreviewLayout l;
  l.PageCount = 5;
  l.BarExtent = 16;
  struct Case {
    int width, columns, rows;
  };
  // Room for another column only when more than pw + 30 is left after pw + 60.
  for (const Case& c : {Case{876, 1, 5}, Case{1722, 1, 5}, Case{1723, 2, 3}, Case{2569, 3, 2}}) {
    l.OuterWidth = c.width + 16;  // the vertical bar will be shown (five pages)
    l.OuterHeight = 800;
    l.HorzBarShown = l.VertBarShown = false;
    l.Layout();
    QCOMPARE(l.VertBarShown, true);
    QCOMPARE(l.Columns, c.columns);
    QCOMPARE(l.Rows, c.rows);
  }
  // No pages: nothing selected, no bars, no scrolling.
  l.PageCount = 0;
  l.SelectedPage = 0;
  l.Layout();
  QCOMPARE(l.SelectedPage, -1);
  QVERIFY(!l.HorzBarShown && !l.VertBarShown);
  QCOMPARE(l.VertPos, 0);
}

void PrintPreviewTest::wheel_stepsAndStopsAtTheEnd() {
  TPrintFixture f;
  QVERIFY(f.Show());
  TmyPreview* preview = f.Dlg.FPagePreview();
  QCOMPARE(preview->Layout().VertPos, 0);
  const QPoint at(50, 50);
  auto turn = [&](int delta) {
    QWheelEvent wheel(at, preview->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(preview->viewport(), &wheel);
  };
  turn(-120);  // one notch towards the user
  QCOMPARE(preview->Layout().VertPos, 120);
  QCOMPARE(preview->verticalScrollBar()->value(), 120);
  turn(120);
  QCOMPARE(preview->Layout().VertPos, 0);
  turn(120);
  QCOMPARE(preview->Layout().VertPos, 0);
  for (int i = 0; i < 20; ++i) turn(-120);
  QCOMPARE(preview->Layout().VertPos, preview->Layout().VertMax);
  // Scroll-bar steps are 5 and 20 pixels.
  QCOMPARE(preview->verticalScrollBar()->singleStep(), 5);
  QCOMPARE(preview->verticalScrollBar()->pageStep(), 20);
}

void PrintPreviewTest::hitTest_selectsPageOrMisses() {
  TPreviewLayout l;
  l.PageCount = 3;
  l.OuterWidth = 1800;
  l.OuterHeight = 1200;
  l.BarExtent = 16;
  l.Layout();
  QCOMPARE(l.Columns, 2);
  // Second page of the first row, 10 pixels into it.
  const TPreviewRect second = l.PageRect(1);
  QVERIFY(l.HitTest(second.Left + 10, second.Top + 20));
  QCOMPARE(l.SelectedPage, 1);
  QCOMPARE(l.HotPage, 1);
  QCOMPARE(l.HotX, 10);
  QCOMPARE(l.HotY, 20);
  // The gap between pages is no page: the hot point is dropped, the selection kept.
  QVERIFY(!l.HitTest(second.Left - 5, second.Top + 20));
  QCOMPARE(l.SelectedPage, 1);
  QCOMPARE(l.HotPage, -1);
  QCOMPARE(l.HotX, -1);
  // The empty cell beside the third page selects nothing.
  const TPreviewRect third = l.PageRect(2);
  QVERIFY(!l.HitTest(third.Left + 816 + 30 + 10, third.Top + 10));
  QCOMPARE(l.SelectedPage, 1);
}

void PrintPreviewTest::textToggle_recomposesAroundLastClick() {
  TPrintFixture f("Beach");
  TprintDlg& dlg = f.Dlg;
  QVERIFY(f.Show());
  TmyPreview* preview = dlg.FPagePreview();
  int changes = 0;
  preview->OnChange = [&] { ++changes; };
  // Click low on the page: it is selected and becomes the hot point.
  const TPreviewRect page = preview->Layout().PageRect(0);
  QTest::mouseClick(preview->viewport(), Qt::LeftButton, {}, QPoint(page.Left + 400, page.Top + 300));
  QCOMPARE(preview->Layout().SelectedPage, 0);
  QCOMPARE(changes, 1);
  QVERIFY(preview->hasFocus() || !dlg.isActiveWindow());
  const int hotY = preview->Layout().HotY;
  dlg.tbiText()->trigger();
  QVERIFY(!dlg.tbiText()->isChecked());
  QCOMPARE(dlg.PageGeometry().Image.top(), 50);
  // Recomposed: selection cleared, the view centred on the last clicked point.
  const TPreviewLayout& l = preview->Layout();
  QCOMPARE(l.SelectedPage, -1);
  QCOMPARE(l.VertPos, qBound(0, hotY - l.ClientHeight() / 2 + 30, l.VertMax));
}

void PrintPreviewTest::print_toPdfGivesOnePage() {
  TPrintFixture f("Beach");
  f.Dlg.BuildPage(true);
  QTemporaryDir dir;
  const QString file = dir.filePath("page.pdf");
  QPrinter printer(QPrinter::HighResolution);
  SetUpPdfPrinter(printer, file);
  f.Dlg.FPagePreview()->PrintTo(printer);
  QVERIFY(QFile::exists(file));
  QProcess info;
  info.start("pdfinfo", {file});
  QVERIFY(info.waitForFinished(20000));
  const QString out = QString::fromLocal8Bit(info.readAllStandardOutput());
  QVERIFY2(out.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(out));
  QVERIFY2(out.contains(QRegularExpression("Title:\\s+Printing \\.\\.\\.\\n")), qPrintable(out));
}

void PrintPreviewTest::print_pageStretchedOverPrintableArea_data() {
  QTest::addColumn<bool>("withText");
  QTest::addColumn<QMarginsF>("margins");  // points
  QTest::newRow("no text, uneven margins") << false << QMarginsF(36, 18, 54, 72);
  QTest::newRow("text, no margins") << true << QMarginsF(0, 0, 0, 0);
}

// The printed sheet shows the page as the preview does: the picture sits where
// the page puts it, with the page scaled once onto the printable area.
void PrintPreviewTest::print_pageStretchedOverPrintableArea() {
  QFETCH(bool, withText);
  QFETCH(QMarginsF, margins);
  const QColor colour(200, 40, 60);
  TFastDIB image;
  image.SetSize(720, 576, 24);
  for (int y = 0; y < image.RowCount(); ++y)
    for (int x = 0; x < image.Width(); ++x) {
      std::uint8_t* p = image.PixelPtr(x, y);
      p[0] = std::uint8_t(colour.blue());
      p[1] = std::uint8_t(colour.green());
      p[2] = std::uint8_t(colour.red());
    }
  TprintDlg dlg;
  dlg.FViewRecord.Image = &image;
  dlg.FViewRecord.Name = "Beach";
  dlg.FViewRecord.Memo = "Summer";
  dlg.BuildPage(withText);
  const QRect onPage = dlg.PageGeometry().Image;

  QTemporaryDir dir;
  const QString file = dir.filePath("page.pdf");
  QPrinter printer(QPrinter::HighResolution);
  SetUpPdfPrinter(printer, file);
  QVERIFY(printer.setPageMargins(margins, QPageLayout::Point));
  dlg.FPagePreview()->PrintTo(printer);

  // Rendered at 72 dpi one pixel is one point of the sheet.
  QProcess render;
  render.start("pdftoppm", {"-r", "72", "-png", "-singlefile", file, dir.filePath("sheet")});
  QVERIFY(render.waitForFinished(20000));
  QCOMPARE(render.exitCode(), 0);
  const QImage sheet(dir.filePath("sheet.png"));
  QCOMPARE(sheet.size(), QSize(612, 792));

  const QRectF area = printer.pageLayout().paintRect(QPageLayout::Point);
  const double sx = area.width() / 816, sy = area.height() / 1056;
  const QRectF expected(area.left() + onPage.left() * sx, area.top() + onPage.top() * sy,
                        onPage.width() * sx, onPage.height() * sy);

  auto isColour = [&](QRgb c) {
    return qAbs(qRed(c) - colour.red()) < 24 && qAbs(qGreen(c) - colour.green()) < 24 &&
           qAbs(qBlue(c) - colour.blue()) < 24;
  };
  int left = sheet.width(), top = sheet.height(), right = -1, bottom = -1;
  for (int y = 0; y < sheet.height(); ++y)
    for (int x = 0; x < sheet.width(); ++x)
      if (isColour(sheet.pixel(x, y))) {
        left = qMin(left, x);
        top = qMin(top, y);
        right = qMax(right, x + 1);
        bottom = qMax(bottom, y + 1);
      }
  QVERIFY2(right > 0, "the picture is not on the sheet");
  const QString found = QString("found %1,%2 - %3,%4; expected %5,%6 - %7,%8")
                            .arg(left).arg(top).arg(right).arg(bottom)
                            .arg(expected.left()).arg(expected.top())
                            .arg(expected.right()).arg(expected.bottom());
  QVERIFY2(qAbs(left - expected.left()) <= 2 && qAbs(top - expected.top()) <= 2 &&
               qAbs(right - expected.right()) <= 2 && qAbs(bottom - expected.bottom()) <= 2,
           qPrintable(found));
  QVERIFY(isColour(sheet.pixel(expected.center().toPoint())));
  // Outside the picture the sheet stays paper white.
  QCOMPARE(sheet.pixel(qRound(area.left() + 2), qRound(expected.bottom() + 4)), qRgb(255, 255, 255));
}

QTEST_MAIN(PrintPreviewTest)
#include "PrintPreviewTest.moc"
