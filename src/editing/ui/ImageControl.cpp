#include "editing/ui/ImageControl.h"

#include <QMouseEvent>
#include <QPainter>

namespace kelta {

namespace {
// Shown around a picture smaller than its window.
const QColor BoxColour(0x80, 0x80, 0x80);
}  // namespace

TImageControl::TImageControl(QWidget* parent) : QWidget(parent) {
  // The crop tool changes the cursor as the pointer moves, button up or down.
  setMouseTracking(true);
  resize(0, 0);
}

bool TImageControl::LoadFromFile(const std::string& fileName) {
  if (!Document.LoadFromFile(fileName)) return false;
  SetBounds(Document.WorkImage.Width(), Document.WorkImage.RowCount());
  if (OnImageLoaded) OnImageLoaded();
  update();
  return true;
}

bool TImageControl::ImageLoaded() {
  if (!Document.ImageLoaded()) return false;
  SetBounds(Document.WorkImage.Width(), Document.WorkImage.RowCount());
  if (OnImageLoaded) OnImageLoaded();
  update();
  return true;
}

void TImageControl::RevertToLoaded() { Document.RevertToLoaded(); }

void TImageControl::NotifyLayout(int value) {
  if (OnLayoutChanged) OnLayoutChanged(value);
}

void TImageControl::SetBounds(int width, int height) {
  // The box owns the position (centred or scrolled); the control only sizes itself.
  resize(width, height);
  NotifyLayout(0);
}

void TImageControl::paintEvent(QPaintEvent*) {
  if (!OnPaintImage) return;
  QPainter painter(this);
  OnPaintImage(painter);
}

void TImageControl::mousePressEvent(QMouseEvent* event) {
  if (OnMouseDown) {
    const QPoint p = event->position().toPoint();
    OnMouseDown(event->button(), event->modifiers(), p.x(), p.y());
  }
}

void TImageControl::mouseMoveEvent(QMouseEvent* event) {
  if (OnMouseMove) {
    const QPoint p = event->position().toPoint();
    OnMouseMove(event->modifiers(), p.x(), p.y());
  }
}

void TImageControl::mouseReleaseEvent(QMouseEvent* event) {
  if (OnMouseUp) {
    const QPoint p = event->position().toPoint();
    OnMouseUp(event->button(), event->modifiers(), p.x(), p.y());
  }
}

TImageControlBox::TImageControlBox(QWidget* parent) : QScrollArea(parent), Control_(new TImageControl) {
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(false);
  setAlignment(Qt::AlignCenter);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, BoxColour);
  setPalette(pal);
  setBackgroundRole(QPalette::Window);
  viewport()->setAutoFillBackground(true);
  viewport()->setPalette(pal);
  setWidget(Control_);
  Control_->OnLayoutChanged = [this](int) { Relayout(); };
  // Keys belong to the window (its previous/next and escape keys), not to scrolling.
  setFocusPolicy(Qt::NoFocus);
  Relayout();
}

void TImageControlBox::Relayout() {
  // The area shows a scroll bar only on a side where the control is larger
  // than the visible part (scrolled to 0 otherwise) and centres the control on
  // a side where it is smaller. Setting the alignment again places it now.
  setAlignment(alignment());
  Control_->update();
}

void TImageControlBox::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  Relayout();
}

}  // namespace kelta
