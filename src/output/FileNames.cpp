#include "output/FileNames.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace kelta {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The first `bytes` bytes of the text, or fewer so as not to cut a character.
std::string Utf8Prefix(const std::string& text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  std::size_t end = bytes;
  while (end > 0 && IsContinuationByte(text[end])) --end;
  return text.substr(0, end);
}

}  // namespace

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

std::string FittedFileName(const std::string& base, const std::string& ext) {
  if (base.size() + ext.size() <= MaxFileNameBytes) return base + ext;
  const std::size_t room = ext.size() < MaxFileNameBytes ? MaxFileNameBytes - ext.size() : 0;
  std::string shortened = Utf8Prefix(base, room);
  while (!shortened.empty() && (shortened.back() == ' ' || shortened.back() == '\t')) shortened.pop_back();
  return shortened + ext;
}

std::string FileNameProblem(const std::string& path) {
  std::string_view rest(path);
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    if (part.size() > MaxFileNameBytes) {
      const bool last = slash == std::string_view::npos || rest.find_first_not_of('/', slash) == std::string_view::npos;
      return "The " + std::string(last ? "file" : "folder") + " name \"" + Utf8Prefix(std::string(part), 40) +
             "...\" is too long: it has " + std::to_string(part.size()) + " bytes, and a name can have at most " +
             std::to_string(MaxFileNameBytes) +
             " (letters beyond plain English ones take two to four bytes each). Please shorten it.";
    }
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return {};
}

}  // namespace kelta
