#include "video/NearbyFrames.h"

#include <algorithm>
#include <cmath>

#include "imaging/ImageUtils.h"
#include "video/MPEG2Decoder.h"

namespace kelta {

std::vector<std::int64_t> BarJudgingOffsets(double rate) {
  const std::int64_t half = std::max<std::int64_t>(std::llround(std::isfinite(rate) ? rate / 2 : 0.0), 1);
  return {-2 * half, -half, half, 2 * half};
}

std::vector<TFastDIB> DecodeFramesNear(TMPEG2Decoder& decoder, std::int64_t number, std::int64_t count,
                                       std::span<const std::int64_t> offsets, std::int32_t width, std::int32_t height) {
  std::vector<TFastDIB> frames;
  if (!decoder.FrameNavigation()) return frames;
  for (const std::int64_t offset : offsets) {
    const std::int64_t near = number + offset;
    if (offset == 0 || near < 0 || near >= count || !decoder.SeekFrame(near)) continue;
    TFastDIB frame;
    frame.SetSize(width, height, 24);
    if (CopyFrameBits(decoder.GetFrame(0), frame)) frames.push_back(std::move(frame));
  }
  if (decoder.SeekFrame(number)) decoder.GetFrame(0);
  return frames;
}

}  // namespace kelta
