#include "imaging/FreeBitmap.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kelta {

TFreeBitmap::TFreeBitmap(int width, int height, int bitCount) {
  if (width > 0 && height > 0 && bitCount > 0) Allocate(width, height, bitCount);
}

TFreeBitmap::~TFreeBitmap() { Clear(); }

void TFreeBitmap::Clear() {
  if (Handle_) {
    FreeImage_Unload(Handle_);
    Handle_ = nullptr;
  }
}

bool TFreeBitmap::Allocate(int width, int height, int bitCount) {
  Clear();
  Handle_ = FreeImage_Allocate(width, height, bitCount, 0, 0, 0);
  return Handle_ != nullptr;
}

bool TFreeBitmap::Adopt(FIBITMAP* bitmap) {
  if (!bitmap) return false;
  if (bitmap != Handle_) {
    Clear();
    Handle_ = bitmap;
  }
  return true;
}

bool TFreeBitmap::ReduceColors(int quantizer) {
  if (!Handle_) return false;
  return Adopt(FreeImage_ColorQuantize(Handle_, static_cast<FREE_IMAGE_QUANTIZE>(quantizer)));
}

bool TFreeBitmap::CanWrite(int format) const {
  if (!Handle_ || format == FIF_UNKNOWN) return false;
  const auto fif = static_cast<FREE_IMAGE_FORMAT>(format);
  return FreeImage_FIFSupportsWriting(fif) && FreeImage_FIFSupportsExportBPP(fif, FreeImage_GetBPP(Handle_));
}

std::string TFreeBitmap::EncodeFor(const std::string& fileName, int flags) const {
  const FREE_IMAGE_FORMAT fif = FreeImage_GetFIFFromFilename(fileName.c_str());
  if (!CanWrite(fif)) return {};
  FIMEMORY* mem = FreeImage_OpenMemory(nullptr, 0);
  if (!mem) return {};
  std::string bytes;
  BYTE* data = nullptr;
  DWORD size = 0;
  if (FreeImage_SaveToMemory(fif, Handle_, mem, flags) && FreeImage_AcquireMemory(mem, &data, &size) && size > 0)
    bytes.assign(reinterpret_cast<const char*>(data), size);
  FreeImage_CloseMemory(mem);
  return bytes;
}

bool TFreeBitmap::WriteToFile(const std::string& fileName, int flags) const {
  // Encoded into memory first, so a failing encoder never touches the file,
  // and what was written is removed when the file itself fails: no partial
  // image is left.
  const std::string bytes = EncodeFor(fileName, flags);
  if (bytes.empty()) return false;
  std::FILE* f = std::fopen(fileName.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) std::remove(fileName.c_str());
  return ok;
}

void CopyToFreeBitmap(const TFastDIB& dib, TFreeBitmap& bitmap) {
  if (!dib.Bits()) return;
  if (!bitmap.Allocate(dib.Width(), dib.Height(), dib.BitCount())) return;
  // A FreeImage bitmap of the same depth has the buffer's layout: bottom-up
  // rows padded to 4 bytes, blue-green-red. Copy row by row all the same, so
  // a pitch that ever differed could not overrun either side.
  const unsigned pitch = FreeImage_GetPitch(bitmap.Handle());
  const unsigned rowBytes = std::min<unsigned>(pitch, static_cast<unsigned>(dib.RowStride()));
  BYTE* dst = FreeImage_GetBits(bitmap.Handle());
  const auto rows = dib.Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) std::memcpy(dst + i * pitch, rows[i], rowBytes);
}

}  // namespace kelta
