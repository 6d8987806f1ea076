#include "editing/ImageDocument.h"

#include <cstring>
#include <utility>

#include "imaging/PictureFile.h"

namespace kelta {

void CopyImage(const TFastDIB& from, TFastDIB& to) {
  to.SetSize(from.Width(), from.Height(), std::uint8_t(from.BitCount()));
  if (from.Empty() || to.Empty() || to.ImageSize() != from.ImageSize()) return;
  std::memcpy(to.Bits(), from.Bits(), from.ImageSize());
}

bool TImageDocument::LoadFromFile(const std::string& fileName) {
  FileName = fileName;
  // A damaged or unreadable file keeps the picture shown now.
  if (!LoadPictureFile(fileName, WorkImage)) return false;
  return ImageLoaded();
}

bool TImageDocument::ImageLoaded() {
  if (!WorkImage.HoldsBgr24())
    return false;
  CopyImage(WorkImage, LoadedImage);
  return true;
}

void TImageDocument::RevertToLoaded() { CopyImage(LoadedImage, WorkImage); }

}  // namespace kelta
