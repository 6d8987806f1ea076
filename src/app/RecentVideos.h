#pragma once
// The videos opened last (files, and DVDs as the folder or image chosen),
// newest first, and the folder the Open dialog starts in. They live in a small file of their own beside the library ("folder="
// and "video=" lines), never inside the library file.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace kelta {

class TRecentVideos {
 public:
  static constexpr std::size_t Limit = 8;

  // Puts a video first (once), remembers its folder and keeps the newest Limit.
  void Add(const std::string& video);
  // Drops the videos that are no longer there, or no longer a DVD where a
  // folder stands; true when one went.
  bool DropMissing();
  void Remove(const std::string& video);

  const std::vector<std::string>& Videos() const { return Videos_; }
  const std::string& Folder() const { return Folder_; }

  // The file's text and back; unknown lines and names holding a line break
  // are skipped, so a damaged file gives what it still says.
  std::string Text() const;
  static TRecentVideos FromText(const std::string& text);

  // A missing or unreadable file gives an empty list.
  static TRecentVideos Load(const std::filesystem::path& file);
  // Replaces the file atomically; throws std::system_error when it cannot.
  void Save(const std::filesystem::path& file) const;

 private:
  std::vector<std::string> Videos_;
  std::string Folder_;
};

}  // namespace kelta
