#include "video/DvdStructureText.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace kelta {

namespace {

constexpr std::string_view Magic = "kelta-dvd-structure 1";
// What a DVD can hold at most: 99 titles, 999 chapters a title, 32 subtitle
// streams, title sets of nine 1 GiB files (4.7 million sectors).
constexpr int MaxTitles = 99;
constexpr std::size_t MaxChapters = 999;
constexpr std::size_t MaxSubtitles = 32;
constexpr std::size_t MaxCells = 9999;
constexpr std::int64_t MaxSector = 9 * 524288;
constexpr std::int64_t MaxDurationMs = 100LL * 3600 * 1000;
constexpr std::size_t MaxVolumeName = 128;
constexpr std::size_t PaletteSize = 16;

bool Escaped(unsigned char c) { return c <= ' ' || c >= 0x7F || c == '%'; }

std::string Escape(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (Escaped(c)) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", unsigned(c));
      out += hex;
    } else {
      out += ch;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      if (Escaped(static_cast<unsigned char>(text[i]))) return std::nullopt;
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexDigit(text[i + 1]), low = HexDigit(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    const auto c = static_cast<unsigned char>(high * 16 + low);
    // Controls have no place in a name.
    if (c < ' ' || c == 0x7F) return std::nullopt;
    out += char(c);
    i += 2;
  }
  if (out.size() > MaxVolumeName) return std::nullopt;
  return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (start <= line.size()) {
    const std::size_t space = line.find(' ', start);
    const std::size_t end = space == std::string_view::npos ? line.size() : space;
    fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

// A whole field as a number within [low, high].
std::optional<std::int64_t> Number(std::string_view field, std::int64_t low, std::int64_t high, int base = 10) {
  std::int64_t value = 0;
  const char* end = field.data() + field.size();
  const auto [at, error] = std::from_chars(field.data(), end, value, base);
  if (field.empty() || error != std::errc() || at != end || value < low || value > high) return std::nullopt;
  return value;
}

bool ParseTitle(const std::vector<std::string_view>& f, TDvdTitle& title) {
  if (f.size() != 10 || f[2] != "set" || f[4] != "ms" || f[6] != "picture") return false;
  const auto number = Number(f[1], 1, MaxTitles), set = Number(f[3], 1, 99), ms = Number(f[5], -1, MaxDurationMs);
  const auto width = Number(f[7], 0, 720), height = Number(f[8], 0, 576);
  if (!number || !set || !ms || !width || !height) return false;
  const bool knownPicture = (*width == 720 || *width == 704 || *width == 352) &&
                            (*height == 480 || *height == 576 || *height == 240 || *height == 288);
  if (!knownPicture && !(*width == 0 && *height == 0)) return false;
  if (f[9] != "4:3" && f[9] != "16:9" && f[9] != "-") return false;
  title.Number = std::int32_t(*number);
  title.Cells.TitleSet = int(*set);
  title.DurationMs = *ms;
  title.Width = std::int32_t(*width);
  title.Height = std::int32_t(*height);
  title.Aspect = f[9] == "-" ? std::string() : std::string(f[9]);
  return true;
}

bool ParseCells(const std::vector<std::string_view>& f, TDvdTitle& title) {
  if (f.size() < 2 || f.size() - 1 > MaxCells || !title.Cells.Ranges.empty()) return false;
  for (std::size_t i = 1; i < f.size(); ++i) {
    const std::size_t dash = f[i].find('-');
    if (dash == std::string_view::npos) return false;
    const auto first = Number(f[i].substr(0, dash), 0, MaxSector), last = Number(f[i].substr(dash + 1), 0, MaxSector);
    if (!first || !last || *last < *first) return false;
    title.Cells.Ranges.push_back(KeltaCodecSectorRange{std::uint32_t(*first), std::uint32_t(*last)});
  }
  return true;
}

bool ParseChapter(const std::vector<std::string_view>& f, TDvdTitle& title) {
  if (f.size() != 3 || title.Cells.Ranges.empty() || title.Chapters.size() >= MaxChapters) return false;
  const auto position = Number(f[1], 0, title.Bytes() - 1), ms = Number(f[2], 0, MaxDurationMs);
  if (!position || !ms) return false;
  // Chapters follow each other through the title.
  if (!title.Chapters.empty() && title.Chapters.back().Position >= *position) return false;
  title.Chapters.push_back(TDvdChapter{*position, *ms});
  return true;
}

bool ParseSubtitle(const std::vector<std::string_view>& f, TDvdTitle& title) {
  if (f.size() != 3 || title.Subtitles.size() >= MaxSubtitles) return false;
  const auto stream = Number(f[1], 0, 31);
  if (!stream) return false;
  std::string language;
  if (f[2] != "-") {
    if (f[2].size() != 2) return false;
    for (const char c : f[2])
      if (c < 'a' || c > 'z') return false;
    language = std::string(f[2]);
  }
  title.Subtitles.push_back(TDvdSubtitleStream{std::int32_t(*stream), language});
  return true;
}

bool ParsePalette(const std::vector<std::string_view>& f, TDvdTitle& title) {
  if (f.size() != PaletteSize + 1 || !title.Palette.empty()) return false;
  for (std::size_t i = 1; i < f.size(); ++i) {
    const auto colour = Number(f[i], 0, 0xFFFFFF, 16);
    if (!colour) return false;
    title.Palette.push_back(std::uint32_t(*colour));
  }
  return true;
}

}  // namespace

std::string WriteDvdStructure(const TDvdDisc& disc) {
  std::string text = std::string(Magic) + "\n";
  text += "volume " + Escape(disc.VolumeName) + "\n";
  text += std::string("damaged ") + (disc.Damage.empty() ? "0" : "1") + "\n";
  for (const TDvdTitle& title : disc.Titles) {
    text += "title " + std::to_string(title.Number) + " set " + std::to_string(title.Cells.TitleSet) + " ms " +
            std::to_string(title.DurationMs) + " picture " + std::to_string(title.Width) + " " +
            std::to_string(title.Height) + " " + (title.Aspect.empty() ? std::string("-") : title.Aspect) + "\n";
    text += "cells";
    for (const KeltaCodecSectorRange& r : title.Cells.Ranges)
      text += " " + std::to_string(r.First) + "-" + std::to_string(r.Last);
    text += "\n";
    for (const TDvdChapter& chapter : title.Chapters)
      text += "chapter " + std::to_string(chapter.Position) + " " + std::to_string(chapter.StartMs) + "\n";
    for (const TDvdSubtitleStream& subtitle : title.Subtitles)
      text += "subtitle " + std::to_string(subtitle.Stream) + " " +
              (subtitle.Language.empty() ? std::string("-") : subtitle.Language) + "\n";
    if (!title.Palette.empty()) {
      text += "palette";
      for (const std::uint32_t colour : title.Palette) {
        char hex[12];
        std::snprintf(hex, sizeof hex, " %06X", unsigned(colour & 0xFFFFFF));
        text += hex;
      }
      text += "\n";
    }
  }
  text += "end\n";
  return text;
}

std::optional<TDvdDisc> ParseDvdStructure(std::string_view text, const std::string& location) {
  if (text.empty() || text.back() != '\n') return std::nullopt;
  text.remove_suffix(1);
  std::vector<std::string_view> lines;
  for (std::size_t start = 0;;) {
    const std::size_t newline = text.find('\n', start);
    lines.push_back(text.substr(start, newline == std::string_view::npos ? std::string_view::npos : newline - start));
    if (newline == std::string_view::npos) break;
    start = newline + 1;
  }
  if (lines.size() < 4 || lines.front() != Magic || lines.back() != "end") return std::nullopt;

  TDvdDisc disc;
  disc.Location = location;
  const std::vector<std::string_view> volume = Fields(lines[1]);
  if (volume.size() != 2 || volume[0] != "volume") return std::nullopt;
  const std::optional<std::string> name = Unescape(volume[1]);
  if (!name) return std::nullopt;
  disc.VolumeName = *name;
  if (lines[2] != "damaged 0" && lines[2] != "damaged 1") return std::nullopt;
  const bool damaged = lines[2] == "damaged 1";

  for (std::size_t i = 3; i + 1 < lines.size(); ++i) {
    const std::vector<std::string_view> f = Fields(lines[i]);
    const std::string_view kind = f.front();
    if (kind == "title") {
      // A title before it is complete only with its cells.
      if (!disc.Titles.empty() && disc.Titles.back().Cells.Ranges.empty()) return std::nullopt;
      TDvdTitle title;
      if (!ParseTitle(f, title)) return std::nullopt;
      // Numbers rise through the disc.
      if (!disc.Titles.empty() && disc.Titles.back().Number >= title.Number) return std::nullopt;
      title.Cells.Disc = location;
      disc.Titles.push_back(std::move(title));
      continue;
    }
    if (disc.Titles.empty()) return std::nullopt;
    TDvdTitle& title = disc.Titles.back();
    const bool ok = kind == "cells"      ? ParseCells(f, title)
                    : kind == "chapter"  ? ParseChapter(f, title)
                    : kind == "subtitle" ? ParseSubtitle(f, title)
                    : kind == "palette"  ? ParsePalette(f, title)
                                         : false;
    if (!ok) return std::nullopt;
  }
  if (disc.Titles.empty() || disc.Titles.back().Cells.Ranges.empty()) return std::nullopt;
  if (damaged) disc.Damage = TitleInformationDamage(disc.VolumeName);
  return disc;
}

}  // namespace kelta
