// The bitmap reader over any bytes: a refused file leaves the buffer empty,
// an accepted one has the shape its memory holds, and saving it and reading
// that back gives the same picture.

#include <cstdint>
#include <cstring>
#include <span>

#include "FuzzSupport.h"
#include "imaging/FastDIB.h"

using namespace kelta;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFastDIB dib;
  if (!dib.LoadFromMemory(std::span<const std::uint8_t>(data, size))) {
    KELTA_FUZZ_CHECK(dib.Empty() && dib.Width() == 0 && dib.RowCount() == 0 && dib.ImageSize() == 0,
                     "a refused bitmap leaves the buffer empty");
    return 0;
  }
  const std::int64_t rows = dib.Height() < 0 ? -std::int64_t(dib.Height()) : dib.Height();
  KELTA_FUZZ_CHECK(!dib.Empty() && dib.Width() > 0 && dib.RowCount() == rows, "an accepted bitmap has rows");
  KELTA_FUZZ_CHECK(std::int64_t(dib.ImageSize()) == std::int64_t(dib.RowStride()) * rows,
                   "the pixel memory is every row");
  KELTA_FUZZ_CHECK(dib.ImageSize() <= size, "the pixels came from the file");
  KELTA_FUZZ_CHECK(std::int64_t(dib.RowStride()) * 8 >= std::int64_t(dib.Width()) * dib.BitCount(),
                   "a row holds its pixels");
  // The last row's last byte: the row table and the memory agree.
  volatile std::uint8_t last = dib.Rows()[std::size_t(dib.RowCount() - 1)][dib.RowStride() - 1];
  (void)last;

  const std::string path = (kelta::fuzz::ScratchFolder() / "saved.bmp").string();
  KELTA_FUZZ_CHECK(dib.SaveToFile(path), "an accepted bitmap saves");
  TFastDIB again;
  KELTA_FUZZ_CHECK(again.LoadFromFile(path), "a saved bitmap loads");
  KELTA_FUZZ_CHECK(again.Width() == dib.Width() && again.Height() == dib.Height() &&
                       again.BitCount() == dib.BitCount() && again.ImageSize() == dib.ImageSize(),
                   "a saved bitmap keeps its shape");
  KELTA_FUZZ_CHECK(std::memcmp(again.Bits(), dib.Bits(), dib.ImageSize()) == 0, "a saved bitmap keeps its pixels");

  if (dib.BitCount() == 24) {
    // Pictures are drawn onto one another: a copy shows the same corners.
    TFastDIB copy;
    copy.SetSize(dib.Width(), dib.RowCount(), 24);
    if (!copy.Empty()) {
      dib.Draw(copy, 0, 0);
      const int w = dib.Width() - 1, h = dib.RowCount() - 1;
      for (const auto& [x, y] : {std::pair{0, 0}, std::pair{w, 0}, std::pair{0, h}, std::pair{w, h}})
        KELTA_FUZZ_CHECK(std::memcmp(copy.PixelPtr(x, y), dib.PixelPtr(x, y), 3) == 0, "a drawn copy matches");
    }
  }
  return 0;
}
