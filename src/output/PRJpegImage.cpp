#include "output/PRJpegImage.h"

#include "output/JpegImage.h"
#include "output/OutputErrors.h"
#include "output/PdfJpegImage.h"

namespace kelta {

void TPRJpegImage::SetPicture(std::shared_ptr<const TGraphic> picture) {
  if (picture && !dynamic_cast<const TJpegImage*>(picture.get())) throw EPdfError("only jpeg image is allowed.");
  Picture_ = std::move(picture);
}

void TPRJpegImage::Print(TPReport& report, const TPRRect& rect) {
  if (!Printable || !Picture_ || Picture_->Empty() || !dynamic_cast<const TJpegImage*>(Picture_.get())) return;
  TPdfDoc& doc = report.Doc();
  if (!doc.HasXObject(Name_)) doc.AddXObject(Name_, TPdfJpegImage::CreateImage(*Picture_));
  const double height = report.PageHeight();
  report.Canvas().DrawXObject(rect.Left, height - rect.Bottom, Width, Height, Name_);
}

}  // namespace kelta
