#pragma once
// Writing a finished document or picture to disk in one go.

#include <string>
#include <string_view>

namespace kelta {

// Creates or replaces the file with exactly these bytes, through a temporary
// file beside it that is renamed over the name once complete. Raises
// EFCreateError naming the file and the reason when it cannot be created or
// written; nothing of the attempt is then left, and a file that was there
// stays as it was.
void WriteWholeFile(const std::string& fileName, std::string_view data);

}  // namespace kelta
