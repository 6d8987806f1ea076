#include "video/SubtitleChoice.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <string_view>
#include <utility>

#include "video/ChoiceFile.h"

namespace kelta {

namespace {

// A line longer than this was never written by Kelta: the file is not ours.
constexpr std::size_t MaxLineBytes = 512;
constexpr std::int32_t MaxStream = 31;

struct TKept {
  std::int32_t Stream;
  std::string Key;
};

// The file's lines that make sense, in its order: "<stream> <disc key>".
std::vector<TKept> ReadKept(const std::filesystem::path& file) {
  std::vector<TKept> kept;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  while (kept.size() < MaxRememberedDiscs && std::getline(in, line)) {
    if (line.size() > MaxLineBytes) break;
    const std::size_t space = line.find(' ');
    if (space == std::string::npos || space + 1 >= line.size()) continue;
    std::int32_t stream = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + space, stream);
    if (error != std::errc() || end != line.data() + space || stream < SubtitlesOff || stream > MaxStream) continue;
    kept.push_back(TKept{stream, line.substr(space + 1)});
  }
  return kept;
}

// A key on one line: control characters would end or break it.
std::string OneLine(std::string key) {
  for (char& c : key)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  if (key.size() > MaxLineBytes - 8) key.resize(MaxLineBytes - 8);
  return key;
}

}  // namespace

std::vector<TSubtitleOffer> DvdSubtitleOffers(const TDvdTitle& title) {
  std::vector<TSubtitleOffer> offers;
  const bool palette = title.Palette.size() == 16;
  for (const TDvdSubtitleStream& stream : title.Subtitles)
    offers.push_back(TSubtitleOffer{stream.Stream, stream.Language, !palette});
  return offers;
}

std::vector<TSubtitleOffer> FileSubtitleOffers(std::uint32_t streams) {
  std::vector<TSubtitleOffer> offers;
  for (std::int32_t stream = 0; stream <= MaxStream; ++stream)
    if (streams & (1u << stream)) offers.push_back(TSubtitleOffer{stream, {}, true});
  return offers;
}

std::string SubtitleLanguagesText(const TDvdTitle& title) {
  if (title.Subtitles.empty()) return "\u2013";
  std::string text;
  for (const TDvdSubtitleStream& stream : title.Subtitles) {
    if (!text.empty()) text += ", ";
    text += stream.Language.empty() ? "?" : stream.Language;
  }
  return text;
}

std::string DvdDiscKey(const TDvdDisc& disc) {
  std::int64_t bytes = 0;
  for (const TDvdTitle& title : disc.Titles) bytes += title.Bytes();
  return OneLine(std::to_string(bytes) + " " + disc.VolumeName);
}

std::int32_t LoadSubtitleChoice(const std::filesystem::path& file, const std::string& discKey) {
  const std::string key = OneLine(discKey);
  for (const TKept& kept : ReadKept(file))
    if (kept.Key == key) return kept.Stream;
  return SubtitlesOff;
}

void SaveSubtitleChoice(const std::filesystem::path& file, const std::string& discKey, std::int32_t stream) {
  const std::string key = OneLine(discKey);
  std::vector<TKept> kept = ReadKept(file);
  std::erase_if(kept, [&key](const TKept& k) { return k.Key == key; });
  kept.insert(kept.begin(), TKept{std::clamp(stream, SubtitlesOff, MaxStream), key});
  if (kept.size() > MaxRememberedDiscs) kept.resize(MaxRememberedDiscs);
  std::string text;
  for (const TKept& k : kept) text += std::to_string(k.Stream) + ' ' + k.Key + '\n';
  WriteChoiceFile(file, text);
}

}  // namespace kelta
