#pragma once
// Where a failed pixel comparison leaves its two pictures: the folder
// "failed-pictures" of the tests' working folder, one numbered pair a failure,
// so that a failure can be looked at rather than guessed from a byte offset.

#include <atomic>
#include <filesystem>
#include <string>

namespace kelta::test {

// The path stem of the next failure's pictures named after `what`; the
// caller adds "-expected.bmp" and "-actual.bmp".
inline std::string FailedPictureStem(const std::string& what) {
  static std::atomic<int> failures{0};
  const std::filesystem::path folder = std::filesystem::absolute("failed-pictures");
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return (folder / (what + "-" + std::to_string(++failures))).string();
}

}  // namespace kelta::test
