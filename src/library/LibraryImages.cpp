#include "library/LibraryImages.h"

#include <algorithm>

namespace kelta {

namespace {

const TXmlNode* ChildAt(const TXmlNode& parent, int index) {
  if (index < 0 || std::size_t(index) >= parent.Children.size()) return nullptr;
  return &parent.Children[std::size_t(index)];
}

}  // namespace

const TXmlNode* CategoryEntryAt(const TXmlDocument& document, int category) {
  return ChildAt(document.Root, category);
}

const TXmlNode* FilmEntryAt(const TXmlDocument& document, int category, int film) {
  const TXmlNode* node = CategoryEntryAt(document, category);
  return node ? ChildAt(*node, film) : nullptr;
}

const TXmlNode* ImageEntryAt(const TXmlDocument& document, int category, int film, int image) {
  const TXmlNode* node = FilmEntryAt(document, category, film);
  return node ? ChildAt(*node, image) : nullptr;
}

namespace {

void AddNamedStoreFiles(const TXmlNode& entry, int depth, std::vector<std::string>& names) {
  if (depth > 0) {
    for (const TXmlNode& child : entry.Children) AddNamedStoreFiles(child, depth - 1, names);
    return;
  }
  for (const char* attribute : {"filename", "thumbnail"})
    if (const std::string& name = entry.Attribute(attribute); !name.empty()) names.push_back(name);
}

}  // namespace

std::vector<std::string> NamedStoreFiles(const TXmlNode& entry, int depth) {
  std::vector<std::string> names;
  AddNamedStoreFiles(entry, depth, names);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

std::vector<std::string> NamedStoreFiles(const TXmlDocument& document) { return NamedStoreFiles(document.Root, 3); }

}  // namespace kelta
