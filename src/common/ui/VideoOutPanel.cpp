#include "common/ui/VideoOutPanel.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "imaging/ui/DibImage.h"

namespace kelta {

TVideoOutPanel::TVideoOutPanel(QWidget* parent) : QWidget(parent) {
  resize(200, 200);
  // The paint covers every pixel: no background erase, no flicker while playing.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

namespace {

// The outline and shadow, into a W x H buffer.
void PaintFrame(const QWidget& panel, TFastDIB& buffer) {
  const int w = panel.width();
  const int h = panel.height();
  buffer.SetSize(w, h, 24);
  if (buffer.Empty()) return;
  buffer.Fill(TBGRColor{255, 255, 255});

  // The panel takes its parent's colour, as the widget palette inherits it.
  const COLORREF panelColour = ColorToRef(panel.palette().color(panel.backgroundRole()));
  buffer.SelectBrush(TBrushStyle::Solid, 0, panelColour);
  // With the keyboard focus (the video's keys go to it), the outline takes
  // the highlight colour.
  const bool focus = panel.hasFocus();
  const COLORREF outline = focus ? ColorToRef(panel.palette().color(QPalette::Highlight)) : COLORREF(0xBDBEB4);
  buffer.SelectPen(TPenStyle::Solid, 1, outline);
  const TRect r{0, 0, w - 3, h - 3};
  buffer.Rectangle(r);
  if (focus) buffer.Rectangle(TRect{1, 1, w - 4, h - 4});

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
}

}  // namespace

void TVideoOutPanel::PaintTo(TFastDIB& buffer) const {
  PaintFrame(*this, buffer);
  if (!buffer.Empty() && Image != nullptr && !Image->Empty()) Image->Draw(buffer, 4, 4);
}

void TVideoOutPanel::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  // While playing only the picture changes: the outline is painted when
  // something else asked for it.
  if (!PictureRect().contains(event->rect())) {
    if (Frame_.size() != size() || FrameFocus_ != hasFocus()) {
      TFastDIB frame;
      PaintFrame(*this, frame);
      Frame_ = DibToImage(frame);
      FrameFocus_ = hasFocus();
    }
    painter.drawImage(0, 0, Frame_);
  }
  if (Image == nullptr || Image->Empty()) return;
  // One pass into the screen's own format, the rows turned the right way up,
  // so that the painter only copies.
  const int w = Image->Width();
  const int h = Image->RowCount();
  if (Shown_.width() != w || Shown_.height() != h) Shown_ = QImage(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* from = Image->Rows()[std::size_t(h - 1 - y)];
    auto* to = reinterpret_cast<QRgb*>(Shown_.scanLine(y));
    for (int x = 0; x < w; ++x, from += 3) to[x] = 0xFF000000u | (QRgb(from[2]) << 16) | (QRgb(from[1]) << 8) | from[0];
  }
  Shown_.setDevicePixelRatio(ImagePixelRatio());
  painter.drawImage(QPointF(4, 4), Shown_);
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

void TVideoOutPanelEx::resizeEvent(QResizeEvent* event) {
  TVideoOutPanel::resizeEvent(event);
  const qreal ratio = devicePixelRatioF();
  const QRect picture = PictureRect();
  const int w = std::max(1, int(std::lround(picture.width() * ratio)));
  const int h = std::max(1, int(std::lround(picture.height() * ratio)));
  if (w == OwnImage_.Width() && h == OwnImage_.RowCount()) return;
  OwnImage_.SetSize(w, h, 24);
  OwnImage_.Fill(TBGRColor{0, 0, 0});
  if (OnImageResized) OnImageResized();
  update();
}

}  // namespace kelta
