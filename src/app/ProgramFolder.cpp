#include "app/ProgramFolder.h"

#include <filesystem>
#include <system_error>

namespace kelta {

std::string ProgramFolder() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return exe.parent_path().string();
}

}  // namespace kelta
