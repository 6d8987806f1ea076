#include "library/SearchableText.h"

namespace kelta {

std::u16string SearchableText(const TImageLibraryNodeData& data, int level) {
  switch (level) {
    case LevelCategory:
      return data.Category.Name;
    case LevelFilm:
      return data.Film.Name;
    case LevelImage: {
      std::u16string text = data.Image.Name;
      if (!data.Image.Memo.empty()) {
        text += u'\n';
        text += data.Image.Memo;
      }
      return text;
    }
    default:
      return {};
  }
}

}  // namespace kelta
