#include "FieldInterpolator.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kelta::codec {

namespace {

// One plane of a frame, its rows clamped to the picture within their own
// field: a row asked for beyond the edge is the nearest of the same parity.
struct Plane {
  const std::uint8_t* data;
  std::ptrdiff_t stride;
  int height;

  const std::uint8_t* Row(int y) const {
    while (y < 0) y += 2;
    while (y >= height) y -= 2;
    return data + std::ptrdiff_t(std::max(y, 0)) * stride;
  }
};

// The four-tap filters, in 1/8192: across the kept field alone, and across
// it with the neighbouring fields' vertical detail where the picture moves
// less than its lines differ.
constexpr int SpatialNear = 5077, SpatialFar = 981;
constexpr int LowNear = 4309, LowFar = 213;
constexpr int HighCentre = 5570, HighNear = 3801, HighFar = 1016;

// Edge directions tried, in pixels either way along the kept rows; wider
// ones find flatter edges but mistake texture for them more often.
constexpr int MaxSlope = 2;

// Interpolates the missing rows (parity `missing`) of one plane.
void InterpolatePlane(const Plane& prev, const Plane& cur, const Plane& next, std::uint8_t* out,
                      std::ptrdiff_t outStride, int width, int missing) {
  // The missing field is seen one field before (in the previous frame) and
  // one after (in this frame); the kept field one frame before and after.
  const Plane& before = prev;
  const Plane& after = cur;
  for (int y = 0; y < cur.height; ++y) {
    std::uint8_t* dst = out + std::ptrdiff_t(y) * outStride;
    if ((y & 1) != missing) {
      std::memcpy(dst, cur.Row(y), std::size_t(width));
      continue;
    }
    const std::uint8_t *up = cur.Row(y - 1), *down = cur.Row(y + 1);
    const std::uint8_t *up3 = cur.Row(y - 3), *down3 = cur.Row(y + 3);
    const std::uint8_t *b0 = before.Row(y), *a0 = after.Row(y);
    const std::uint8_t *b2u = before.Row(y - 2), *a2u = after.Row(y - 2);
    const std::uint8_t *b2d = before.Row(y + 2), *a2d = after.Row(y + 2);
    const std::uint8_t *b4u = before.Row(y - 4), *a4u = after.Row(y - 4);
    const std::uint8_t *b4d = before.Row(y + 4), *a4d = after.Row(y + 4);
    const std::uint8_t *pu = prev.Row(y - 1), *pd = prev.Row(y + 1);
    const std::uint8_t *nu = next.Row(y - 1), *nd = next.Row(y + 1);
    for (int x = 0; x < width; ++x) {
      const int c = up[x], e = down[x];
      const int d = (b0[x] + a0[x]) >> 1;
      const int change = std::abs(b0[x] - a0[x]);
      const int changeBefore = (std::abs(pu[x] - c) + std::abs(pd[x] - e)) >> 1;
      const int changeAfter = (std::abs(nu[x] - c) + std::abs(nd[x] - e)) >> 1;
      int allowed = std::max({change >> 1, changeBefore, changeAfter});
      if (allowed == 0) {  // nothing moves here: weave
        dst[x] = std::uint8_t(d);
        continue;
      }
      // The missing pixel may stray from the temporal guess by no more than
      // the picture moves, unless the kept lines say it lies beyond both.
      const int above = ((b2u[x] + a2u[x]) >> 1) - c;
      const int below = ((b2d[x] + a2d[x]) >> 1) - e;
      const int dc = d - c, de = d - e;
      const int most = std::max({de, dc, std::min(above, below)});
      const int least = std::min({de, dc, std::max(above, below)});
      allowed = std::max({allowed, least, -most});

      // The edge direction the kept rows agree on best, over three pixels.
      int slope = 0;
      if (x > MaxSlope && x < width - MaxSlope - 1) {
        const auto mismatch = [&](int j) {
          return std::abs(up[x + j - 1] - down[x - j - 1]) + std::abs(up[x + j] - down[x - j]) +
                 std::abs(up[x + j + 1] - down[x - j + 1]);
        };
        int best = mismatch(0) - 1;
        for (int j = 1; j <= MaxSlope; ++j)
          for (int s : {-j, j}) {
            const int m = mismatch(s);
            if (m < best) {
              best = m;
              slope = s;
            }
          }
      }
      int value;
      if (slope != 0) {
        value = (up[x + slope] + down[x - slope]) >> 1;
      } else if (std::abs(c - e) > change) {
        value = (((HighCentre * (b0[x] + a0[x]) - HighNear * (b2u[x] + a2u[x] + b2d[x] + a2d[x]) +
                   HighFar * (b4u[x] + a4u[x] + b4d[x] + a4d[x])) >>
                  2) +
                 LowNear * (c + e) - LowFar * (up3[x] + down3[x])) >>
                13;
      } else {
        value = (SpatialNear * (c + e) - SpatialFar * (up3[x] + down3[x])) >> 13;
      }
      value = std::clamp(value, d - allowed, d + allowed);
      dst[x] = std::uint8_t(std::clamp(value, 0, 255));
    }
  }
}

}  // namespace

void InterpolateFirstField(const AVFrame* previous, const AVFrame* current, const AVFrame* next, bool topFirst,
                           AVFrame* out) {
  if (!previous) previous = current;
  if (!next) next = current;
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(current->format));
  const int missing = topFirst ? 1 : 0;
  for (int p = 0; p < 3; ++p) {
    const int width = p == 0 ? current->width : AV_CEIL_RSHIFT(current->width, desc->log2_chroma_w);
    const int height = p == 0 ? current->height : AV_CEIL_RSHIFT(current->height, desc->log2_chroma_h);
    const Plane prev{previous->data[p], previous->linesize[p], height};
    const Plane cur{current->data[p], current->linesize[p], height};
    const Plane nxt{next->data[p], next->linesize[p], height};
    InterpolatePlane(prev, cur, nxt, out->data[p], out->linesize[p], width, missing);
  }
}

}  // namespace kelta::codec
