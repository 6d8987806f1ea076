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
  int width;
  int height;

  const std::uint8_t* Row(int y) const {
    while (y < 0) y += 2;
    while (y >= height) y -= 2;
    return data + std::ptrdiff_t(std::max(y, 0)) * stride;
  }
};

struct OutPlane {
  std::uint8_t* data;
  std::ptrdiff_t stride;
  std::uint8_t* Row(int y) const { return data + std::ptrdiff_t(y) * stride; }
};

// Edge directions tried, in pixels either way along the kept rows; a steeper
// one only where the one before it already did better, so that texture is
// not taken for a flat edge.
constexpr int MaxSlope = 2;

// Motion search: blocks of BlockWidth pixels by BlockRows missing rows,
// displacements per field up to these (vertical in frame rows, even so
// that a field's rows stay its own).
constexpr int BlockWidth = 16, BlockRows = 8;
constexpr int MaxShiftX = 8, MaxShiftY = 4;
// A block takes the fields around it along its motion when they agree
// within this mean difference a pixel (MPEG-2 noise at DVD rates stays
// under it), a pixel when its two sides agree within the second; and the
// block when it leaves no more than a few teeth against the kept rows.
constexpr int MaxMeanMismatch = 4, MaxPixelMismatch = 16;
constexpr int ToothStep = 10, MaxTeeth = 6;

// Interpolates the missing rows (parity `missing`) of one plane from the
// kept field, bounded by what the neighbouring frames allow.
void InterpolateSpatially(const Plane& prev, const Plane& cur, const Plane& next, const OutPlane& out, int missing) {
  const int width = cur.width;
  // The missing field is seen one field before (in the previous frame) and
  // one after (in this frame); the kept field one frame before and after.
  const Plane& before = prev;
  const Plane& after = cur;
  for (int y = 0; y < cur.height; ++y) {
    std::uint8_t* dst = out.Row(y);
    if ((y & 1) != missing) {
      std::memcpy(dst, cur.Row(y), std::size_t(width));
      continue;
    }
    const std::uint8_t *up = cur.Row(y - 1), *down = cur.Row(y + 1);
    const std::uint8_t *b0 = before.Row(y), *a0 = after.Row(y);
    const std::uint8_t *b2u = before.Row(y - 2), *a2u = after.Row(y - 2);
    const std::uint8_t *b2d = before.Row(y + 2), *a2d = after.Row(y + 2);
    const std::uint8_t *pu = prev.Row(y - 1), *pd = prev.Row(y + 1);
    const std::uint8_t *nu = next.Row(y - 1), *nd = next.Row(y + 1);
    for (int x = 0; x < width; ++x) {
      const int c = up[x], e = down[x];
      const int d = (b0[x] + a0[x]) >> 1;
      const int change = std::abs(b0[x] - a0[x]);
      const int changeBefore = (std::abs(pu[x] - c) + std::abs(pd[x] - e)) >> 1;
      const int changeAfter = (std::abs(nu[x] - c) + std::abs(nd[x] - e)) >> 1;
      int allowed = std::max({change >> 1, changeBefore, changeAfter});
      // The missing pixel may stray from the temporal guess by no more than
      // the picture moves, unless the kept lines say it lies beyond both.
      const int above = ((b2u[x] + a2u[x]) >> 1) - c;
      const int below = ((b2d[x] + a2d[x]) >> 1) - e;
      const int dc = d - c, de = d - e;
      const int most = std::max({de, dc, std::min(above, below)});
      const int least = std::min({de, dc, std::max(above, below)});
      allowed = std::max({allowed, least, -most});

      int value = (c + e) >> 1;
      if (x > MaxSlope && x < width - MaxSlope - 1) {
        const auto mismatch = [&](int j) {
          return std::abs(up[x + j - 1] - down[x - j - 1]) + std::abs(up[x + j] - down[x - j]) +
                 std::abs(up[x + j + 1] - down[x - j + 1]);
        };
        int best = mismatch(0) - 1;
        for (const int side : {-1, 1})
          for (int j = side; std::abs(j) <= MaxSlope; j += side) {
            const int m = mismatch(j);
            if (m >= best) break;
            best = m;
            value = (up[x + j] + down[x - j]) >> 1;
          }
      }
      dst[x] = std::uint8_t(std::clamp(value, d - allowed, d + allowed));
    }
  }
}

// Where a block moves steadily, the missing field is there in the frames
// around: one field earlier a displacement back, one field later the same
// displacement on. The displacement is the one on which both agree best;
// where they agree, their mean replaces the interpolated pixels.
void FollowMotion(const Plane& prev, const Plane& cur, const OutPlane& out, int missing) {
  const Plane& before = prev;
  const Plane& after = cur;
  for (int top = missing; top < cur.height; top += 2 * BlockRows) {
    const int rows = std::min(BlockRows, (cur.height - top + 1) / 2);
    for (int left = 0; left < cur.width; left += BlockWidth) {
      const int w = std::min(BlockWidth, cur.width - left);
      int bestSad = MaxMeanMismatch * w * rows + 1, bestX = 0, bestY = 0;
      for (int dy = -MaxShiftY; dy <= MaxShiftY; dy += 2)
        for (int dx = -MaxShiftX; dx <= MaxShiftX; ++dx) {
          if (left - std::abs(dx) < 0 || left + w + std::abs(dx) > cur.width) continue;
          int sad = 0;
          for (int r = 0; r < rows && sad < bestSad; ++r) {
            const int y = top + 2 * r;
            const std::uint8_t* a = before.Row(y - dy) + left - dx;
            const std::uint8_t* b = after.Row(y + dy) + left + dx;
            for (int i = 0; i < w; ++i) sad += std::abs(a[i] - b[i]);
          }
          // The smaller displacement wins a tie: still parts stay still.
          const bool smaller = std::abs(dx) + std::abs(dy) < std::abs(bestX) + std::abs(bestY);
          if (sad < bestSad || (sad == bestSad && smaller)) {
            bestSad = sad;
            bestX = dx;
            bestY = dy;
          }
        }
      if (bestSad > MaxMeanMismatch * w * rows) continue;
      // The motion found must fit the kept rows: no teeth against them.
      std::uint8_t moved[BlockRows][BlockWidth];
      int teeth = 0;
      for (int r = 0; r < rows; ++r) {
        const int y = top + 2 * r;
        const std::uint8_t* a = before.Row(y - bestY) + left - bestX;
        const std::uint8_t* b = after.Row(y + bestY) + left + bestX;
        const std::uint8_t *up = cur.Row(y - 1) + left, *down = cur.Row(y + 1) + left;
        const std::uint8_t* spatial = out.Row(y) + left;
        for (int i = 0; i < w; ++i) {
          const int v = std::abs(a[i] - b[i]) <= MaxPixelMismatch ? (a[i] + b[i] + 1) >> 1 : spatial[i];
          moved[r][i] = std::uint8_t(v);
          const int first = v - up[i], second = v - down[i];
          if ((first > ToothStep && second > ToothStep) || (first < -ToothStep && second < -ToothStep)) {
            // A thin line of its own is no tooth when the spatial guess has it too.
            if (std::abs(v - spatial[i]) > ToothStep) ++teeth;
          }
        }
      }
      if (teeth > MaxTeeth) continue;
      for (int r = 0; r < rows; ++r) std::memcpy(out.Row(top + 2 * r) + left, moved[r], std::size_t(w));
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
    const Plane prev{previous->data[p], previous->linesize[p], width, height};
    const Plane cur{current->data[p], current->linesize[p], width, height};
    const Plane nxt{next->data[p], next->linesize[p], width, height};
    const OutPlane dst{out->data[p], out->linesize[p]};
    InterpolateSpatially(prev, cur, nxt, dst, missing);
    // Motion is found on luma; chroma, smooth and at half the rows, keeps
    // the interpolation.
    if (p == 0) FollowMotion(prev, cur, dst, missing);
  }
}

}  // namespace kelta::codec
