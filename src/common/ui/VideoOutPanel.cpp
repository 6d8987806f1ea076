#include "common/ui/VideoOutPanel.h"

#include <QMouseEvent>
#include <QPainter>

#include "imaging/ui/DibImage.h"

namespace kelta {

TVideoOutPanel::TVideoOutPanel(QWidget* parent) : QWidget(parent) {
  resize(200, 200);
  // The paint covers every pixel: no background erase, no flicker while playing.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

void TVideoOutPanel::PaintTo(TFastDIB& buffer) const {
  const int w = width();
  const int h = height();
  buffer.SetSize(w, h, 24);
  if (buffer.Empty()) return;
  buffer.Fill(TBGRColor{255, 255, 255});

  // The panel takes its parent's colour, as the widget palette inherits it.
  const COLORREF panelColour = ColorToRef(palette().color(backgroundRole()));
  buffer.SelectBrush(TBrushStyle::Solid, 0, panelColour);
  // With the keyboard focus (the video's keys go to it), the outline takes
  // the highlight colour.
  const COLORREF outline = hasFocus() ? ColorToRef(palette().color(QPalette::Highlight)) : COLORREF(0xBDBEB4);
  buffer.SelectPen(TPenStyle::Solid, 1, outline);
  const TRect r{0, 0, w - 3, h - 3};
  buffer.Rectangle(r);
  if (hasFocus()) buffer.Rectangle(TRect{1, 1, w - 4, h - 4});

  // A soft shadow: three lines below the frame, two to its right.
  auto line = [&buffer](COLORREF colour, int x0, int y0, int x1, int y1) {
    buffer.SelectPen(TPenStyle::Solid, 1, colour);
    buffer.MoveTo(x0, y0);
    buffer.LineTo(x1, y1);
  };
  line(0xC4C7CB, r.Left, r.Bottom, r.Right + 1, r.Bottom);
  line(0xDBDBDB, r.Left + 1, r.Bottom + 1, r.Right + 1, r.Bottom + 1);
  line(0xF0EDE9, r.Left + 2, r.Bottom + 2, r.Right + 1, r.Bottom + 2);
  line(0xC9CAC8, r.Right, r.Top, r.Right, r.Bottom);
  line(0xD9DAD8, r.Right + 1, r.Top + 1, r.Right + 1, r.Bottom + 2);

  if (Image != nullptr && !Image->Empty()) Image->Draw(buffer, 4, 4);
}

void TVideoOutPanel::paintEvent(QPaintEvent*) {
  TFastDIB buffer;
  PaintTo(buffer);
  QPainter painter(this);
  painter.drawImage(0, 0, DibToImage(buffer));
}

void TVideoOutPanel::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void TVideoOutPanel::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

void TVideoOutPanel::mouseDoubleClickEvent(QMouseEvent* event) {
  // The panel's own event replaces the widget's ordinary double-click.
  event->accept();
  if (OnPanelDblClick) OnPanelDblClick(this);
}

TVideoOutPanelEx::TVideoOutPanelEx(QWidget* parent) : TVideoOutPanel(parent) {
  OwnImage_.SetSize(ImageWidth, ImageHeight, 24);
  OwnImage_.Fill(TBGRColor{0, 0, 0});
  Image = &OwnImage_;
}

}  // namespace kelta
