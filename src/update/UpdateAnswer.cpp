#include "update/UpdateAnswer.h"

namespace kelta {

namespace {

bool EqualsNoCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return true;
}

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

bool IsWebPageType(std::string_view contentType) {
  const std::string_view mediaType = Trimmed(contentType.substr(0, contentType.find(';')));
  return EqualsNoCase(mediaType, "text/html") || EqualsNoCase(mediaType, "application/xhtml+xml");
}

}  // namespace kelta
