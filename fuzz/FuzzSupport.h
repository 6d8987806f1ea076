#pragma once
// What every fuzz target shares: a failed property aborts with a message, so
// libFuzzer saves the input like any crash, and targets that need files get
// one private temporary folder, removed when the fuzzer exits normally.

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#define KELTA_FUZZ_CHECK(condition, what)                                                   \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "fuzz property failed: %s (%s:%d)\n", what, __FILE__, __LINE__); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (0)

namespace kelta::fuzz {

inline const std::filesystem::path& ScratchFolder() {
  // Never destroyed, so that the exit handler still finds it after static
  // objects are gone.
  static const std::filesystem::path* const folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelta-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    auto* path = new std::filesystem::path(pattern);
    std::atexit([] {
      std::error_code error;
      std::filesystem::remove_all(ScratchFolder(), error);
    });
    return path;
  }();
  return *folder;
}

// Writes the input to a file of the scratch folder and returns its path.
inline std::string WriteScratchFile(const std::string& name, std::span<const std::uint8_t> bytes) {
  const std::filesystem::path path = ScratchFolder() / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  out.close();
  if (!out) std::abort();
  return path.string();
}

}  // namespace kelta::fuzz
