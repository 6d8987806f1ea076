#include "video/ui/FramePixelView.h"

#include <algorithm>
#include <cmath>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "imaging/Resample.h"
#include "imaging/ui/DibImage.h"

namespace kelta {

namespace {

// An arrow key moves by this many logical pixels.
constexpr int ArrowStep = 32;

int DeviceLength(int logical, qreal ratio) { return int(std::floor(logical * ratio + 1e-9)); }

}  // namespace

TFramePixelView::TFramePixelView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  // Every paint covers the whole view.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAutoFillBackground(false);
  UpdateScrollRanges();
}

void TFramePixelView::SetFrame(const TFastDIB& frame, TDisplayAspect aspect) {
  Frame_.SetSize(frame.Width(), frame.RowCount(), 24);
  if (frame.HoldsBgr24()) frame.Draw(Frame_, 0, 0);
  Aspect_ = aspect;
  Image_ = DibToImage(Frame_);
  Fitted_ = QImage();
  OffsetBeforeFit_ = QPoint();
  UpdateScrollRanges();
  ScrollTo(QPoint(0, 0));
  viewport()->update();
}

void TFramePixelView::SetZoom(TFrameZoom zoom) {
  if (zoom == Zoom_) return;
  if (zoom == TFrameZoom::Fit) OffsetBeforeFit_ = Offset();
  Zoom_ = zoom;
  UpdateScrollRanges();
  if (zoom == TFrameZoom::ActualSize) ScrollTo(OffsetBeforeFit_);
  viewport()->update();
}

QPoint TFramePixelView::Offset() const { return {horizontalScrollBar()->value(), verticalScrollBar()->value()}; }

void TFramePixelView::ScrollTo(QPoint framePixel) {
  horizontalScrollBar()->setValue(framePixel.x());
  verticalScrollBar()->setValue(framePixel.y());
}

QSize TFramePixelView::DeviceSize() const {
  const qreal ratio = devicePixelRatioF();
  return {DeviceLength(viewport()->width(), ratio), DeviceLength(viewport()->height(), ratio)};
}

void TFramePixelView::UpdateScrollRanges() {
  RangesFor_ = DeviceSize();
  // A frame that the view holds without scroll bars gets none, also while
  // bars shown for a smaller view take room from it.
  const qreal ratio = devicePixelRatioF();
  const QSize whole = maximumViewportSize();
  const QSize room(DeviceLength(whole.width(), ratio), DeviceLength(whole.height(), ratio));
  const bool fits = Frame_.Width() <= room.width() && Frame_.RowCount() <= room.height();
  const QSize view = fits ? room : RangesFor_;
  const bool scrolls = Zoom_ == TFrameZoom::ActualSize && !Image_.isNull();
  const int step = std::max(1, int(std::lround(ArrowStep * devicePixelRatioF())));
  auto set = [step, scrolls](QScrollBar* bar, int frameLength, int viewLength) {
    bar->setRange(0, scrolls ? std::max(0, frameLength - viewLength) : 0);
    bar->setSingleStep(step);
    // A page keeps one step of the last one in sight.
    bar->setPageStep(std::max(step, viewLength - step));
  };
  set(horizontalScrollBar(), Frame_.Width(), view.width());
  set(verticalScrollBar(), Frame_.RowCount(), view.height());
  UpdateCursor();
}

QPoint TFramePixelView::FrameOrigin() const {
  const QSize view = DeviceSize();
  // A frame smaller than the view stands in its middle.
  const int x = Frame_.Width() <= view.width() ? (view.width() - Frame_.Width()) / 2 : -horizontalScrollBar()->value();
  const int y =
      Frame_.RowCount() <= view.height() ? (view.height() - Frame_.RowCount()) / 2 : -verticalScrollBar()->value();
  return {x, y};
}

void TFramePixelView::UpdateCursor() {
  const bool pans = horizontalScrollBar()->maximum() > 0 || verticalScrollBar()->maximum() > 0;
  viewport()->setCursor(!pans ? Qt::ArrowCursor : Dragging_ ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
}

QImage& TFramePixelView::FittedImage() {
  const QSize view = DeviceSize();
  if (Fitted_.size() != view) {
    // As the main window's picture is drawn: bilinear, in the display shape, with black bars.
    TFastDIB fitted;
    fitted.SetSize(std::max(1, view.width()), std::max(1, view.height()), 24);
    fitted.Fill(TBGRColor{0, 0, 0});
    ResampleBilinearInto(Frame_, fitted, LetterboxRect(fitted.Width(), fitted.RowCount(), Aspect_));
    Fitted_ = DibToImage(fitted);
  }
  return Fitted_;
}

void TFramePixelView::paintEvent(QPaintEvent*) {
  // A new scale factor (another screen) changes the view's device size.
  if (DeviceSize() != RangesFor_) UpdateScrollRanges();
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), Qt::black);
  if (Image_.isNull()) return;
  // Both pictures hold device pixels: at the painter's own ratio they are
  // drawn one to one, at whole device pixels.
  const qreal ratio = devicePixelRatioF();
  if (Zoom_ == TFrameZoom::Fit) {
    QImage& fitted = FittedImage();
    fitted.setDevicePixelRatio(ratio);
    painter.drawImage(QPointF(0, 0), fitted);
    return;
  }
  Image_.setDevicePixelRatio(ratio);
  const QPoint origin = FrameOrigin();
  painter.drawImage(QPointF(origin.x() / ratio, origin.y() / ratio), Image_);
}

void TFramePixelView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollRanges();
}

bool TFramePixelView::viewportEvent(QEvent* event) {
  // The scroll bars coming or going resize the viewport, not the view.
  if (event->type() == QEvent::Resize) UpdateScrollRanges();
  return QAbstractScrollArea::viewportEvent(event);
}

void TFramePixelView::scrollContentsBy(int, int) {
  // The scroll bars count device pixels: the view is drawn afresh rather
  // than shifted by logical ones.
  viewport()->update();
}

void TFramePixelView::keyPressEvent(QKeyEvent* event) {
  QScrollBar* across = horizontalScrollBar();
  QScrollBar* down = verticalScrollBar();
  switch (event->key()) {
    case Qt::Key_Left:
      across->triggerAction(QAbstractSlider::SliderSingleStepSub);
      break;
    case Qt::Key_Right:
      across->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      break;
    case Qt::Key_Up:
      down->triggerAction(QAbstractSlider::SliderSingleStepSub);
      break;
    case Qt::Key_Down:
      down->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      break;
    case Qt::Key_PageUp:
      down->triggerAction(QAbstractSlider::SliderPageStepSub);
      break;
    case Qt::Key_PageDown:
      down->triggerAction(QAbstractSlider::SliderPageStepAdd);
      break;
    case Qt::Key_Home:
      ScrollTo(QPoint(0, 0));
      break;
    case Qt::Key_End:
      ScrollTo(QPoint(across->maximum(), down->maximum()));
      break;
    default:
      // The window's own keys (Fit, 100 %, Escape) pass on.
      event->ignore();
      return;
  }
  event->accept();
}

void TFramePixelView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || Zoom_ != TFrameZoom::ActualSize) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  Dragging_ = true;
  DragStart_ = event->position();
  ScrollAtDragStart_ = Offset();
  UpdateCursor();
  event->accept();
}

void TFramePixelView::mouseMoveEvent(QMouseEvent* event) {
  if (!Dragging_) {
    QAbstractScrollArea::mouseMoveEvent(event);
    return;
  }
  // The frame follows the pointer: a logical pixel dragged is `ratio` frame pixels.
  const QPointF moved = (event->position() - DragStart_) * devicePixelRatioF();
  ScrollTo(ScrollAtDragStart_ - QPoint(int(std::lround(moved.x())), int(std::lround(moved.y()))));
  event->accept();
}

void TFramePixelView::mouseReleaseEvent(QMouseEvent* event) {
  if (!Dragging_ || event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mouseReleaseEvent(event);
    return;
  }
  Dragging_ = false;
  UpdateCursor();
  event->accept();
}

}  // namespace kelta
