#include "video/ChoiceFile.h"

#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace kelta {

void WriteChoiceFile(const std::filesystem::path& file, std::string_view text) {
  const std::filesystem::path temporary = file.string() + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(text.data(), std::streamsize(text.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      throw std::runtime_error("Cannot write " + temporary.string());
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, file, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    throw std::runtime_error("Cannot write " + file.string());
  }
}

}  // namespace kelta
