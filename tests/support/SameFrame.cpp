#include "support/SameFrame.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "support/FailedPictures.h"

namespace kelta::test {

namespace {

bool SameShape(const FrameView& a, const FrameView& b) { return a.width == b.width && a.height == b.height; }

bool SamePixelRows(const FrameView& a, const FrameView& b) {
  const std::size_t rowBytes = 3 * std::size_t(a.width);
  for (std::int32_t row = 0; row < a.height; ++row)
    if (std::memcmp(a.data + row * a.stride, b.data + row * b.stride, rowBytes) != 0) return false;
  return true;
}

template <class T>
void Put(std::ofstream& out, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) out.put(char((std::uint64_t(value) >> (8 * i)) & 0xFF));
}

// A bottom-up 24-bit bitmap of the frame, rows padded to four bytes.
void WriteBitmap(const std::string& path, const FrameView& frame) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!frame || frame.width <= 0 || frame.height <= 0) return;
  const std::int64_t stride = Bgr24Stride(frame.width);
  const std::uint32_t imageBytes = std::uint32_t(stride * frame.height);
  Put<std::uint16_t>(out, 0x4D42);
  Put<std::uint32_t>(out, 54 + imageBytes);
  Put<std::uint32_t>(out, 0);
  Put<std::uint32_t>(out, 54);
  Put<std::uint32_t>(out, 40);
  Put<std::int32_t>(out, frame.width);
  Put<std::int32_t>(out, frame.height);
  Put<std::uint16_t>(out, 1);
  Put<std::uint16_t>(out, 24);
  Put<std::uint32_t>(out, 0);
  Put<std::uint32_t>(out, imageBytes);
  for (int i = 0; i < 4; ++i) Put<std::uint32_t>(out, 0);
  const char padding[4] = {};
  for (std::int32_t row = 0; row < frame.height; ++row) {
    out.write(reinterpret_cast<const char*>(frame.data + row * frame.stride), 3 * std::streamsize(frame.width));
    out.write(padding, stride - 3 * std::int64_t(frame.width));
  }
}

}  // namespace

bool SameFrame(const FrameView& expected, const FrameView& actual, const std::string& what) {
  if (expected && actual && SameShape(expected, actual) && SamePixelRows(expected, actual)) return true;
  const std::string stem = FailedPictureStem(what);
  WriteBitmap(stem + "-expected.bmp", expected);
  WriteBitmap(stem + "-actual.bmp", actual);
  std::fprintf(stderr, "%s differs (%dx%d expected, %dx%d actual): see %s-expected.bmp and %s-actual.bmp\n",
               what.c_str(), expected.width, expected.height, actual.width, actual.height, stem.c_str(), stem.c_str());
  return false;
}

}  // namespace kelta::test
