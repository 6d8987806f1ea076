#pragma once
// Turns a JPEG picture into a PDF image object that carries the JPEG file
// unchanged under DCTDecode.

#include "output/PdfWriter.h"

namespace kelta {

class TGraphic;

class TPdfJpegImage {
 public:
  // Raises EPdfError "only jpeg image is allowed." for any other picture.
  static TPdfImageObject CreateImage(const TGraphic& graphic);
};

}  // namespace kelta
