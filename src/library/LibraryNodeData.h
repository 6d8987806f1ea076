#pragma once
// The record every node of the library tree carries, and whose film and image
// parts are also the arguments of the library document's operations. Strings
// are UTF-16, as the tree shows them; the document stores them as 8-bit text
// (see CodePage.h).

#include <cstdint>
#include <string>

namespace kelta {

struct TImageLibraryRootData {
  std::u16string Name;
};

struct TImageLibraryCategoryData {
  std::u16string Name;
  std::int32_t Count = 0;  // number of films
};

struct TImageLibraryFilmData {
  std::u16string Name;
  std::int32_t Count = 0;  // number of images
};

struct TImageLibraryImageData {
  std::u16string Name;
  std::u16string FileName;   // bare name of the picture in the data folder
  std::u16string Thumbnail;  // bare name of its thumbnail there
  std::u16string Memo;
};

// Levels of the tree: a node's depth below the root.
enum : std::uint8_t { LevelRoot = 0, LevelCategory = 1, LevelFilm = 2, LevelImage = 3 };

// All parts are present; only the part of the node's level is filled. The
// level itself is the node's depth in the tree.
struct TImageLibraryNodeData {
  TImageLibraryRootData Root;
  TImageLibraryCategoryData Category;
  TImageLibraryFilmData Film;
  TImageLibraryImageData Image;
};

}  // namespace kelta
