#pragma once
// Reads the few header fields of an MPEG-1/2 video packet that the decoder
// needs before (or without) decoding it: where groups of pictures start,
// picture types, how many fields each picture is shown for, and the shape
// the pictures are shown at.

#include <cstddef>
#include <cstdint>

namespace kelta::codec {

// Sequence-level state carried from one packet to the next.
struct SequenceState {
  int width = 0, height = 0;
  // The rate of the last sequence header's frame_rate_code. Its sequence
  // extension scales this, not the rate an earlier extension left, so that a
  // repeated extension gives the same rate again.
  int headerRateNum = 0, headerRateDen = 0;
  int rateNum = 0, rateDen = 0;  // frames per second of the sequence
  bool progressiveSequence = false;
  bool mpeg2 = false;
  int aspectCode = 0;  // aspect_ratio_information of the last sequence header
  // The display size of the sequence display extension after that header; 0
  // without one.
  int displayWidth = 0, displayHeight = 0;
};

// The shape a whole picture is shown at, as the terms of width:height in
// lowest terms; 0:0 when unknown.
struct DisplayAspect {
  int width = 0, height = 0;
  friend bool operator==(const DisplayAspect&, const DisplayAspect&) = default;
};

// The display aspect of the sequence's coded pictures: MPEG-2's display
// aspect codes, MPEG-1's pixel shapes; unknown for a forbidden or reserved
// code.
DisplayAspect DisplayAspectOf(const SequenceState& sequence);

enum class PictureType : std::uint8_t { None = 0, I = 1, P = 2, B = 3, D = 4 };

struct PacketHeaders {
  bool sequenceHeader = false;
  bool gopHeader = false;
  bool closedGop = false;
  bool brokenLink = false;
  PictureType type = PictureType::None;
  int temporalReference = -1;
  // Fields the picture is displayed for: 2 for an ordinary frame, 3 with a
  // repeated first field, 4 or 6 for repeated progressive frames, 1 for a
  // field picture.
  int fields = 0;

  // Starts a group of pictures that can be decoded from here on.
  bool StartsGroup() const { return (gopHeader || sequenceHeader) && type == PictureType::I; }
};

// Parses the headers in front of the first slice. Sequence headers and their
// extension update `sequence`.
PacketHeaders ParsePacketHeaders(const std::uint8_t* data, std::size_t size, SequenceState& sequence);

}  // namespace kelta::codec
