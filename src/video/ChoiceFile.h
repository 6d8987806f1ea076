#pragma once
// The small files beside the library in which the program keeps a person's
// choices (the still choice, each disc's subtitles): written whole to a new
// file that is renamed over the old one, so a failed write leaves the old
// choices as they were.

#include <filesystem>
#include <string_view>

namespace kelta {

// Throws std::runtime_error naming the file when it cannot be written.
void WriteChoiceFile(const std::filesystem::path& file, std::string_view text);

}  // namespace kelta
