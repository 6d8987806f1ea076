#pragma once
// Walking the image entries of a library document: every child of the root is
// a category, every child of a category a film, every child of a film an
// image, whatever their kind or name.

#include <string>
#include <vector>

#include "library/XmlDocument.h"

namespace kelta {

// The image entry at these positions, or null when one does not exist.
const TXmlNode* ImageEntryAt(const TXmlDocument& document, int category, int film, int image);

// Every picture and thumbnail name the image entries give, sorted, each once.
std::vector<std::string> NamedStoreFiles(const TXmlDocument& document);

}  // namespace kelta
