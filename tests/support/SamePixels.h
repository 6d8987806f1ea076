#pragma once
// Comparing two pictures pixel by pixel (row padding is not part of a
// picture). When they differ, both are written as bitmaps where failed
// pictures go (FailedPictures.h) and the paths printed.

#include <cstdio>
#include <cstring>
#include <string>

#include "imaging/FastDIB.h"
#include "support/FailedPictures.h"

namespace kelta::test {

inline bool PixelsEqual(const TFastDIB& a, const TFastDIB& b) {
  if (a.Width() != b.Width() || a.RowCount() != b.RowCount() || a.BitCount() != b.BitCount()) return false;
  const std::size_t rowBytes = std::size_t(a.Width()) * std::size_t(a.BitCount() / 8);
  for (int y = 0; y < a.RowCount(); ++y)
    if (std::memcmp(a.PixelPtr(0, y), b.PixelPtr(0, y), rowBytes) != 0) return false;
  return true;
}

inline bool SamePixels(const TFastDIB& expected, const TFastDIB& actual, const std::string& what = "picture") {
  if (PixelsEqual(expected, actual)) return true;
  const std::string stem = FailedPictureStem(what);
  expected.SaveToFile(stem + "-expected.bmp");
  actual.SaveToFile(stem + "-actual.bmp");
  std::fprintf(stderr, "%s differs (%dx%d expected, %dx%d actual): see %s-expected.bmp and %s-actual.bmp\n",
               what.c_str(), expected.Width(), expected.RowCount(), actual.Width(), actual.RowCount(),
               stem.c_str(), stem.c_str());
  return false;
}

}  // namespace kelta::test
