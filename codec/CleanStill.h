#pragma once
// Makes a still of one decoded frame as clean as the source allows, from the
// decoder's pictures of it and of the frames around it:
//   - a frame whose fields do not comb is kept as it is, whatever its flags
//     say: progressive, soft-telecined film, or interlaced video where
//     nothing moves (both fields woven);
//   - a combed frame whose first field weaves cleanly with the other field
//     of the frame before or after is film split across frames (hard 2:3
//     telecine, or its cadence broken at an edit): the film frame is rebuilt
//     from those two fields;
//   - anything else is moving interlaced video, deinterlaced at the moment
//     of its first field (FieldInterpolator.h).
// Flags decide nothing on their own, since discs carry progressive flags on
// interlaced pictures and the other way round; combs are measured.

#include "CodecApi.h"
#include "FFmpegPtr.h"

namespace kelta::codec {

class CleanStill {
 public:
  // The picture to show for `current`: `current` itself, or a picture this
  // object owns (valid until the next call), with `kind` telling which.
  // `previous` and `next` are the frames shown before and after it, null
  // where there is none at hand.
  const AVFrame* Make(const AVFrame* previous, const AVFrame* current, const AVFrame* next,
                      KeltaCodecStillKind& kind);

 private:
  // The output picture, shaped like `current`; false when it cannot be had.
  bool PrepareOutput(const AVFrame* current);

  FramePtr Built_;
};

}  // namespace kelta::codec
