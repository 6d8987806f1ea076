#include "imaging/PictureFile.h"

#include <utility>

namespace kelta {

bool LoadPictureFile(const std::string& fileName, TFastDIB& picture) {
  // Read aside first, so that a damaged file leaves the caller's picture.
  TFastDIB read;
  if (!read.LoadFromFile(fileName) || read.Empty() || read.Width() <= 0 || read.RowCount() <= 0 ||
      read.BitCount() != 24)
    return false;
  picture = std::move(read);
  return true;
}

}  // namespace kelta
