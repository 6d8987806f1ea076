#include "update/DownloadLink.h"

#include <algorithm>

namespace kelta {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

bool IsWebAddress(std::string_view text) {
  const bool unsafeChar = std::any_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7F;
  });
  if (unsafeChar) return false;

  std::string_view rest;
  if (StartsWithNoCase(text, "http://"))
    rest = text.substr(7);
  else if (StartsWithNoCase(text, "https://"))
    rest = text.substr(8);
  else
    return false;
  // The authority must name a host: "http:///x", "http://:80" and "http://@"
  // have none.
  const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
  const std::size_t at = authority.rfind('@');
  const std::string_view hostPort = at == std::string_view::npos ? authority : authority.substr(at + 1);
  const std::string_view host = hostPort.substr(0, hostPort.starts_with('[') ? hostPort.find(']') + 1
                                                                                : hostPort.find(':'));
  return !host.empty();
}

}  // namespace kelta
