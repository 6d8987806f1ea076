#include "video/SubtitleOverlay.h"

#include <algorithm>

namespace kelta {

void DrawSubtitle(const TSubtitleImage& subtitle, TFastDIB& frame) {
  if (subtitle.Empty() || !frame.HoldsBgr24()) return;
  const int left = std::max(0, subtitle.X), top = std::max(0, subtitle.Y);
  const int right = int(std::min<std::int64_t>(frame.Width(), std::int64_t(subtitle.X) + subtitle.Width));
  const int bottom = int(std::min<std::int64_t>(frame.RowCount(), std::int64_t(subtitle.Y) + subtitle.Height));
  for (int y = top; y < bottom; ++y) {
    const std::uint8_t* in =
        subtitle.Pixels.data() + (std::size_t(y - subtitle.Y) * std::size_t(subtitle.Width) + std::size_t(left - subtitle.X)) * 4;
    std::uint8_t* out = frame.PixelPtr(left, y);
    for (int x = left; x < right; ++x, in += 4, out += 3) {
      const unsigned a = in[3];
      if (a == 0) continue;
      for (int c = 0; c < 3; ++c) out[c] = std::uint8_t((in[c] * a + out[c] * (255u - a) + 127u) / 255u);
    }
  }
}

}  // namespace kelta
