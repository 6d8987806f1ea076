#include "library/ui/TreeLinesStyle.h"

#include <QPainter>
#include <QStyleOption>
#include <QTreeView>

namespace kelta {

namespace {
// Half the room the expand arrow takes; lines stop short of it.
constexpr int ArrowHalf = 5;
// Whether the node whose row passes through `at` has a parent.
bool HasParentLine(const QWidget* widget, QPoint at) {
  const auto* tree = qobject_cast<const QTreeView*>(widget);
  if (!tree) return true;
  return tree->indexAt(at).parent().isValid();
}

}  // namespace

TTreeLinesStyle::TTreeLinesStyle(QObject* owner) : QProxyStyle() { setParent(owner); }

void TTreeLinesStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const {
  if (element != PE_IndicatorBranch) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  const QRect r = option->rect;
  const int x = r.left() + r.width() / 2, y = r.top() + r.height() / 2;
  const bool arrow = option->state & State_Children;
  const int gap = arrow ? ArrowHalf : 0;
  painter->save();
  painter->setPen(QPen(LineColour, 1));
  if (option->state & State_Item) {
    // The node's own column: down from its parent's line (a top-level node
    // has none), across to the node, and on down when a sibling follows.
    painter->drawLine(x + gap, y, r.right(), y);
    if (HasParentLine(widget, QPoint(r.right() + 1, y))) painter->drawLine(x, r.top(), x, y - gap);
    if (option->state & State_Sibling) painter->drawLine(x, y + gap, x, r.bottom());
  } else if (option->state & State_Sibling) {
    // An ancestor's line passing by to its next sibling.
    painter->drawLine(x, r.top(), x, r.bottom());
  }
  painter->restore();
  // The arrow alone from the style underneath.
  QStyleOption arrowOnly(*option);
  arrowOnly.state &= ~(State_Item | State_Sibling);
  QProxyStyle::drawPrimitive(element, &arrowOnly, painter, widget);
}

}  // namespace kelta
