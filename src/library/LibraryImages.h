#pragma once
// Walking the image entries of a library document: every child of the root is
// a category, every child of a category a film, every child of a film an
// image, whatever their kind or name.

#include <string>
#include <vector>

#include "library/XmlDocument.h"

namespace kelta {

// The entry at these positions, or null when one does not exist.
const TXmlNode* CategoryEntryAt(const TXmlDocument& document, int category);
const TXmlNode* FilmEntryAt(const TXmlDocument& document, int category, int film);
const TXmlNode* ImageEntryAt(const TXmlDocument& document, int category, int film, int image);

// Every picture and thumbnail name the image entries give, sorted, each once.
std::vector<std::string> NamedStoreFiles(const TXmlDocument& document);
// The same for the image entries inside one entry, `depth` levels above its
// images: 0 for an image entry itself, 1 for a film, 2 for a category.
std::vector<std::string> NamedStoreFiles(const TXmlNode& entry, int depth);

}  // namespace kelta
