#include "output/ui/PrintPreview.h"

#include <QMouseEvent>
#include <QPageLayout>
#include <QPaintEvent>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "output/PrintPageLayout.h"

namespace kelta {

TmyPreview::TmyPreview(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName("FPagePreview");
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAutoFillBackground(false);
  horizontalScrollBar()->setSingleStep(TPreviewLayout::LineStep);
  horizontalScrollBar()->setPageStep(TPreviewLayout::PageStep);
  verticalScrollBar()->setSingleStep(TPreviewLayout::LineStep);
  verticalScrollBar()->setPageStep(TPreviewLayout::PageStep);
  DoLayout();
}

TmyPreview::~TmyPreview() {
  if (Recorder_) Recorder_->end();
}

void TmyPreview::Changed() {
  if (OnChange) OnChange();
}

void TmyPreview::DoLayout() {
  TPreviewLayout& l = Layout_;
  // The client area is what the border leaves, less the bars the layout shows.
  const QSize outer = contentsRect().size();
  l.BarExtent = verticalScrollBar()->sizeHint().width();
  l.OuterWidth = outer.width();
  l.OuterHeight = outer.height();
  l.PageCount = PageCount();
  l.Layout();

  Applying_ = true;
  setHorizontalScrollBarPolicy(l.HorzBarShown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(l.VertBarShown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  horizontalScrollBar()->setRange(0, l.HorzMax());
  verticalScrollBar()->setRange(0, l.VertMax());
  horizontalScrollBar()->setValue(l.HorzPos);
  verticalScrollBar()->setValue(l.VertPos);
  Applying_ = false;
  viewport()->update();
  Changed();
}

void TmyPreview::SetPageSize(int width, int height) {
  Layout_.PageWidth = std::max(1, width);
  Layout_.PageHeight = std::max(1, height);
  ApplyZoomMode();
  DoLayout();
}

void TmyPreview::SetZoom(double zoom) {
  ZoomMode_ = TZoomMode::Fixed;
  Layout_.SetZoom(zoom);
  DoLayout();
}

void TmyPreview::SetZoomMode(TZoomMode mode) {
  ZoomMode_ = mode;
  ApplyZoomMode();
  DoLayout();
}

void TmyPreview::ApplyZoomMode() {
  const QSize outer = contentsRect().size();
  Layout_.OuterWidth = outer.width();
  Layout_.OuterHeight = outer.height();
  Layout_.BarExtent = verticalScrollBar()->sizeHint().width();
  if (ZoomMode_ == TZoomMode::FitPage) Layout_.SetZoom(Layout_.FitPageZoom());
  if (ZoomMode_ == TZoomMode::FitWidth) Layout_.SetZoom(Layout_.FitWidthZoom());
}

void TmyPreview::Clear() {
  if (Recorder_) {
    Recorder_->end();
    Recorder_.reset();
  }
  Pages_.clear();
  Layout_.SelectedPage = -1;
  Layout_.HorzPos = Layout_.VertPos = 0;
  DoLayout();
}

QPainter* TmyPreview::NewPage() {
  if (Recorder_) EndPage();
  auto page = std::make_unique<QPicture>();
  page->setBoundingRect(QRect(0, 0, Layout_.PageWidth, Layout_.PageHeight));
  Pages_.push_back(std::move(page));
  DoLayout();
  Recorder_ = std::make_unique<QPainter>(Pages_.back().get());
  return Recorder_.get();
}

void TmyPreview::EndPage() {
  if (!Recorder_) return;
  Recorder_->end();
  Recorder_.reset();
  // Recording may have widened the picture's bounds; a page is always the sheet.
  Pages_.back()->setBoundingRect(QRect(0, 0, Layout_.PageWidth, Layout_.PageHeight));
  viewport()->update();
}

void TmyPreview::PrintTo(QPrinter& printer) const {
  if (Pages_.empty()) return;
  printer.setDocName(Title);
  QPainter painter;
  if (!painter.begin(&printer)) {
    const QString name = printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName();
    throw EPrintError(QStringLiteral("The printer \"%1\" cannot start printing").arg(name).toStdString());
  }
  // The painter's origin is the corner of the printable area; the page is the
  // whole sheet, so its origin lies that far up and left of it.
  const int resolution = printer.resolution();
  const QRect area = printer.pageLayout().paintRectPixels(resolution);
  const QRect sheet = printer.pageLayout().fullRectPixels(resolution);
  const double scale = double(resolution) / PagePixelsPerInch;
  const QRectF target(sheet.left() - area.left(), sheet.top() - area.top(), Layout_.PageWidth * scale,
                      Layout_.PageHeight * scale);
  for (std::size_t i = 0; i < Pages_.size(); ++i) {
    if (i > 0) printer.newPage();
    PlayPage(painter, *Pages_[i], target);
  }
  painter.end();
}

void TmyPreview::PlayPage(QPainter& painter, const QPicture& page, const QRectF& target) const {
  // A picture plays itself scaled by the target device's resolution over its
  // own, so a page recorded at screen resolution would be scaled a second time
  // on a printer; that factor is taken out here.
  QPaintDevice* device = painter.device();
  const double dpiX = device ? double(page.logicalDpiX()) / device->logicalDpiX() : 1.0;
  const double dpiY = device ? double(page.logicalDpiY()) / device->logicalDpiY() : 1.0;
  painter.save();
  painter.translate(target.topLeft());
  painter.scale(target.width() / Layout_.PageWidth * dpiX, target.height() / Layout_.PageHeight * dpiY);
  painter.drawPicture(0, 0, page);
  painter.restore();
}

void TmyPreview::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  p.fillRect(viewport()->rect(), palette().color(QPalette::Dark));
  const QRect client = viewport()->rect();
  for (int i = 0; i < PageCount(); ++i) {
    const TPreviewRect r = Layout_.PageRect(i);
    const QRect page(r.Left, r.Top, r.Width, r.Height);
    if (!page.adjusted(0, 0, 4, 4).intersects(client)) continue;
    p.fillRect(page, Qt::white);
    // Shadow strips right of and under the page.
    p.fillRect(QRect(page.right() + 1, page.top() + 4, 4, page.height()), Qt::black);
    p.fillRect(QRect(page.left() + 4, page.bottom() + 1, page.width(), 4), Qt::black);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // What lies past the sheet is not printed, and not shown.
    p.save();
    p.setClipRect(page);
    PlayPage(p, *Pages_[std::size_t(i)], page);
    p.restore();
    const int pen = i == Layout_.SelectedPage ? 5 : 1;
    p.setPen(QPen(Qt::black, pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    // The outline lies inside the page rectangle, as a rectangle drawn over it does.
    const int in = pen / 2;
    p.drawRect(page.adjusted(in, in, -in - 1, -in - 1));
  }
}

void TmyPreview::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (Applying_) return;
  ApplyZoomMode();
  DoLayout();
}

void TmyPreview::scrollContentsBy(int, int) {
  if (Applying_) return;
  Layout_.ScrollHorzTo(horizontalScrollBar()->value());
  Layout_.ScrollVertTo(verticalScrollBar()->value());
  viewport()->update();
}

void TmyPreview::wheelEvent(QWheelEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) {
    // A notch away from the user enlarges by a quarter.
    SetZoom(Layout_.Zoom() * std::pow(1.25, event->angleDelta().y() / 120.0));
    event->accept();
    return;
  }
  Layout_.Wheel(event->angleDelta().y());
  verticalScrollBar()->setValue(Layout_.VertPos);
  viewport()->update();
  event->accept();
}

void TmyPreview::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  const int before = Layout_.SelectedPage;
  const QPoint at = event->position().toPoint();
  Layout_.HitTest(at.x(), at.y());
  if (Layout_.SelectedPage != before) {
    viewport()->update();
    Changed();
  }
}

}  // namespace kelta
