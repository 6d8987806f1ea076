#pragma once
// The names the image store gives its files, and the only way from a name read
// out of the library file to a path. A library file is copied, shared and
// restored from backups, so its names are untrusted: only bare names of the
// store's own pattern ("<base>_<number>.bmp", "<base>_<number>_thumbnail.bmp")
// ever reach the file system, and only when they resolve inside the data folder.

#include <filesystem>
#include <optional>
#include <string_view>

namespace kelta {

// "<letters and digits>_<optional minus><digits>.bmp"; the extension in any
// letter case, as libraries made on case-blind systems may have it.
bool IsStorePictureName(std::string_view name);
// The same with "_thumbnail" before the extension.
bool IsStoreThumbnailName(std::string_view name);
inline bool IsStoreFileName(std::string_view name) { return IsStorePictureName(name) || IsStoreThumbnailName(name); }

// The path of a store file, or nothing when the name is not a store name or
// the file (following symbolic links) would lie outside the data folder. A
// refused name touches nothing on disk beyond the folder's own resolution.
std::optional<std::filesystem::path> ConfinedStoreFile(const std::filesystem::path& dataFolder,
                                                       std::string_view bareName);

}  // namespace kelta
