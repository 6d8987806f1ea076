#pragma once
// Writing a finished document to disk in one go.

#include <string>
#include <string_view>

namespace kelta {

// Creates or replaces the file with exactly these bytes. Raises EFCreateError
// when the file cannot be created or written; a file that was begun is then
// removed, so no partial document is left behind looking finished.
void WriteWholeFile(const std::string& fileName, std::string_view data);

}  // namespace kelta
