#pragma once
// Chapter arithmetic over the start positions of a title's chapters, in
// ascending order and in any one unit (bytes, slider blocks).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelta {

// Index, from 0, of the chapter that holds `position`; 0 also before the
// first start and when there are no chapters.
std::size_t ChapterAt(const std::vector<std::int64_t>& starts, std::int64_t position);

// The chapter `delta` chapters away from the one holding `position`, kept
// within the first and the last chapter.
std::size_t ChapterStep(const std::vector<std::int64_t>& starts, std::int64_t position, int delta);

}  // namespace kelta
