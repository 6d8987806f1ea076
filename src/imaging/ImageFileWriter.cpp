#include "imaging/ImageFileWriter.h"

#include <FreeImage.h>

#include "imaging/FreeBitmap.h"

namespace kelta {

bool WriteImageFile(const TFastDIB& dib, const std::string& fileName, bool gif) {
  TFreeBitmap bitmap;
  CopyToFreeBitmap(dib, bitmap);
  // FreeImage writes GIF only from palette images; a failed reduction keeps
  // the 24-bit bitmap, which the write below then refuses.
  if (gif) bitmap.ReduceColors(FIQ_WUQUANT);
  return bitmap.WriteToFile(fileName, 0);
}

}  // namespace kelta
