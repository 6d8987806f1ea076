#pragma once
// The library tree's look: solid connecting lines in $C5C5C5 from every node
// to its parent's line, over whatever style the program uses; the expand
// arrows stay the style's own.

#include <QProxyStyle>

namespace kelta {

class TTreeLinesStyle : public QProxyStyle {
  Q_OBJECT
 public:
  static inline const QColor LineColour{0xC5, 0xC5, 0xC5};

  // Follows the application's style; owned by `owner` (the tree).
  explicit TTreeLinesStyle(QObject* owner);

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

}  // namespace kelta
