#include "update/UpdateTexts.h"

namespace kelta {

std::string FormatVersion(int version) {
  const std::string digits = std::to_string(version);
  std::string text;
  for (char c : digits) {
    if (c == '-') {
      text += c;
      continue;
    }
    if (!text.empty() && text.back() != '-') text += '.';
    text += c;
  }
  return text;
}

std::string NewerVersionText(int currentVersion, std::string_view latestVersionText) {
  std::string text = "current version is: " + FormatVersion(currentVersion);
  text += "\nthe latest version is: ";
  text += latestVersionText;
  text += "\nplease click the download link to get it.";
  return text;
}

}  // namespace kelta
