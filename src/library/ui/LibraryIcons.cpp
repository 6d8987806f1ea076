#include "library/ui/LibraryIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <algorithm>
#include <array>
#include <cmath>

namespace kelta {

namespace {

constexpr int Size = 16;

void DrawStar(QPainter& p) {
  QPainterPath star;
  const QPointF c(7.5, 8.2);
  for (int i = 0; i < 10; ++i) {
    const double r = (i % 2 == 0) ? 7.6 : 3.2;
    const double a = -M_PI / 2 + i * M_PI / 5;
    const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    if (i == 0)
      star.moveTo(pt);
    else
      star.lineTo(pt);
  }
  star.closeSubpath();
  QLinearGradient gold(0, 0, 0, Size);
  gold.setColorAt(0, QColor(255, 236, 120));
  gold.setColorAt(1, QColor(230, 160, 10));
  p.setPen(QPen(QColor(170, 110, 0), 0.8));
  p.setBrush(gold);
  p.drawPath(star);
}

void DrawDisc(QPainter& p, const QColor& light, const QColor& dark, const QColor& rim) {
  QRadialGradient shade(QPointF(5.5, 5.0), 10.0);
  shade.setColorAt(0, light);
  shade.setColorAt(1, dark);
  p.setPen(QPen(rim, 1.0));
  p.setBrush(shade);
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
}

void DrawCategory(QPainter& p) {
  DrawDisc(p, QColor(140, 225, 120), QColor(30, 140, 40), QColor(20, 100, 30));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(6.8, 4.0, 2.4, 8.0));
  p.drawRect(QRectF(4.0, 6.8, 8.0, 2.4));
}

void DrawFilm(QPainter& p) { DrawDisc(p, QColor(250, 250, 250), QColor(150, 155, 165), QColor(110, 115, 125)); }

void DrawImage(QPainter& p) {
  // Frame, sky, sun and two hills.
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QColor(110, 90, 60));
  p.setBrush(QColor(235, 225, 200));
  p.drawRect(0, 2, 15, 12);
  const QRect inner(2, 4, 12, 9);
  QLinearGradient sky(0, inner.top(), 0, inner.bottom());
  sky.setColorAt(0, QColor(120, 180, 240));
  sky.setColorAt(1, QColor(200, 230, 255));
  p.fillRect(inner, sky);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 220, 60));
  p.drawEllipse(QRectF(9.5, 5.0, 3, 3));
  QPainterPath hills;
  hills.moveTo(inner.left(), inner.bottom() + 1);
  hills.lineTo(inner.left(), 11);
  hills.lineTo(6, 8);
  hills.lineTo(9, 10.5);
  hills.lineTo(11, 9.5);
  hills.lineTo(inner.right() + 1, 11.5);
  hills.lineTo(inner.right() + 1, inner.bottom() + 1);
  hills.closeSubpath();
  p.setBrush(QColor(70, 150, 60));
  p.drawPath(hills);
}

}  // namespace

QPixmap LibraryIconPixmap(int level) {
  QPixmap pixmap(Size, Size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (level) {
    case 0:
      DrawStar(p);
      break;
    case 1:
      DrawCategory(p);
      break;
    case 2:
      DrawFilm(p);
      break;
    default:
      DrawImage(p);
      break;
  }
  return pixmap;
}

QIcon LibraryIcon(int level) {
  // Qt's pixmap cache outlives no application object, unlike a static would.
  level = std::clamp(level, 0, 3);
  const QString key = QStringLiteral("kelta-library-icon-%1").arg(level);
  QPixmap pixmap;
  if (!QPixmapCache::find(key, &pixmap)) {
    pixmap = LibraryIconPixmap(level);
    QPixmapCache::insert(key, pixmap);
  }
  return QIcon(pixmap);
}

}  // namespace kelta
