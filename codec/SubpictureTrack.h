#pragma once
// The sub-picture streams of an MPEG program stream: a DVD's subtitles.
//
// The open's pass over the file tells the track where every sub-picture
// packet lies; nothing of their contents is kept. When a frame is shown, the
// unit of the chosen stream that covers its time is read back from the
// input and decoded by FFmpeg's DVD subtitle decoder, in the colours of the
// palette the disc's title gives (or the decoder's own grey guess without
// one) and the contrast the unit gives. So a film's subtitles in every
// language cost only their places in memory, and the unit decoded last is
// kept for the frames that follow.
//
// Where the clock starts again (a disc's parts each with its own times, or
// files one after the other), a frame only ever shows a unit of its own
// part: the video's packets tell where the parts begin.

#include <cstdint>
#include <vector>

#include "ByteStream.h"
#include "CodecApi.h"
#include "FFmpegPtr.h"

namespace kelta::codec {

class SubpictureTrack {
 public:
  // Sub-picture streams a DVD can carry: 0 to 31.
  static constexpr int MaxStreams = 32;

  // During the open: a demuxed packet of sub-picture stream `stream` whose
  // PES packet starts at byte `pos` and whose payload is its last `size`
  // bytes; `pts` in 90 kHz ticks, or AV_NOPTS_VALUE for the packets that
  // continue a unit.
  void AddPacket(int stream, std::int64_t pts, std::int64_t pos, int size);
  // During the open: a packet of the video at byte `pos` with time `pts`
  // (90 kHz; AV_NOPTS_VALUE: none). A jump of the clock, more than a second
  // back or more than MaxForwardJump ahead, begins a new part just after
  // the video packet before it.
  void AddVideoTime(std::int64_t pos, std::int64_t pts);
  static constexpr std::int64_t MaxForwardJump = 5 * 90000;
  // Bit n set for every stream n that has a unit.
  std::uint32_t Streams() const;

  // Draws stream `stream` (-1: none) from now on, in `palette` (16 colours
  // 0x00YYCrCb as a DVD's IFO gives them; null: the decoder's guess),
  // converted to RGB of full range or of video levels (16..235) as the
  // frames are. False, and subtitles off, for a stream the video lacks or a
  // decoder that cannot be had.
  bool Choose(int stream, const std::uint32_t* palette, bool fullRange);
  int Chosen() const { return Stream_; }

  // The chosen stream's subtitle showing with the frame at byte `pos` at
  // `pts` (90 kHz, the video's clock), read from `input`, whose position is
  // kept; null when none shows. Valid until the next call.
  const KeltaCodecSubtitle* At(std::int64_t pts, std::int64_t pos, ByteStream& input);

 private:
  struct Packet {
    std::int64_t pos = 0;
    int size = 0;
  };
  struct Unit {
    std::int64_t pts = 0;
    std::vector<Packet> packets;
  };
  // Decodes unit `index` of the chosen stream into Shown_; false when it is
  // unreadable or shows nothing.
  bool Decode(std::size_t index, ByteStream& input);
  bool OpenDecoder(const std::uint32_t* palette, bool fullRange);
  // The part the byte at `pos` belongs to, from 0.
  std::size_t PartOf(std::int64_t pos) const;

  std::vector<Unit> Units_[MaxStreams];
  // Where the parts after the first begin, rising.
  std::vector<std::int64_t> Parts_;
  std::int64_t LastVideoPos_ = -1, LastVideoPts_ = AV_NOPTS_VALUE;
  int Stream_ = -1;
  CodecContextPtr Decoder_;
  // The unit decoded last, its display times (90 kHz from its pts; End -1:
  // until the next unit) and its picture.
  std::int64_t Decoded_ = -1;
  std::int64_t Start_ = 0, End_ = -1;
  bool Showing_ = false;
  KeltaCodecSubtitle Shown_{};
  std::vector<std::uint8_t> Pixels_;
};

}  // namespace kelta::codec
