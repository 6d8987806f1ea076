#pragma once
// The round-trip check of the library file: whatever the reader accepts must
// be written back into a file that reads back to the same document, and
// writing that document again must give the same bytes. Free of any test
// framework so that a fuzzer can call it on every input it makes.

#include <string>
#include <string_view>

#include "library/XmlDocument.h"

namespace kelta::test {

struct TRoundTripCheck {
  bool Accepted = false;   // the reader took the input
  std::string Difference;  // the first way the round trip failed; empty when it held

  bool Holds() const { return Difference.empty(); }
};

// Reads the bytes; when the reader accepts them, writes the document, reads
// that back and writes it again, and reports the first difference found.
TRoundTripCheck CheckLibraryRoundTrip(std::string_view bytes);

// The first difference between two documents (prolog, root tree, epilog:
// node kinds, names, attributes in order, values and raw texts), described
// with the path to it; empty when they are equal.
std::string FirstDocumentDifference(const TXmlDocument& expected, const TXmlDocument& actual);

}  // namespace kelta::test
