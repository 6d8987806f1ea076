#pragma once
// Where a VideoSource reads its bytes from: the parts of a video file, or the
// cells of a DVD title read off a disc. Positions are byte offsets in the
// stream as the reader sees it, from 0 to Size().

#include <cstdint>

namespace kelta::codec {

class ByteStream {
 public:
  virtual ~ByteStream() = default;

  virtual std::int64_t Size() const = 0;
  virtual std::int64_t Tell() const = 0;
  // Reads up to `size` bytes at the current position; returns the count (0
  // at the end) or -1 on a read error.
  virtual long Read(std::uint8_t* buffer, long size) = 0;
  // Moves to an absolute position, clamped to [0, Size()].
  virtual void SeekTo(std::int64_t pos) = 0;
};

}  // namespace kelta::codec
