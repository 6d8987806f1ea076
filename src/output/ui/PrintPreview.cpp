#include "output/ui/PrintPreview.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>

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
  horizontalScrollBar()->setRange(0, l.HorzMax);
  verticalScrollBar()->setRange(0, l.VertMax);
  horizontalScrollBar()->setValue(l.HorzPos);
  verticalScrollBar()->setValue(l.VertPos);
  Applying_ = false;
  viewport()->update();
  Changed();
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

void TmyPreview::Print() {
  if (Pages_.empty()) return;
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  PrintTo(printer);
}

void TmyPreview::PrintTo(QPrinter& printer) const {
  if (Pages_.empty()) return;
  printer.setDocName(Title);
  QPainter painter;
  if (!painter.begin(&printer)) return;
  // The painter's origin is the corner of the printable area already.
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  for (std::size_t i = 0; i < Pages_.size(); ++i) {
    if (i > 0) printer.newPage();
    // Stretched over the whole printable area, proportions not kept.
    PlayPage(painter, *Pages_[i], QRectF(0, 0, area.width(), area.height()));
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
    PlayPage(p, *Pages_[std::size_t(i)], page);
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
  if (!Applying_) DoLayout();
}

void TmyPreview::scrollContentsBy(int, int) {
  if (Applying_) return;
  Layout_.ScrollHorzTo(horizontalScrollBar()->value());
  Layout_.ScrollVertTo(verticalScrollBar()->value());
  viewport()->update();
}

void TmyPreview::wheelEvent(QWheelEvent* event) {
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
