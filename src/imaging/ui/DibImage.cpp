#include "imaging/ui/DibImage.h"

namespace kelta {

QImage DibToImage(const TFastDIB& dib) {
  if (!dib.HoldsBgr24()) return {};
  // Wrapping shares the buffer's memory; mirrored() makes the one copy we
  // need anyway and turns the rows the right way up.
  const QImage wrapped(dib.Bits(), dib.Width(), dib.RowCount(), dib.RowStride(), QImage::Format_BGR888);
  return wrapped.mirrored(false, true);
}

COLORREF ColorToRef(const QColor& colour) {
  return RGB(std::uint8_t(colour.red()), std::uint8_t(colour.green()), std::uint8_t(colour.blue()));
}

QColor RefToColor(COLORREF colour) {
  return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

}  // namespace kelta
