#pragma once
// Fixtures shared by the output tests: temporary folders, generated
// pictures, and running the command-line PDF tools.

#include <filesystem>
#include <string>

#include "imaging/FastDIB.h"

namespace kelta::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string File(const std::string& name) const { return (Path_ / name).string(); }
  const std::filesystem::path& Path() const { return Path_; }

 private:
  std::filesystem::path Path_;
};

// Smooth gradients with a distinct colour in each quadrant, so a flipped or
// mirrored picture shows in a comparison while JPEG keeps it close.
TFastDIB QuadrantPicture(int width, int height);

std::string ReadFile(const std::string& fileName);
void WriteFile(const std::string& fileName, const std::string& data);

// Runs a shell command; returns its exit status and fills output with stdout.
int Run(const std::string& command, std::string* output = nullptr);

}  // namespace kelta::test
