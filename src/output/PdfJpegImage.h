#pragma once
// Turns a JPEG picture into a PDF image object that carries the JPEG file
// unchanged under DCTDecode.

#include "output/PdfWriter.h"

namespace kelta {

class TGraphic;

class TPdfJpegImage {
 public:
  static constexpr const char* MakerName = "Pdf-Jpeg";
  // Raises EPdfError "only jpeg image is allowed." for any other picture.
  static TPdfImageObject CreateImage(const TGraphic& graphic);
};

// Enters the maker in the writer's table under "Pdf-Jpeg"; repeated calls do nothing.
void RegisterPdfJpegImage();

}  // namespace kelta
