#pragma once
// Replacing a file so that a crash or a full disk never leaves it truncated:
// the bytes go to a new file in the same folder, are flushed to the disk, and
// that file is then renamed over the old one. Until the rename the old file is
// untouched; after it the new one is complete.

#include <filesystem>
#include <string_view>
#include <system_error>

namespace kelta {

// Throws std::system_error naming the failed step; the temporary file is
// removed and the target left as it was. A symbolic link is followed, so the
// link stays and its target is replaced. An existing target's permission
// bits are kept.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

}  // namespace kelta
