#pragma once
// The frame index of a video whose container stamps every picture with its
// presentation time (Matroska, MP4, transport streams of H.264 and HEVC): the
// pictures in display order are the packets' times sorted, and a decode can
// start at each packet that begins a group (a key frame, or an MPEG group of
// pictures).
//
// A decode started at a group gives the group's first picture and everything
// shown after it; pictures shown before it but coded after it (the leading
// pictures of an open group) refer to the group before and are dropped,
// unless the group says they are decodable on their own. Pictures that no
// decode from a group can give - coded before the first group, or leading
// pictures of an open first group - are not frames of the video.

#include <cstdint>
#include <limits>
#include <vector>

namespace kelta::codec {

// One packet of the video stream, in the order the file holds them.
struct TimedPacket {
  std::int64_t pts = 0;    // presentation time, in the stream's time base
  std::int64_t dts = NoTime;  // decoding time; NoTime when the container has none
  std::int64_t pos = -1;   // byte position; -1 when unknown
  bool startsGroup = false;
  bool leadingDecodable = false;  // a group whose leading pictures need nothing earlier

  static constexpr std::int64_t NoTime = std::numeric_limits<std::int64_t>::min();
};

struct TimedGroup {
  std::int64_t pos = -1;       // byte position of its first packet
  std::int64_t pts = 0;        // presentation time of its first packet
  std::int64_t seekTime = 0;   // a time at or before its first packet's, to seek the demuxer by
  std::int64_t firstFrame = 0; // the frame a decode started here gives first
  // A decode started here drops the pictures shown before this time.
  std::int64_t dropBefore = TimedPacket::NoTime;
};

struct TimestampIndex {
  // Presentation time of every frame, in display order.
  std::vector<std::int64_t> frames;
  // Groups in file order, their byte positions and first frames rising.
  std::vector<TimedGroup> groups;

  // The frame shown at `pts`; -1 when no frame is.
  std::int64_t FrameAt(std::int64_t pts) const;
  // The first frame shown at or after `pts`; the frame count when none is.
  std::int64_t FirstFrameFrom(std::int64_t pts) const;
};

TimestampIndex BuildTimestampIndex(const std::vector<TimedPacket>& packets);

}  // namespace kelta::codec
