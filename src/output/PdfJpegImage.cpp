#include "output/PdfJpegImage.h"

#include <mutex>

#include "output/JpegImage.h"
#include "output/OutputErrors.h"

namespace kelta {

TPdfImageObject TPdfJpegImage::CreateImage(const TGraphic& graphic) {
  const auto* jpeg = dynamic_cast<const TJpegImage*>(&graphic);
  if (!jpeg) throw EPdfError("only jpeg image is allowed.");
  TPdfImageObject image;
  image.Width = jpeg->Width();
  image.Height = jpeg->Height();
  image.ColorSpace = jpeg->Grayscale ? "DeviceGray" : "DeviceRGB";
  image.BitsPerComponent = 8;
  image.Filters = {"DCTDecode"};
  image.Data = jpeg->Data();
  return image;
}

void RegisterPdfJpegImage() {
  static std::once_flag once;
  std::call_once(once, [] { RegisterPdfImageMaker(TPdfJpegImage::MakerName, &TPdfJpegImage::CreateImage); });
}

}  // namespace kelta
