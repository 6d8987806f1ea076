#include "library/LibraryPaths.h"

#include <system_error>

namespace kelta {

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  // Without /proc the working folder is the best remaining guess.
  if (error || exe.empty()) return std::filesystem::current_path(error);
  return exe.parent_path();
}

std::filesystem::path LibraryFilePath() { return ProgramFolder() / "config"; }

std::filesystem::path DataFolderPath() { return ProgramFolder() / "data"; }

std::filesystem::path LeftAlonePicturesPath() { return ProgramFolder() / "left-alone-pictures"; }

std::filesystem::path RecentVideosPath() { return ProgramFolder() / "recent-videos"; }

std::filesystem::path StillModePath() { return ProgramFolder() / "still-mode"; }
std::filesystem::path SubtitleChoicePath() { return ProgramFolder() / "subtitle-choices"; }
std::filesystem::path WindowPlacePath() { return ProgramFolder() / "window-place"; }

std::filesystem::path SaveAspectPath(const std::filesystem::path& programFolder) {
  return programFolder / "save-aspect";
}

}  // namespace kelta
