#include "output/ui/CharCellMetrics.h"

#include <QApplication>
#include <QFontMetrics>

namespace kelta {

TCharCell DefaultCharCell() {
  const QFontMetrics metrics(QApplication::font());
  TCharCell cell;
  cell.Height = metrics.height() + metrics.leading();
  cell.Width = metrics.averageCharWidth();
  // A font that reports nothing useful must not turn the page into nothing.
  if (cell.Height <= 0 || cell.Width <= 0) cell = TCharCell{};
  return cell;
}

}  // namespace kelta
