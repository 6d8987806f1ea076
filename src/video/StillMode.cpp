#include "video/StillMode.h"

#include <fstream>
#include <iomanip>

#include "video/ChoiceFile.h"

namespace kelta {

namespace {

struct TModeWords {
  TStillMode Mode;
  const char* Caption;  // the menu's
  const char* Name;     // the file's
};
constexpr TModeWords ModeWords[] = {
    {TStillMode::Clean, "Clean still (automatic)", "clean"},
    {TStillMode::Weave, "Weave (no processing)", "weave"},
    {TStillMode::Blend, "Line blend (classic)", "blend"},
};

const TModeWords& WordsOf(TStillMode mode) {
  for (const TModeWords& words : ModeWords)
    if (words.Mode == mode) return words;
  return ModeWords[0];
}

}  // namespace

const char* StillModeCaption(TStillMode mode) { return WordsOf(mode).Caption; }

const char* StillModeName(TStillMode mode) { return WordsOf(mode).Name; }

std::optional<TStillMode> StillModeNamed(std::string_view name) {
  for (const TModeWords& words : ModeWords)
    if (name == words.Name) return words.Mode;
  return std::nullopt;
}

const char* StillKindText(TStillKind kind) {
  switch (kind) {
    case TStillKind::Progressive:
      return "progressive";
    case TStillKind::Woven:
      return "woven";
    case TStillKind::FilmRebuilt:
      return "film frame rebuilt";
    case TStillKind::Deinterlaced:
      return "deinterlaced";
    case TStillKind::Unprocessed:
      return "no processing";
    case TStillKind::LineBlend:
      break;
  }
  return "line blend";
}

TStillMode LoadStillMode(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string word;
  // A short word is all the file ever holds; anything longer is not ours.
  if (!(in >> std::setw(16) >> word)) return TStillMode::Clean;
  return StillModeNamed(word).value_or(TStillMode::Clean);
}

void SaveStillMode(const std::filesystem::path& file, TStillMode mode) {
  WriteChoiceFile(file, std::string(StillModeName(mode)) + "\n");
}

}  // namespace kelta
