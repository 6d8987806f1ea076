#pragma once
// Small fixtures for the imaging tests: random pictures, temporary folders and
// raw byte access to pixel memory.

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "imaging/FastDIB.h"
#include "support/TempFolder.h"

namespace kelta::test {

// A 24-bit picture of random bytes; row padding stays zero.
inline TFastDIB RandomPicture(int width, int height, std::uint32_t seed) {
  TFastDIB dib;
  dib.SetSize(width, height, 24);
  std::mt19937 random(seed);
  for (int r = 0; r < dib.RowCount(); ++r)
    for (int i = 0; i < width * 3; ++i) dib.Rows()[std::size_t(r)][i] = std::uint8_t(random());
  return dib;
}

inline std::vector<std::uint8_t> MemoryOf(const TFastDIB& dib) {
  return std::vector<std::uint8_t>(dib.Bits(), dib.Bits() + dib.ImageSize());
}

// Only the pixel bytes of every row, padding left out.
inline std::vector<std::uint8_t> PixelBytesOf(const TFastDIB& dib) {
  std::vector<std::uint8_t> bytes;
  for (int r = 0; r < dib.RowCount(); ++r)
    bytes.insert(bytes.end(), dib.Rows()[std::size_t(r)], dib.Rows()[std::size_t(r)] + dib.Width() * 3);
  return bytes;
}

inline TBGRColor PictureAt(const TFastDIB& dib, int x, int y) {
  const std::uint8_t* p = dib.PixelPtr(x, y);
  return {p[0], p[1], p[2]};
}

inline std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace kelta::test
