#include "support/Psnr.h"

#include <cmath>
#include <cstddef>

#include "codec/FrameView.h"

namespace kelta::test {

double Psnr(const std::uint8_t* a, const std::uint8_t* b, int width, int height) {
  const std::size_t stride = std::size_t(Bgr24Stride(width)), rowBytes = std::size_t(width) * 3;
  double sum = 0;
  for (int y = 0; y < height; ++y)
    for (std::size_t i = 0; i < rowBytes; ++i) {
      const double d = double(a[std::size_t(y) * stride + i]) - double(b[std::size_t(y) * stride + i]);
      sum += d * d;
    }
  if (sum == 0) return 99.0;
  return 10.0 * std::log10(255.0 * 255.0 * double(rowBytes) * height / sum);
}

}  // namespace kelta::test
