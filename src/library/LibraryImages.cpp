#include "library/LibraryImages.h"

#include <algorithm>

namespace kelta {

namespace {

const TXmlNode* ChildAt(const TXmlNode& parent, int index) {
  if (index < 0 || std::size_t(index) >= parent.Children.size()) return nullptr;
  return &parent.Children[std::size_t(index)];
}

}  // namespace

const TXmlNode* ImageEntryAt(const TXmlDocument& document, int category, int film, int image) {
  const TXmlNode* node = ChildAt(document.Root, category);
  if (node) node = ChildAt(*node, film);
  if (node) node = ChildAt(*node, image);
  return node;
}

std::vector<std::string> NamedStoreFiles(const TXmlDocument& document) {
  std::vector<std::string> names;
  for (const TXmlNode& category : document.Root.Children)
    for (const TXmlNode& film : category.Children)
      for (const TXmlNode& image : film.Children)
        for (const char* attribute : {"filename", "thumbnail"})
          if (const std::string& name = image.Attribute(attribute); !name.empty()) names.push_back(name);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

}  // namespace kelta
