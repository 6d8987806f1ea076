#pragma once
// A report item that prints a JPEG picture stretched over its rectangle.

#include <memory>
#include <string>

#include "output/PdfReport.h"

namespace kelta {

class TGraphic;

class TPRJpegImage : public TPRItem {
 public:
  // The name under which the document keeps the image; items with the same
  // name share one image object.
  explicit TPRJpegImage(std::string name) : Name_(std::move(name)) {}

  // Raises EPdfError "only jpeg image is allowed." for any other kind of picture.
  void SetPicture(std::shared_ptr<const TGraphic> picture);
  const std::shared_ptr<const TGraphic>& Picture() const { return Picture_; }

  // Prints nothing unless printable and holding a non-empty JPEG picture.
  void Print(TPReport& report, const TPRRect& rect) override;

 private:
  std::string Name_;
  std::shared_ptr<const TGraphic> Picture_;
};

}  // namespace kelta
