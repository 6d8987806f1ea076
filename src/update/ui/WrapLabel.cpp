#include "update/ui/WrapLabel.h"

#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace kelta {

namespace {

// Lays `text` out paragraph by paragraph in lines no wider than `width` and
// hands each finished paragraph to `each`; returns the height of all lines.
template <class Each>
qreal LayOut(const QString& text, const QFont& font, QPaintDevice* device, qreal width, Each&& each) {
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  qreal y = 0;
  for (const QString& paragraph : text.split(u'\n')) {
    QTextLayout layout(paragraph, font, device);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width);
      line.setPosition(QPointF(0, y));
      y += line.height();
    }
    layout.endLayout();
    each(layout);
  }
  return y;
}

}  // namespace

TWrapLabel::TWrapLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QStringList TWrapLabel::Lines() const {
  QStringList lines;
  LayOut(text(), font(), const_cast<TWrapLabel*>(this), contentsRect().width(), [&](const QTextLayout& layout) {
    for (int i = 0; i < layout.lineCount(); ++i) {
      const QTextLine line = layout.lineAt(i);
      lines << layout.text().mid(line.textStart(), line.textLength());
    }
  });
  return lines;
}

int TWrapLabel::heightForWidth(int width) const {
  const QMargins margins = contentsMargins();
  const qreal height = LayOut(text(), font(), const_cast<TWrapLabel*>(this),
                              width - margins.left() - margins.right(), [](const QTextLayout&) {});
  return int(std::ceil(height)) + margins.top() + margins.bottom();
}

void TWrapLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  const QRect area = contentsRect();
  painter.setClipRect(area);
  LayOut(text(), font(), this, area.width(),
         [&](const QTextLayout& layout) { layout.draw(&painter, area.topLeft()); });
}

}  // namespace kelta
