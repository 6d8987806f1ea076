#include "output/FileNameTemplate.h"

#include <fstream>
#include <stdexcept>
#include <vector>

#include "library/Timecode.h"

namespace kelta {

namespace {

constexpr std::string_view Separator = " - ";

std::string Dotted(std::string text) {
  for (char& c : text)
    if (c == ':' || c == ';') c = '.';
  return text;
}

std::string StemOf(const std::string& path) { return std::filesystem::path(path).stem().string(); }

// The value of a field; nothing for a name that is no field.
std::optional<std::string> Field(std::string_view name, const TNameFields& fields) {
  const TCaptureSource& source = *fields.Source;
  if (name == "name") return fields.Name;
  if (name == "video") return source.IsDvd() ? source.DvdVolume : StemOf(source.Video);
  if (name == "film") {
    if (!fields.Film.empty()) return fields.Film;
    return source.IsDvd() ? source.DvdVolume : StemOf(source.Video);
  }
  if (name == "title") return source.Title > 0 ? "Title " + std::to_string(source.Title) : std::string();
  if (name == "chapter") return source.Chapter > 0 ? "Chapter " + std::to_string(source.Chapter) : std::string();
  if (name == "time") return source.TimeMs >= 0 ? Dotted(ClockText(source.TimeMs)) : std::string();
  if (name == "timecode") return Dotted(source.Timecode());
  if (name == "frame") return source.Frame >= 0 ? std::to_string(source.FrameOrdinal()) : std::string();
  if (name == "date") return source.Captured.substr(0, std::min<std::size_t>(source.Captured.size(), 10));
  return std::nullopt;
}

// One part between separators; nothing when a field in it is unknown.
std::optional<std::string> FilledPart(std::string_view part, const TNameFields& fields) {
  std::string out;
  std::size_t i = 0;
  while (i < part.size()) {
    const std::size_t open = part.find('{', i);
    const std::size_t close = open == std::string_view::npos ? open : part.find('}', open);
    if (close == std::string_view::npos) {
      out += part.substr(i);
      break;
    }
    out += part.substr(i, open - i);
    const std::optional<std::string> value = Field(part.substr(open + 1, close - open - 1), fields);
    if (!value) {
      out += part.substr(open, close - open + 1);  // no field: kept as typed
    } else if (value->empty()) {
      return std::nullopt;
    } else {
      out += *value;
    }
    i = close + 1;
  }
  return out;
}

std::string Portable(std::string name) {
  for (char& c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) c = '_';
  }
  const std::size_t first = name.find_first_not_of(" .");
  if (first == std::string::npos) return {};
  const std::size_t last = name.find_last_not_of(" .");
  return name.substr(first, last - first + 1);
}

}  // namespace

std::string NameFromTemplate(std::string_view pattern, const TNameFields& fields) {
  // The names of before stay exactly as they were.
  if (!fields.Source || fields.Source->Empty() || pattern == PlainNameTemplate) return fields.Name;
  std::string name;
  {
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = pattern.find(Separator, start);
      const std::string_view part = pattern.substr(start, end == std::string_view::npos ? end : end - start);
      if (const std::optional<std::string> filled = FilledPart(part, fields); filled && !filled->empty())
        name += (name.empty() ? "" : std::string(Separator)) + *filled;
      if (end == std::string_view::npos) break;
      start = end + Separator.size();
    }
    name = Portable(name);
  }
  if (name.empty()) name = Portable(fields.Name);
  return name.empty() ? "picture" : name;
}

std::string LoadNameTemplate(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string line;
  if (in) std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.find_first_not_of(" \t") == std::string::npos) return std::string(DefaultNameTemplate);
  return line;
}

void SaveNameTemplate(const std::filesystem::path& file, std::string_view pattern) {
  if (pattern.find_first_not_of(" \t") == std::string_view::npos) {
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    return;
  }
  std::ofstream out(file, std::ios::trunc);
  out << pattern.substr(0, pattern.find('\n')) << '\n';
  if (!out.flush()) throw std::runtime_error("The file name template cannot be kept in " + file.string());
}

}  // namespace kelta
