#include "library/LibraryRoundTrip.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace kelta::test {

namespace {

// Bytes as a readable C-style literal: names and values under test hold
// blanks, controls and high bytes that would vanish in a plain message.
std::string Shown(std::string_view bytes) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (const char byte : bytes) {
    const unsigned char c = static_cast<unsigned char>(byte);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += char(c);
    } else {
      out += "\\x";
      out += Hex[c >> 4];
      out += Hex[c & 15];
    }
  }
  return out + "\"";
}

const char* KindName(TXmlNodeKind kind) {
  switch (kind) {
    case TXmlNodeKind::Element: return "element";
    case TXmlNodeKind::Text: return "text";
    case TXmlNodeKind::Comment: return "comment";
    case TXmlNodeKind::CData: return "CDATA section";
    case TXmlNodeKind::ProcessingInstruction: return "processing instruction";
    case TXmlNodeKind::DocumentType: return "document type";
    case TXmlNodeKind::Declaration: return "declaration";
  }
  return "unknown node";
}

std::string CompareAttributes(const std::string& where, const std::vector<TXmlAttribute>& expected,
                              const std::vector<TXmlAttribute>& actual) {
  const std::size_t common = std::min(expected.size(), actual.size());
  for (std::size_t i = 0; i < common; ++i) {
    const std::string at = where + ", attribute " + std::to_string(i);
    if (expected[i].Name != actual[i].Name)
      return at + ": name " + Shown(actual[i].Name) + " instead of " + Shown(expected[i].Name);
    if (expected[i].Value != actual[i].Value)
      return at + " " + Shown(expected[i].Name) + ": value " + Shown(actual[i].Value) + " instead of " +
             Shown(expected[i].Value);
  }
  if (expected.size() != actual.size())
    return where + ": " + std::to_string(actual.size()) + " attributes instead of " + std::to_string(expected.size());
  return {};
}

std::string CompareNodes(const std::string& where, const TXmlNode& expected, const TXmlNode& actual);

std::string CompareLists(const std::string& where, const std::vector<TXmlNode>& expected,
                         const std::vector<TXmlNode>& actual) {
  const std::size_t common = std::min(expected.size(), actual.size());
  for (std::size_t i = 0; i < common; ++i) {
    std::string difference = CompareNodes(where + "[" + std::to_string(i) + "]", expected[i], actual[i]);
    if (!difference.empty()) return difference;
  }
  if (expected.size() != actual.size())
    return where + ": " + std::to_string(actual.size()) + " nodes instead of " + std::to_string(expected.size());
  return {};
}

std::string CompareNodes(const std::string& where, const TXmlNode& expected, const TXmlNode& actual) {
  if (expected.Kind != actual.Kind)
    return where + ": " + KindName(actual.Kind) + " instead of " + KindName(expected.Kind);
  if (expected.Name != actual.Name)
    return where + ": name " + Shown(actual.Name) + " instead of " + Shown(expected.Name);
  const std::string here = expected.IsElement() ? where + " <" + expected.Name + ">" : where;
  if (expected.Raw != actual.Raw)
    return here + ": " + KindName(expected.Kind) + " " + Shown(actual.Raw) + " instead of " + Shown(expected.Raw);
  std::string difference = CompareAttributes(here, expected.Attributes, actual.Attributes);
  if (!difference.empty()) return difference;
  return CompareLists(here + "/children", expected.Children, actual.Children);
}

}  // namespace

std::string FirstDocumentDifference(const TXmlDocument& expected, const TXmlDocument& actual) {
  std::string difference = CompareLists("prolog", expected.Prolog, actual.Prolog);
  if (difference.empty()) difference = CompareNodes("root", expected.Root, actual.Root);
  if (difference.empty()) difference = CompareLists("epilog", expected.Epilog, actual.Epilog);
  return difference;
}

TRoundTripCheck CheckLibraryRoundTrip(std::string_view bytes) {
  TRoundTripCheck check;
  TXmlDocument read;
  try {
    read = ParseXml(bytes);
  } catch (const EXmlParseError&) {
    return check;  // refused: nothing is written from it
  }
  check.Accepted = true;

  const std::string written = WriteXml(read);
  TXmlDocument reread;
  try {
    reread = ParseXml(written);
  } catch (const EXmlParseError& error) {
    check.Difference = std::string("the written file is refused: ") + error.what() + "; it reads " + Shown(written);
    return check;
  }
  check.Difference = FirstDocumentDifference(read, reread);
  if (check.Difference.empty() && !(read == reread)) check.Difference = "the documents differ";
  if (!check.Difference.empty()) {
    check.Difference = "read back differently: " + check.Difference + "; the written file reads " + Shown(written);
    return check;
  }
  // Equal documents must be written alike: this catches whatever the writer
  // uses that the comparison above does not look at.
  const std::string rewritten = WriteXml(reread);
  if (rewritten != written) {
    const std::size_t at = std::size_t(
        std::mismatch(written.begin(), written.end(), rewritten.begin(), rewritten.end()).first - written.begin());
    check.Difference = "written again differently from byte " + std::to_string(at) + ": " + Shown(rewritten) +
                       " instead of " + Shown(written);
  }
  return check;
}

}  // namespace kelta::test
