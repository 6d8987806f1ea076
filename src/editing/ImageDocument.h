#pragma once
// The picture an editing window works on: the image as currently edited and
// shown, and the copy taken when it was loaded, from which the crop and resize
// tools restore and the resize tool resamples.

#include <string>

#include "imaging/FastDIB.h"

namespace kelta {

// Makes `to` an exact copy of `from` (size, depth and pixels).
void CopyImage(const TFastDIB& from, TFastDIB& to);

class TImageDocument {
 public:
  TFastDIB WorkImage;
  TFastDIB LoadedImage;
  std::string FileName;

  // Stores the name, reads the file into WorkImage and runs ImageLoaded.
  // A file that gives no 24-bit picture changes nothing and answers false.
  bool LoadFromFile(const std::string& fileName);

  // Takes WorkImage as the loaded image. An empty work image, or one that is
  // not 24-bit (the windows draw 24-bit pictures only), changes nothing and
  // answers false.
  bool ImageLoaded();

  // WorkImage becomes a copy of LoadedImage.
  void RevertToLoaded();
};

}  // namespace kelta
