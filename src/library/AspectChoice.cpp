#include "library/AspectChoice.h"

#include <cmath>
#include <fstream>
#include <iomanip>
#include <string>

#include "library/AtomicFileWrite.h"

namespace kelta {

namespace {

bool SameShape(double ratio, double shape) { return std::abs(ratio / shape - 1.0) <= 0.01; }

struct TPreferenceWord {
  TAspectPreference Preference;
  const char* Name;
};
constexpr TPreferenceWord PreferenceWords[] = {
    {TAspectPreference::SquarePixels, "square-pixels"},
    {TAspectPreference::AsCaptured, "as-captured"},
    {TAspectPreference::ShownShapeAtWidth, "shown-shape"},
    {TAspectPreference::Ratio4x3, "4:3"},
    {TAspectPreference::Ratio16x9, "16:9"},
    {TAspectPreference::Ratio185, "1.85:1"},
    // Read by an older program, which takes at most 16 letters, as a word it
    // does not know: square pixels, the nearest it has.
    {TAspectPreference::SquarePixelsItu, "square-pixels-itu"},
};

// Longer than any word above; a longer word is not ours either.
constexpr int LongestWord = 31;

}  // namespace

TAspectRatio MatchingAspectChoice(std::int32_t width, std::int32_t height, TDisplayAspect aspect) {
  if (!aspect.Known()) return TAspectRatio::Ratio16x9;
  const double ratio = aspect.Ratio();
  if (SameShape(ratio, 4.0 / 3.0)) return TAspectRatio::Ratio4x3;
  if (SameShape(ratio, 16.0 / 9.0)) return TAspectRatio::Ratio16x9;
  if (width > 0 && height > 0 && SameShape(ratio, double(width) / double(height))) return TAspectRatio::AsCaptured;
  return TAspectRatio::SquarePixels;
}

TAspectRatio PreferredAspectChoice(TAspectPreference preference, std::int32_t width, std::int32_t height,
                                   TDisplayAspect aspect) {
  switch (preference) {
    case TAspectPreference::AsCaptured:
      return TAspectRatio::AsCaptured;
    case TAspectPreference::ShownShapeAtWidth:
      return MatchingAspectChoice(width, height, aspect);
    case TAspectPreference::Ratio4x3:
      return TAspectRatio::Ratio4x3;
    case TAspectPreference::Ratio16x9:
      return TAspectRatio::Ratio16x9;
    case TAspectPreference::Ratio185:
      return TAspectRatio::Ratio185;
    case TAspectPreference::SquarePixelsItu:
      return TAspectRatio::SquarePixelsItu;
    case TAspectPreference::SquarePixels:
      break;
  }
  return TAspectRatio::SquarePixels;
}

TAspectPreference PreferenceOfChoice(TAspectRatio choice, std::int32_t width, std::int32_t height,
                                     TDisplayAspect aspect) {
  switch (choice) {
    case TAspectRatio::AsCaptured:
      return TAspectPreference::AsCaptured;
    case TAspectRatio::Ratio4x3:
    case TAspectRatio::Ratio16x9:
      if (MatchingAspectChoice(width, height, aspect) == choice) return TAspectPreference::ShownShapeAtWidth;
      return choice == TAspectRatio::Ratio4x3 ? TAspectPreference::Ratio4x3 : TAspectPreference::Ratio16x9;
    case TAspectRatio::Ratio185:
      return TAspectPreference::Ratio185;
    case TAspectRatio::SquarePixelsItu:
      return TAspectPreference::SquarePixelsItu;
    case TAspectRatio::SquarePixels:
    default:
      return TAspectPreference::SquarePixels;
  }
}

TDisplayAspect ViewedFrameAspect(TAspectPreference preference, std::int32_t width, std::int32_t height,
                                 TDisplayAspect aspect) {
  return preference == TAspectPreference::SquarePixelsItu ? ItuFrameAspect(width, height, aspect) : aspect;
}

const char* AspectPreferenceName(TAspectPreference preference) {
  for (const TPreferenceWord& word : PreferenceWords)
    if (word.Preference == preference) return word.Name;
  return PreferenceWords[0].Name;
}

std::optional<TAspectPreference> AspectPreferenceNamed(std::string_view name) {
  for (const TPreferenceWord& word : PreferenceWords)
    if (name == word.Name) return word.Preference;
  return std::nullopt;
}

TAspectPreference LoadAspectPreference(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string word;
  // A short word is all the file ever holds; anything longer is not ours.
  if (!(in >> std::setw(LongestWord + 1) >> word)) return TAspectPreference::SquarePixels;
  return AspectPreferenceNamed(word).value_or(TAspectPreference::SquarePixels);
}

void SaveAspectPreference(const std::filesystem::path& file, TAspectPreference preference) {
  WriteFileAtomically(file, std::string(AspectPreferenceName(preference)) + "\n");
}

}  // namespace kelta
