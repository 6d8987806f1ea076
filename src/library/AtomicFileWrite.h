#pragma once
// Replacing a file so that a crash or a full disk never leaves it truncated:
// the bytes go to a new file in the same folder, are flushed to the disk, and
// that file is then renamed over the old one. Until the rename the old file is
// untouched; after it the new one is complete.

#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>

namespace kelta {

// Throws std::system_error naming the failed step; the temporary file is
// removed and the target left as it was. A symbolic link is followed, so the
// link stays and its target is replaced. An existing target's permission
// bits are kept.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// The same for a file that another routine writes by name (a bitmap, say):
// `write` fills the temporary file it is given and throws on failure. The
// target itself is replaced, never a file that a link at its place points to.
void ReplaceFileAtomically(const std::filesystem::path& target,
                           const std::function<void(const std::filesystem::path& temporary)>& write);

// Whether a file name is a temporary file that one of the two left behind
// when the process died before its rename: "<name>.tmp-<pid>-<counter>".
// Its `<name>` part is returned through `target` when it is.
bool IsAtomicWriteLeftover(std::string_view fileName, std::string_view* target = nullptr);

}  // namespace kelta
