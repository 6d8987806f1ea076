#include "PictureCache.h"

#include <algorithm>
#include <utility>

namespace kelta::codec {

void PictureCache::SetCapacity(std::size_t capacity) {
  capacity_ = std::max<std::size_t>(1, capacity);
  while (pictures_.size() > capacity_) pictures_.pop_front();
}

void PictureCache::Add(CachedPicture picture) {
  if (!pictures_.empty() && picture.number != pictures_.back().number + 1) pictures_.clear();
  if (pictures_.size() == capacity_) pictures_.pop_front();
  pictures_.push_back(std::move(picture));
}

const CachedPicture* PictureCache::Find(std::int64_t number) const {
  if (pictures_.empty()) return nullptr;
  const std::int64_t first = pictures_.front().number;
  if (number < first || number > pictures_.back().number) return nullptr;
  // The run is consecutive: the frame's place follows from its number.
  return &pictures_[std::size_t(number - first)];
}

}  // namespace kelta::codec
