#pragma once
// A decoded frame as the plugin hands it out: 24-bit blue-green-red, bottom
// row first, rows padded to 4 bytes. The program and the plugin both include
// this header, so it depends on nothing but the standard library.

#include <cstddef>
#include <cstdint>

namespace kelta {

// Bytes from one row of a 24-bit frame to the next: three a pixel, padded to
// a multiple of 4. 64-bit, so that no width a plugin reports can overflow it.
constexpr std::int64_t Bgr24Stride(std::int64_t width) { return (width * 3 + 3) & ~std::int64_t(3); }

// Pixel memory someone else owns, with the shape that says how much of it may
// be read. A view with null data stands for "no frame".
struct FrameView {
  const std::uint8_t* data = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int64_t stride = 0;

  // The view of a width x height frame in the plugin's layout.
  static constexpr FrameView Bgr24(const std::uint8_t* data, std::int32_t width, std::int32_t height) {
    return {data, width, height, Bgr24Stride(width)};
  }

  explicit operator bool() const { return data != nullptr; }
  // Bytes the frame covers; 0 for a shape that holds no pixel.
  constexpr std::size_t Bytes() const {
    return width > 0 && height > 0 && stride > 0 ? std::size_t(stride) * std::size_t(height) : 0;
  }
};

// Bytes of a width x height frame in the plugin's layout.
constexpr std::size_t Bgr24FrameBytes(std::int32_t width, std::int32_t height) {
  return FrameView::Bgr24(nullptr, width, height).Bytes();
}

}  // namespace kelta
