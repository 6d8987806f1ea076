#include "app/ui/AppIcon.h"

#include <vector>

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QRectF>

namespace kelta {

namespace {

constexpr double Canvas = 256.0;

// A rounded rectangle filled from Top colour down to Bottom colour, or a
// circle outline when Stroke is set (Rect is then its bounding square).
struct TShape {
  QRectF Rect;
  double Radius = 0;
  QColor Top;
  QColor Bottom;
  double Stroke = 0;
};

std::vector<TShape> Shapes() {
  std::vector<TShape> shapes;
  const QColor hole(0xD9, 0xD4, 0xC8);
  shapes.push_back({QRectF(8, 8, 240, 240), 44, QColor(0x2B, 0x3A, 0x55), QColor(0x0E, 0x14, 0x22)});
  // The strip with its sprocket holes above and below.
  shapes.push_back({QRectF(8, 70, 240, 116), 0, QColor(0x1A, 0x1A, 0x1A), QColor(0x1A, 0x1A, 0x1A)});
  for (int x = 20; x < 240; x += 32) {
    shapes.push_back({QRectF(x, 78, 18, 12), 3, hole, hole});
    shapes.push_back({QRectF(x, 166, 18, 12), 3, hole, hole});
  }
  // Three frames, the middle one lit.
  shapes.push_back({QRectF(14, 98, 62, 60), 4, QColor(0x5A, 0x78, 0x9C), QColor(0x23, 0x33, 0x4A)});
  shapes.push_back({QRectF(84, 96, 88, 64), 4, QColor(0x9C, 0xBA, 0xD6), QColor(0x55, 0x75, 0x90)});
  shapes.push_back({QRectF(180, 98, 62, 60), 4, QColor(0x5A, 0x78, 0x9C), QColor(0x23, 0x33, 0x4A)});
  // The shutter mark on the lit frame.
  const QColor white(0xFF, 0xFF, 0xFF);
  shapes.push_back({QRectF(104, 104, 48, 48), 0, white, white, 7});
  shapes.push_back({QRectF(119, 119, 18, 18), 0, white, white, 6});
  return shapes;
}

QString Hex(const QColor& colour) { return colour.name(QColor::HexRgb).toUpper(); }

}  // namespace

QImage DrawAppIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / Canvas, size / Canvas);
  for (const TShape& shape : Shapes()) {
    if (shape.Stroke > 0) {
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(shape.Top, shape.Stroke));
      const double inset = shape.Stroke / 2;
      p.drawEllipse(shape.Rect.adjusted(inset, inset, -inset, -inset));
      continue;
    }
    QLinearGradient fill(shape.Rect.topLeft(), shape.Rect.bottomLeft());
    fill.setColorAt(0, shape.Top);
    fill.setColorAt(1, shape.Bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(shape.Rect, shape.Radius, shape.Radius);
  }
  return image;
}

QString AppIconSvg() {
  QString defs;
  QString body;
  int gradient = 0;
  for (const TShape& shape : Shapes()) {
    const QRectF& r = shape.Rect;
    if (shape.Stroke > 0) {
      const double inset = shape.Stroke / 2;
      body += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"none\" stroke=\"%4\" stroke-width=\"%5\"/>\n")
                  .arg(r.center().x())
                  .arg(r.center().y())
                  .arg(r.width() / 2 - inset)
                  .arg(Hex(shape.Top))
                  .arg(shape.Stroke);
      continue;
    }
    QString fill = Hex(shape.Top);
    if (shape.Top != shape.Bottom) {
      const QString id = QStringLiteral("shade%1").arg(gradient++);
      defs += QStringLiteral(
                  "    <linearGradient id=\"%1\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
                  "<stop offset=\"0\" stop-color=\"%2\"/><stop offset=\"1\" stop-color=\"%3\"/></linearGradient>\n")
                  .arg(id, Hex(shape.Top), Hex(shape.Bottom));
      fill = QStringLiteral("url(#%1)").arg(id);
    }
    body += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
                .arg(r.x())
                .arg(r.y())
                .arg(r.width())
                .arg(r.height())
                .arg(shape.Radius)
                .arg(fill);
  }
  return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
                        "  <defs>\n") +
         defs + QStringLiteral("  </defs>\n") + body + QStringLiteral("</svg>\n");
}

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(QPixmap::fromImage(DrawAppIcon(size)));
  return icon;
}

}  // namespace kelta
