#include "video/DvdChapters.h"

#include <algorithm>

namespace kelta {

std::size_t ChapterAt(const std::vector<std::int64_t>& starts, std::int64_t position) {
  const auto after = std::upper_bound(starts.begin(), starts.end(), position);
  return after == starts.begin() ? 0 : std::size_t(after - starts.begin() - 1);
}

std::size_t ChapterStep(const std::vector<std::int64_t>& starts, std::int64_t position, int delta) {
  if (starts.empty()) return 0;
  const std::int64_t target = std::int64_t(ChapterAt(starts, position)) + delta;
  return std::size_t(std::clamp<std::int64_t>(target, 0, std::int64_t(starts.size()) - 1));
}

}  // namespace kelta
