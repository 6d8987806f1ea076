#pragma once
// A Qt picture (a grab, the clipboard's) as a 24-bit pixel buffer, read
// pixel by pixel, for SamePixels.

#include <QImage>

#include "imaging/FastDIB.h"

namespace kelta::test {

inline TFastDIB PixelsOf(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  TFastDIB dib;
  dib.SetSize(rgb.width(), rgb.height(), 24);
  for (int y = 0; y < rgb.height(); ++y)
    for (int x = 0; x < rgb.width(); ++x) {
      const uchar* from = rgb.constScanLine(y) + 3 * x;
      std::uint8_t* to = dib.PixelPtr(x, y);
      to[0] = from[2];
      to[1] = from[1];
      to[2] = from[0];
    }
  return dib;
}

// The w x h part of a picture from (x, y).
inline TFastDIB RegionOf(const TFastDIB& picture, int x, int y, int w, int h) {
  TFastDIB part;
  part.SetSize(w, h, 24);
  picture.DrawRegion(part, 0, 0, w, h, x, y);
  return part;
}

}  // namespace kelta::test
