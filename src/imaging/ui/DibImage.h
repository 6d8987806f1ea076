#pragma once
// Bridges between the core pixel buffer and Qt's painting types.

#include <QColor>
#include <QImage>

#include "imaging/FastDIB.h"

namespace kelta {

// A top-down QImage copy of a 24-bit buffer (Qt rows run top-down, the
// buffer's bottom-up). An empty or non-24-bit buffer gives a null image.
QImage DibToImage(const TFastDIB& dib);

// Colours as the raster routines take them ($BBGGRR) and as Qt does.
COLORREF ColorToRef(const QColor& colour);
QColor RefToColor(COLORREF colour);

}  // namespace kelta
