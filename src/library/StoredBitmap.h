#pragma once
// Writing a bitmap of the image store so that it is on the disk before the
// library file names it: a temporary file beside it, flushed, renamed over
// the name, the folder flushed. A crash or a full disk leaves either the old
// file or the complete new one, never a half-written picture.

#include <filesystem>
#include <stdexcept>

namespace kelta {

class TFastDIB;

// A picture that could not be stored; what() names the file and the reason.
class EImageStoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws EImageStoreError naming the file; nothing of the attempt is left.
void WriteStoredBitmap(const TFastDIB& bitmap, const std::filesystem::path& file);

}  // namespace kelta
