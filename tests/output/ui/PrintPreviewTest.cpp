#include <cstdint>

#include <QAction>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPicture>
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

// Letter paper that the printer can print to the edges.
void UseLetter(TprintDlg& dlg) {
  dlg.Printer().setPageSize(QPageSize(QPageSize::Letter));
  dlg.Printer().setPageOrientation(QPageLayout::Portrait);
  dlg.Printer().setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

// A print window on Letter paper over a 720x576 pattern picture.
struct TPrintFixture {
  TFastDIB Image;  // outlives the window, which points at it
  TprintDlg Dlg;

  explicit TPrintFixture(const QString& name = {}) {
    UseLetter(Dlg);
    FillPattern(Image, 720, 576);
    Dlg.FViewRecord.Image = &Image;
    if (!name.isEmpty()) Dlg.FViewRecord.Name = name;
  }
  bool Show() {
    Dlg.show();
    return QTest::qWaitForWindowExposed(&Dlg);
  }
};

// The bounds of the pixels of one colour on a rendered sheet; empty when none.
QRect ColourBounds(const QImage& sheet, const QColor& colour) {
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
  return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void FillColour(TFastDIB& image, int w, int h, const QColor& colour) {
  image.SetSize(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = image.PixelPtr(x, y);
      p[0] = std::uint8_t(colour.blue());
      p[1] = std::uint8_t(colour.green());
      p[2] = std::uint8_t(colour.red());
    }
}

}  // namespace

class PrintPreviewTest : public QObject {
  Q_OBJECT
 private slots:
  void page_imageGeometry_data();
  void page_imageGeometry();
  void page_captionLinesCentredAboveImage();
  void page_longMemoWrapsWithinTheTextColumn_data();
  void page_longMemoWrapsWithinTheTextColumn();
  void grid_initialWindowShowsOneColumnAndBothBars();
  void grid_columnsFitTheWidth();
  void wheel_stepsAndStopsAtTheEnd();
  void hitTest_selectsPageOrMisses();
  void textToggle_recomposesAroundLastClick();
  void print_toPdfGivesOnePage();
  void print_printerThatCannotStartIsReported();
  void print_pictureKeepsItsShapeOnThePaper_data();
  void print_pictureKeepsItsShapeOnThePaper();
  void preview_drawsNothingPastThePage();
  void zoom_fitsPageAndWidthAndFollowsCtrlWheel();
};

void PrintPreviewTest::page_imageGeometry_data() {
  QTest::addColumn<int>("w");
  QTest::addColumn<int>("h");
  QTest::addColumn<QRect>("expected");
  QTest::newRow("720x576") << 720 << 576 << QRect(96, 50, 624, 499);  // 499.2
  // 624 wide would be 936 high: as high as the page allows, 910, and centred.
  QTest::newRow("portrait kept on the page") << 480 << 720 << QRect(104, 50, 607, 910);
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
  UseLetter(dlg);
  dlg.FViewRecord.Image = &image;
  dlg.BuildPage(false);
  QCOMPARE(dlg.PageGeometry().Image, expected);
  QCOMPARE(dlg.FPagePreview()->PageCount(), 1);
  QCOMPARE(dlg.FPagePreview()->Page(0).boundingRect(), QRect(0, 0, 816, 1056));
}

void PrintPreviewTest::page_captionLinesCentredAboveImage() {
  TPrintFixture f("Beach");
  TprintDlg& dlg = f.Dlg;
  dlg.FViewRecord.Memo = "Sun";
  dlg.BuildPage(true);
  const TPrintPageGeometry& g = dlg.PageGeometry();
  const int h = g.NameHeight;
  QVERIFY(h > 10);
  QCOMPARE(g.MemoHeight, h);
  QCOMPARE(g.Name.y(), h);
  QCOMPARE(g.Memo, QStringList{"Sun"});
  QCOMPARE(g.MemoLines.size(), 1);
  QCOMPARE(g.MemoLines[0].top(), 3 * h);
  QCOMPARE(g.Image.top(), 8 * h);
  QFont font("tahoma");
  font.setPointSize(14);
  const QFontMetrics metrics(font, &dlg.FPagePreview()->Page(0));
  QCOMPARE(g.Name.x(), (816 - metrics.horizontalAdvance("Beach")) / 2);
  QCOMPARE(g.MemoLines[0].left(), (816 - metrics.horizontalAdvance("Sun")) / 2);
}

// A memo wider than the page is wrapped within the text column, between
// words (inside a word only when it is longer than a line) and at its own
// line breaks; the picture moves down below it, and nothing of it is drawn
// beyond the column on the page that the preview shows and the printer prints.
void PrintPreviewTest::page_longMemoWrapsWithinTheTextColumn_data() {
  QTest::addColumn<QString>("memo");
  QTest::addColumn<int>("kind");  // 0 the lines hold the memo's words, 1 its letters, 2 more than the page holds
  QString sentences;
  for (int i = 0; i < 12; ++i) sentences += QString("Day %1 on the beach by the sea, ").arg(i);
  QTest::newRow("sentences") << sentences + "\r\nSecond paragraph." << 0;
  QTest::newRow("one endless word") << QString(200, QChar('W')) << 1;
  QTest::newRow("a memo longer than the page") << sentences.repeated(20) << 2;
}

void PrintPreviewTest::page_longMemoWrapsWithinTheTextColumn() {
  QFETCH(QString, memo);
  QFETCH(int, kind);
  TPrintFixture f("Beach");
  TprintDlg& dlg = f.Dlg;
  dlg.FViewRecord.Memo = memo;
  dlg.BuildPage(true);
  const TPrintPageGeometry& g = dlg.PageGeometry();
  const int h = g.MemoHeight;
  QCOMPARE(g.TextLeft, 96);
  QCOMPARE(g.TextWidth, 624);
  QVERIFY2(g.Memo.size() >= 3, qPrintable(g.Memo.join('|')));
  QCOMPARE(g.MemoLines.size(), g.Memo.size());
  for (int i = 0; i < g.MemoLines.size(); ++i) {
    const QRect& line = g.MemoLines[i];
    QCOMPARE(line.top(), 3 * h + i * h);
    QVERIFY2(line.left() >= 96 && line.left() + line.width() <= 720, qPrintable(g.Memo[i]));
    QVERIFY(qAbs((line.left() - 96) - (720 - line.left() - line.width())) <= 1);
  }
  QCOMPARE(g.Image.top(), 8 * h + (int(g.Memo.size()) - 1) * h);
  if (kind == 0) {
    QCOMPARE(g.Memo.join(' ').simplified(), memo.simplified());
    QVERIFY(g.Memo.contains("Second paragraph."));
  } else if (kind == 1) {
    QCOMPARE(g.Memo.join(QString()), memo);
  } else {
    // The lines that leave the picture half its height, the last one ending
    // in an ellipsis.
    QVERIFY(g.Memo.back().endsWith(QChar(0x2026)));
    QVERIFY(memo.startsWith(g.Memo.first()));
    QVERIFY2(g.Image.height() >= (1056 - 96 - 8 * h) / 2 - h, qPrintable(QString::number(g.Image.height())));
  }
  // The page as drawn: the text's ink lies in the column.
  const QPicture& page = dlg.FPagePreview()->Page(0);
  QImage sheet(816, 1056, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  {
    QPainter painter(&sheet);
    painter.scale(double(page.logicalDpiX()) / sheet.logicalDpiX(), double(page.logicalDpiY()) / sheet.logicalDpiY());
    painter.drawPicture(0, 0, page);
  }
  const QRect ink = ColourBounds(sheet.copy(0, 3 * h, 816, g.Image.top() - 3 * h), Qt::black);
  QVERIFY(!ink.isEmpty());
  QVERIFY2(ink.left() >= 96 && ink.right() < 720, qPrintable(QString("ink %1..%2").arg(ink.left()).arg(ink.right())));
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
  QCOMPARE(l.Columns(), 1);
  QCOMPARE(l.Rows(), 1);
  QVERIFY(preview->horizontalScrollBar()->isVisible());
  QVERIFY(preview->verticalScrollBar()->isVisible());
  // The layout's client area is the viewport the widget really shows.
  QCOMPARE(preview->viewport()->size(), QSize(l.ClientWidth(), l.ClientHeight()));
  QCOMPARE(l.VertMax(), 1116 - l.ClientHeight());
  QCOMPARE(l.HorzMax(), 876 - l.ClientWidth());
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
    QCOMPARE(l.Columns(), c.columns);
    QCOMPARE(l.Rows(), c.rows);
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
  QCOMPARE(preview->Layout().VertPos, preview->Layout().VertMax());
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
  QCOMPARE(l.Columns(), 2);
  // Second page of the first row, 10 pixels into it.
  const TPreviewRect second = l.PageRect(1);
  QVERIFY(l.HitTest(second.Left + 10, second.Top + 20));
  QCOMPARE(l.SelectedPage, 1);
  QCOMPARE(l.HotPage(), 1);
  QCOMPARE(l.HotX(), 10);
  QCOMPARE(l.HotY(), 20);
  // The gap between pages is no page: the hot point is dropped, the selection kept.
  QVERIFY(!l.HitTest(second.Left - 5, second.Top + 20));
  QCOMPARE(l.SelectedPage, 1);
  QCOMPARE(l.HotPage(), -1);
  QCOMPARE(l.HotX(), -1);
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
  const int hotY = preview->Layout().HotY();
  dlg.tbiText()->trigger();
  QVERIFY(!dlg.tbiText()->isChecked());
  QCOMPARE(dlg.PageGeometry().Image.top(), 50);
  // Recomposed: selection cleared, the view centred on the last clicked point.
  const TPreviewLayout& l = preview->Layout();
  QCOMPARE(l.SelectedPage, -1);
  QCOMPARE(l.VertPos, qBound(0, hotY - l.ClientHeight() / 2 + 30, l.VertMax()));
}

void PrintPreviewTest::print_toPdfGivesOnePage() {
  TPrintFixture f("Beach");
  f.Dlg.BuildPage(true);
  QTemporaryDir dir;
  const QString file = dir.filePath("page.pdf");
  QPrinter& printer = f.Dlg.Printer();
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(file);
  f.Dlg.FPagePreview()->PrintTo(printer);
  QVERIFY(QFile::exists(file));
  QProcess info;
  info.start("pdfinfo", {file});
  QVERIFY(info.waitForFinished(20000));
  const QString out = QString::fromLocal8Bit(info.readAllStandardOutput());
  QVERIFY2(out.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(out));
  QVERIFY2(out.contains(QRegularExpression("Title:\\s+Printing \\.\\.\\.\\n")), qPrintable(out));
}

void PrintPreviewTest::print_printerThatCannotStartIsReported() {
  TPrintFixture f;
  f.Dlg.BuildPage(false);
  QTemporaryDir dir;
  QPrinter& printer = f.Dlg.Printer();
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath("no/such/folder/page.pdf"));
  QVERIFY_THROWS_EXCEPTION(EPrintError, f.Dlg.FPagePreview()->PrintTo(printer));
}

void PrintPreviewTest::print_pictureKeepsItsShapeOnThePaper_data() {
  QTest::addColumn<QPageSize::PageSizeId>("paper");
  QTest::addColumn<QPageLayout::Orientation>("orientation");
  QTest::addColumn<QMarginsF>("margins");  // points
  QTest::addColumn<bool>("withText");
  QTest::newRow("A4, text, uneven margins") << QPageSize::A4 << QPageLayout::Portrait
                                            << QMarginsF(36, 18, 54, 72) << true;
  QTest::newRow("Letter, no text, no margins") << QPageSize::Letter << QPageLayout::Portrait << QMarginsF(0, 0, 0, 0)
                                               << false;
  QTest::newRow("A4 landscape, wide margins") << QPageSize::A4 << QPageLayout::Landscape
                                              << QMarginsF(90, 90, 90, 90) << true;
}

// The printed sheet shows the page as the preview does: each page point on
// the same point of the paper, so a 16:9 picture prints in 16:9 on any paper.
void PrintPreviewTest::print_pictureKeepsItsShapeOnThePaper() {
  QFETCH(QPageSize::PageSizeId, paper);
  QFETCH(QPageLayout::Orientation, orientation);
  QFETCH(QMarginsF, margins);
  QFETCH(bool, withText);
  const QColor colour(200, 40, 60);
  TFastDIB image;
  FillColour(image, 640, 360, colour);
  TprintDlg dlg;
  QTemporaryDir dir;
  const QString file = dir.filePath("page.pdf");
  QPrinter& printer = dlg.Printer();
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(file);
  printer.setPageSize(QPageSize(paper));
  printer.setPageOrientation(orientation);
  QVERIFY(printer.setPageMargins(margins, QPageLayout::Point));
  dlg.FViewRecord.Image = &image;
  dlg.FViewRecord.Name = "Beach";
  dlg.FViewRecord.Memo = "Summer";
  dlg.BuildPage(withText);
  const QRect onPage = dlg.PageGeometry().Image;
  // Nothing is placed where this printer cannot print.
  const QRectF area = printer.pageLayout().paintRect(QPageLayout::Point);
  const QRectF placed(onPage.left() * 0.75, onPage.top() * 0.75, onPage.width() * 0.75, onPage.height() * 0.75);
  QVERIFY(area.adjusted(-1, -1, 1, 1).contains(placed));
  dlg.FPagePreview()->PrintTo(printer);

  // Rendered at 72 dpi one pixel is one point of the sheet.
  QProcess render;
  render.start("pdftoppm", {"-r", "72", "-png", "-singlefile", file, dir.filePath("sheet")});
  QVERIFY(render.waitForFinished(20000));
  QCOMPARE(render.exitCode(), 0);
  const QImage sheet(dir.filePath("sheet.png"));
  const QSizeF sheetSize = printer.pageLayout().fullRect(QPageLayout::Point).size();
  QCOMPARE(sheet.size(), sheetSize.toSize());
  const QRect found = ColourBounds(sheet, colour);
  QVERIFY2(!found.isEmpty(), "the picture is not on the sheet");
  const QString where = QString("found %1,%2 %3x%4; expected %5,%6 %7x%8")
                            .arg(found.left()).arg(found.top()).arg(found.width()).arg(found.height())
                            .arg(placed.left()).arg(placed.top()).arg(placed.width()).arg(placed.height());
  QVERIFY2(qAbs(found.left() - placed.left()) <= 2 && qAbs(found.top() - placed.top()) <= 2 &&
               qAbs(found.width() - placed.width()) <= 2 && qAbs(found.height() - placed.height()) <= 2,
           qPrintable(where));
  QVERIFY2(qAbs(double(found.width()) / found.height() - 16.0 / 9.0) < 0.02, qPrintable(where));
  // Outside the picture the sheet stays paper white.
  QCOMPARE(sheet.pixel(found.left() + 2, qMin(sheet.height() - 1, found.bottom() + 4)), qRgb(255, 255, 255));
}

void PrintPreviewTest::preview_drawsNothingPastThePage() {
  TPrintFixture f("Beach");
  TprintDlg& dlg = f.Dlg;
  dlg.FViewRecord.Memo = QString(200, QChar('W'));  // far wider than the page
  QVERIFY(f.Show());
  TmyPreview* preview = dlg.FPagePreview();
  const TPreviewRect page = preview->Layout().PageRect(0);
  QVERIFY(page.Left > 10);
  const QImage shown = preview->viewport()->grab().toImage();
  const QRgb ground = preview->palette().color(QPalette::Dark).rgb();
  const int memoTop = page.Top + dlg.PageGeometry().MemoLines.value(0).top();
  for (int y = memoTop; y < memoTop + dlg.PageGeometry().MemoHeight; ++y)
    for (int x = 0; x < page.Left - 1; ++x)
      QVERIFY2(shown.pixel(x, y) == ground, qPrintable(QString("drawn at %1,%2").arg(x).arg(y)));
}

void PrintPreviewTest::zoom_fitsPageAndWidthAndFollowsCtrlWheel() {
  TPrintFixture f;
  QVERIFY(f.Show());
  TprintDlg& dlg = f.Dlg;
  TmyPreview* preview = dlg.FPagePreview();
  auto rect = [&] {
    const TPreviewRect r = preview->Layout().PageRect(0);
    return QRect(r.Left, r.Top, r.Width, r.Height);
  };
  dlg.findChild<QAction*>("tbiFitPage")->trigger();
  QVERIFY(preview->viewport()->rect().contains(rect()));
  // The one page is centred, not set in the first of several columns.
  QVERIFY(qAbs(rect().left() - (preview->viewport()->width() - rect().right() - 1)) <= 2);
  QVERIFY(!preview->horizontalScrollBar()->isVisible() && !preview->verticalScrollBar()->isVisible());
  QVERIFY(preview->Zoom() < 1.0);
  dlg.findChild<QAction*>("tbiFitWidth")->trigger();
  QVERIFY(qAbs(rect().width() + 60 - preview->viewport()->width()) <= 2);
  QVERIFY(!preview->horizontalScrollBar()->isVisible());
  const double fitWidth = preview->Zoom();
  const QPoint at(50, 50);
  QWheelEvent wheel(at, preview->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::ControlModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(preview->viewport(), &wheel);
  QVERIFY(qAbs(preview->Zoom() - fitWidth * 1.25) < 1e-9);
  QCOMPARE(preview->Layout().VertPos, 0);  // zoomed, not scrolled
  dlg.findChild<QAction*>("tbiActualSize")->trigger();
  QCOMPARE(preview->Zoom(), 1.0);
  QCOMPARE(rect().size(), QSize(816, 1056));
}

QTEST_MAIN(PrintPreviewTest)
#include "PrintPreviewTest.moc"
