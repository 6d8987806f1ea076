#pragma once
// Makes the frame a decoder returns next into a still as the person's choice
// asks: the clean still where the plugin makes one, the frame as decoded for
// Weave, the classic line blend otherwise. The window and the command line
// both take their stills here, so they make the same ones.

#include <cstdint>

#include "codec/FrameView.h"
#include "video/StillMode.h"

namespace kelta {

class TMPEG2Decoder;

// The line blend's threshold for the Blend choice and for plugins that make
// no clean stills.
inline constexpr std::int32_t StillBlendThreshold = 240;

struct TMadeStill {
  FrameView Frame;  // the plugin's memory, valid until the next call on the decoder
  TStillKind Kind = TStillKind::Unprocessed;
};

// Decodes the next frame and makes it the still; an empty view at the end.
TMadeStill MakeNextStill(TMPEG2Decoder& decoder, TStillMode mode);

}  // namespace kelta
