#include "imaging/PictureFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace kelta {

namespace {

std::string Problem(const std::string& fileName) {
  std::error_code error;
  const auto status = std::filesystem::status(fileName, error);
  if (!std::filesystem::exists(status)) return "the file is missing";
  if (!std::filesystem::is_regular_file(status)) return "it is not a file";
  if (std::filesystem::file_size(fileName, error) == 0 && !error) return "the file is empty";
  if (std::FILE* f = std::fopen(fileName.c_str(), "rb")) {
    std::fclose(f);
  } else {
    return std::strerror(errno);
  }
  return "it is damaged or is no 24-bit BMP picture";
}

}  // namespace

bool LoadPictureFile(const std::string& fileName, TFastDIB& picture, std::string* why) {
  // Read aside first, so that a damaged file leaves the caller's picture.
  TFastDIB read;
  if (!read.LoadFromFile(fileName) || !read.HoldsBgr24()) {
    if (why) *why = Problem(fileName);
    return false;
  }
  picture = std::move(read);
  return true;
}

}  // namespace kelta
