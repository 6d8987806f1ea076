#include "imaging/ImageFileWriter.h"

#include <FreeImage.h>

#include "imaging/FreeBitmap.h"

namespace kelta {

namespace {

void PrepareBitmap(const TFastDIB& dib, bool gif, TFreeBitmap& bitmap) {
  CopyToFreeBitmap(dib, bitmap);
  // FreeImage writes GIF only from palette images; a failed reduction keeps
  // the 24-bit bitmap, which the encoder then refuses.
  if (gif) bitmap.ReduceColors(FIQ_WUQUANT);
}

}  // namespace

bool WriteImageFile(const TFastDIB& dib, const std::string& fileName, bool gif) {
  TFreeBitmap bitmap;
  PrepareBitmap(dib, gif, bitmap);
  return bitmap.WriteToFile(fileName, 0);
}

std::string EncodeImageFile(const TFastDIB& dib, const std::string& fileName, bool gif) {
  TFreeBitmap bitmap;
  PrepareBitmap(dib, gif, bitmap);
  return bitmap.EncodeFor(fileName, 0);
}

}  // namespace kelta
