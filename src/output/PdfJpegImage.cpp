#include "output/PdfJpegImage.h"

#include "output/JpegImage.h"
#include "output/OutputErrors.h"

namespace kelta {

TPdfImageObject TPdfJpegImage::CreateImage(const TGraphic& graphic) {
  const auto* jpeg = dynamic_cast<const TJpegImage*>(&graphic);
  if (!jpeg) throw EPdfError("only jpeg image is allowed.");
  TPdfImageObject image;
  image.Width = jpeg->Width();
  image.Height = jpeg->Height();
  image.ColorSpace = jpeg->Grayscale() ? "DeviceGray" : "DeviceRGB";
  image.BitsPerComponent = 8;
  image.Filters = {"DCTDecode"};
  image.Data = jpeg->Data();
  return image;
}

}  // namespace kelta
