#pragma once
// A thin owner of one FreeImage bitmap. FreeImage's types stay out of this
// header: the handle is an opaque pointer and formats are plain ints, so
// callers do not pull FreeImage.h in.

#include <string>

#include "imaging/FastDIB.h"

struct FIBITMAP;

namespace kelta {

class TFreeBitmap {
 public:
  // Allocates at once when all three values are positive; 0, 0, 0 gives an empty object.
  TFreeBitmap(int width = 0, int height = 0, int bitCount = 0);
  ~TFreeBitmap();
  TFreeBitmap(const TFreeBitmap&) = delete;
  TFreeBitmap& operator=(const TFreeBitmap&) = delete;

  bool IsValid() const { return Handle_ != nullptr; }
  void Clear();

  // Replaces the current bitmap by a new blank one (no colour masks).
  bool Allocate(int width, int height, int bitCount);
  // Takes ownership of a bitmap; a null one is refused and the current bitmap stays.
  bool Adopt(FIBITMAP* bitmap);
  // Quantises to an 8-bit palette (FreeImage's FREE_IMAGE_QUANTIZE value);
  // on failure the current bitmap stays as it was.
  bool ReduceColors(int quantizer);
  // Whether FreeImage writes the format (FREE_IMAGE_FORMAT value) at this bitmap's depth.
  bool CanWrite(int format) const;
  // The file image in the format FreeImage picks from the file name's
  // extension; empty when that format cannot be written at this depth.
  std::string EncodeFor(const std::string& fileName, int flags) const;
  // Writes under the format FreeImage picks from the file name's extension.
  bool WriteToFile(const std::string& fileName, int flags) const;

  FIBITMAP* Handle() const { return Handle_; }

 private:
  FIBITMAP* Handle_ = nullptr;
};

// A 24-bit copy of the buffer; does nothing for a buffer without pixel memory.
void CopyToFreeBitmap(const TFastDIB& dib, TFreeBitmap& bitmap);

}  // namespace kelta
