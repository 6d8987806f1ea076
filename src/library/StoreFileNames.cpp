#include "library/StoreFileNames.h"

#include <system_error>

namespace kelta {

namespace {

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  text.remove_prefix(text.size() - tail.size());
  for (std::size_t i = 0; i < tail.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != tail[i]) return false;
  }
  return true;
}

// "<base>_<number>" with base of letters and digits and a 32-bit number.
bool IsStem(std::string_view stem) {
  const std::size_t underscore = stem.rfind('_');
  if (underscore == std::string_view::npos || underscore == 0 || underscore > 64) return false;
  for (std::size_t i = 0; i < underscore; ++i)
    if (!IsAsciiAlnum(stem[i])) return false;
  std::string_view number = stem.substr(underscore + 1);
  if (!number.empty() && number.front() == '-') number.remove_prefix(1);
  if (number.empty() || number.size() > 10) return false;
  for (char c : number)
    if (!IsDigit(c)) return false;
  return true;
}

constexpr std::string_view Extension = ".bmp";
constexpr std::string_view ThumbnailTail = "_thumbnail.bmp";

}  // namespace

bool IsStorePictureName(std::string_view name) {
  if (!EndsWithNoCase(name, Extension) || EndsWithNoCase(name, ThumbnailTail)) return false;
  return IsStem(name.substr(0, name.size() - Extension.size()));
}

bool IsStoreThumbnailName(std::string_view name) {
  if (!EndsWithNoCase(name, ThumbnailTail)) return false;
  return IsStem(name.substr(0, name.size() - ThumbnailTail.size()));
}

std::optional<std::filesystem::path> ConfinedStoreFile(const std::filesystem::path& dataFolder,
                                                       std::string_view bareName) {
  // The pattern already excludes separators, "..", absolute paths and NUL.
  if (!IsStoreFileName(bareName)) return std::nullopt;
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::weakly_canonical(dataFolder, error);
  if (error || folder.empty()) return std::nullopt;
  const std::filesystem::path file = folder / std::filesystem::path(std::string(bareName));
  // A link inside the folder may point anywhere: what counts is where it lands.
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(file, error);
  if (error || resolved.parent_path() != folder) return std::nullopt;
  return file;
}

}  // namespace kelta
