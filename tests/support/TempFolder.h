#pragma once
// A folder of a test's own under the system's temporary folder, removed with
// everything in it when the object goes.

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelta::test {

class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelta-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder could be made");
    Path_ = pattern;
  }
  ~TTempFolder() {
    std::error_code error;
    std::filesystem::remove_all(Path_, error);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::filesystem::path& Path() const { return Path_; }
  std::filesystem::path operator/(const std::string& name) const { return Path_ / name; }
  std::string File(const std::string& name) const { return (Path_ / name).string(); }

  // Names of the entries in the folder, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Path_))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path Path_;
};

}  // namespace kelta::test
