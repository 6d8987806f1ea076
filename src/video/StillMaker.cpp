#include "video/StillMaker.h"

#include "video/MPEG2Decoder.h"

namespace kelta {

TMadeStill MakeNextStill(TMPEG2Decoder& decoder, TStillMode mode) {
  // An older plugin makes no clean stills: the classic blend stands in.
  const bool clean = mode == TStillMode::Clean && decoder.MakesCleanStills();
  const bool blend = mode == TStillMode::Blend || (mode == TStillMode::Clean && !clean);
  TMadeStill made;
  made.Frame = decoder.GetFrame(blend ? StillBlendThreshold : 0);
  if (!made.Frame) return made;
  made.Kind = blend ? TStillKind::LineBlend : TStillKind::Unprocessed;
  if (clean) {
    TStillKind kind = TStillKind::Unprocessed;
    if (const FrameView still = decoder.CleanStill(kind)) {
      made.Frame = still;
      made.Kind = kind;
    }
  }
  return made;
}

}  // namespace kelta
