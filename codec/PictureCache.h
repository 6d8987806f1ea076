#pragma once
// The pictures the decoder gave last, kept by frame number: a run of
// consecutive frames that ends with the newest one. A step back within the
// run costs a conversion instead of decoding the group of pictures again from
// its start. The cache holds references to the decoder's own picture
// buffers, so adding a picture copies nothing, and a picture converted from
// it follows the output settings of the moment.

#include <cstddef>
#include <cstdint>
#include <deque>

#include "FFmpegPtr.h"

namespace kelta::codec {

struct CachedPicture {
  std::int64_t number = 0;        // frame number in display order
  FramePtr picture;               // as the decoder gave it
  std::int64_t position = 0;      // byte position of the packet it came from
  std::int64_t fieldsBefore = 0;  // fields shown before the frame
  std::int64_t fieldsAfter = 0;   // fields shown up to its end
};

class PictureCache {
 public:
  // Keeps at most `capacity` pictures (at least one): the oldest go first.
  void SetCapacity(std::size_t capacity);
  // Adds the newest picture. One that does not follow the newest frame held
  // starts a new run.
  void Add(CachedPicture picture);
  // The picture of frame `number`, or null when it is not held.
  const CachedPicture* Find(std::int64_t number) const;
  void Clear() { Pictures_.clear(); }
  std::size_t Size() const { return Pictures_.size(); }

 private:
  std::deque<CachedPicture> Pictures_;
  std::size_t Capacity_ = 1;
};

}  // namespace kelta::codec
