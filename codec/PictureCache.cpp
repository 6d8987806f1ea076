#include "PictureCache.h"

#include <algorithm>
#include <utility>

namespace kelta::codec {

void PictureCache::SetCapacity(std::size_t capacity) {
  Capacity_ = std::max<std::size_t>(1, capacity);
  while (Pictures_.size() > Capacity_) Pictures_.pop_front();
}

void PictureCache::Add(CachedPicture picture) {
  if (!Pictures_.empty() && picture.number != Pictures_.back().number + 1) Pictures_.clear();
  if (Pictures_.size() == Capacity_) Pictures_.pop_front();
  Pictures_.push_back(std::move(picture));
}

const CachedPicture* PictureCache::Find(std::int64_t number) const {
  if (Pictures_.empty()) return nullptr;
  const std::int64_t first = Pictures_.front().number;
  if (number < first || number > Pictures_.back().number) return nullptr;
  // The run is consecutive: the frame's place follows from its number.
  return &Pictures_[std::size_t(number - first)];
}

}  // namespace kelta::codec
