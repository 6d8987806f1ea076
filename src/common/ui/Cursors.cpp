#include "common/ui/Cursors.h"

#include <array>
#include <optional>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kelta {

namespace {

constexpr int CursorSize = 32;
using TCursorTable = std::array<std::optional<QCursor>, LastKeltaCursor - FirstKeltaCursor + 1>;

TCursorTable& Table() {
  static TCursorTable table;
  return table;
}

// A black shape with a one-pixel white rim, as system cursors are drawn, so
// that it stays visible on dark and light pictures alike.
void Outlined(QPainter& p, const QPainterPath& path) {
  p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  p.drawPath(path);
}

QPainterPath ArrowPath(QPointF tip) {
  const QPolygonF arrow({QPointF(0, 0), QPointF(0, 16), QPointF(4, 12), QPointF(7, 18),
                         QPointF(9, 17), QPointF(6, 11), QPointF(11, 11)});
  QPainterPath path;
  path.addPolygon(arrow.translated(tip));
  path.closeSubpath();
  return path;
}

QPainterPath DoubleArrowPath(bool fallingDiagonal) {
  // Drawn top-left to bottom-right around (8, 8); mirrored for the other diagonal.
  QPainterPath path;
  const QPolygonF shape({QPointF(1, 1), QPointF(7, 1), QPointF(5, 3), QPointF(13, 11), QPointF(15, 9),
                         QPointF(15, 15), QPointF(9, 15), QPointF(11, 13), QPointF(3, 5), QPointF(1, 7)});
  path.addPolygon(shape);
  path.closeSubpath();
  if (!fallingDiagonal) path = QTransform(-1, 0, 0, 1, 16, 0).map(path);
  return path;
}

QCursor Make(int number) {
  QPixmap pixmap(CursorSize, CursorSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  QPoint hot(0, 0);
  switch (number) {
    case 251: {
      Outlined(p, ArrowPath({1, 1}));
      // Small dashed selection rectangle beside the arrow.
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(Qt::white, 1));
      p.drawRect(14, 18, 13, 9);
      p.setPen(QPen(Qt::black, 1, Qt::DashLine));
      p.drawRect(14, 18, 13, 9);
      break;
    }
    case 252: {
      Outlined(p, ArrowPath({1, 1}));
      QPainterPath cross;
      cross.addRect(20, 13, 2, 16);
      cross.addRect(13, 20, 16, 2);
      const QPolygonF heads[] = {{QPointF(21, 11), QPointF(18, 14), QPointF(24, 14)},
                                 {QPointF(21, 31), QPointF(18, 28), QPointF(24, 28)},
                                 {QPointF(11, 21), QPointF(14, 18), QPointF(14, 24)},
                                 {QPointF(31, 21), QPointF(28, 18), QPointF(28, 24)}};
      for (const QPolygonF& head : heads) cross.addPolygon(head);
      Outlined(p, cross.simplified());
      break;
    }
    case 253: {
      hot = {15, 16};
      p.setPen(QPen(Qt::white, 3));
      p.drawLine(15, 4, 15, 28);
      p.drawLine(3, 16, 27, 16);
      p.setPen(QPen(Qt::black, 1));
      p.drawLine(15, 4, 15, 28);
      p.drawLine(3, 16, 27, 16);
      break;
    }
    case 254:
    case 255:
      hot = {8, 8};
      Outlined(p, DoubleArrowPath(number == 254));
      break;
    case 256:
      hot = {2, 2};
      Outlined(p, ArrowPath({2, 2}));
      break;
    default:  // 250
      Outlined(p, ArrowPath({0, 0}));
      break;
  }
  p.end();
  return QCursor(pixmap, hot.x(), hot.y());
}

}  // namespace

void RegisterCursors() {
  TCursorTable& table = Table();
  for (int n = FirstKeltaCursor; n <= LastKeltaCursor; ++n)
    if (!table[std::size_t(n - FirstKeltaCursor)]) table[std::size_t(n - FirstKeltaCursor)] = Make(n);
}

QCursor KeltaCursor(int number) {
  if (number < FirstKeltaCursor || number > LastKeltaCursor) return QCursor(Qt::ArrowCursor);
  RegisterCursors();
  return *Table()[std::size_t(number - FirstKeltaCursor)];
}

}  // namespace kelta
