#include "output/FileNames.h"

#include <algorithm>
#include <cctype>

namespace kelta {

std::string FileExtension(const std::string& name) {
  const auto dot = name.rfind('.');
  const auto slash = name.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && slash > dot)) return {};
  return name.substr(dot);
}

bool HasExtension(const std::string& name, const std::string& ext) {
  std::string e = FileExtension(name);
  // Only ASCII letters fold, as the extensions compared against are ASCII.
  std::transform(e.begin(), e.end(), e.begin(),
                 [](unsigned char c) { return c < 0x80 ? static_cast<char>(std::tolower(c)) : static_cast<char>(c); });
  return e == ext;
}

std::string WithExtension(const std::string& name, const std::string& ext) {
  return HasExtension(name, ext) ? name : name + ext;
}

}  // namespace kelta
