#include "app/RecentVideos.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>

#include "library/AtomicFileWrite.h"
#include "video/DvdDisc.h"

namespace kelta {

namespace {

constexpr std::string_view FolderKey = "folder=";
constexpr std::string_view VideoKey = "video=";

bool Storable(const std::string& value) {
  return !value.empty() && value.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

void TRecentVideos::Add(const std::string& video) {
  if (!Storable(video)) return;
  Remove(video);
  Videos_.insert(Videos_.begin(), video);
  if (Videos_.size() > Limit) Videos_.resize(Limit);
  const std::string folder = std::filesystem::path(video).parent_path().string();
  if (Storable(folder)) Folder_ = folder;
}

bool TRecentVideos::DropMissing() {
  const auto missing = [](const std::string& video) {
    std::error_code error;
    return !std::filesystem::is_regular_file(video, error) && DvdLocation(video).empty();
  };
  const auto gone = std::remove_if(Videos_.begin(), Videos_.end(), missing);
  const bool dropped = gone != Videos_.end();
  Videos_.erase(gone, Videos_.end());
  return dropped;
}

void TRecentVideos::Remove(const std::string& video) {
  Videos_.erase(std::remove(Videos_.begin(), Videos_.end(), video), Videos_.end());
}

std::string TRecentVideos::Text() const {
  std::string text;
  if (!Folder_.empty()) text.append(FolderKey).append(Folder_).append("\n");
  for (const std::string& video : Videos_) text.append(VideoKey).append(video).append("\n");
  return text;
}

TRecentVideos TRecentVideos::FromText(const std::string& text) {
  TRecentVideos recent;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string_view view(line);
    if (view.starts_with(FolderKey)) {
      recent.Folder_ = line.substr(FolderKey.size());
    } else if (view.starts_with(VideoKey)) {
      const std::string video = line.substr(VideoKey.size());
      const bool known = std::find(recent.Videos_.begin(), recent.Videos_.end(), video) != recent.Videos_.end();
      if (!video.empty() && !known && recent.Videos_.size() < Limit) recent.Videos_.push_back(video);
    }
  }
  return recent;
}

TRecentVideos TRecentVideos::Load(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return FromText(text.str());
}

void TRecentVideos::Save(const std::filesystem::path& file) const { WriteFileAtomically(file, Text()); }

}  // namespace kelta
