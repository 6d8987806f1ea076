#include "library/StoredBitmap.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "imaging/FastDIB.h"
#include "library/AtomicFileWrite.h"

namespace kelta {

void WriteStoredBitmap(const TFastDIB& bitmap, const std::filesystem::path& file) {
  try {
    ReplaceFileAtomically(file, [&bitmap](const std::filesystem::path& temporary) {
      errno = 0;
      if (bitmap.SaveToFile(temporary.string())) return;
      throw std::system_error(errno, std::generic_category());
    });
  } catch (const std::system_error& error) {
    std::string message = "Cannot write the image file \"" + file.string() + "\"";
    if (error.code().value() != 0) message += std::string(": ") + std::strerror(error.code().value());
    throw EImageStoreError(message);
  }
}

}  // namespace kelta
