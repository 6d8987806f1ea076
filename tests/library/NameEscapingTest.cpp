// Element and attribute names written with references: the reader decodes
// references in names, so a name may hold any byte, and the bytes that would
// end a name or start other markup are written as references it decodes.

#include <gtest/gtest.h>

#include <string>

#include "library/XmlDocument.h"

namespace kelta {
namespace {

struct TNameCase {
  std::string Name;
  std::string Written;
};

// An element of that name with an attribute of that name and one child, so
// that the start tag, the attribute and the end tag all show the name.
std::string WrittenWithNames(const std::string& name) {
  TXmlDocument document;
  document.Root.Name = name;
  document.Root.Attributes.push_back({name, "v"});
  document.Root.Children.push_back(TXmlNode::MakeElement("x"));
  return WriteXml(document);
}

TEST(NameEscaping, UnsafeBytesAreReferencedAndReadBack) {
  using namespace std::string_literals;
  const TNameCase cases[] = {
      // Ordinary names are written as they always were.
      {"category", "category"},
      {"a-b_c.d:E9", "a-b_c.d:E9"},
      {"caf\xE9\xC3\xA9", "caf&#xE9;&#xC3;&#xA9;"},
      {"x!y?", "x!y?"},
      {"a\"b'c&d<e>f", "a&quot;b&apos;c&amp;d&lt;e&gt;f"},
      // Bytes that end a name or cannot stand raw in one.
      {"a b", "a&#32;b"},
      {"trailing ", "trailing&#32;"},
      {"a\tb\rc\nd", "a&#9;b&#13;c&#10;d"},
      {"a/b=c", "a&#47;b&#61;c"},
      {"\0\x01\x1F\x7F"s, "&#0;&#1;&#31;&#127;"},
      // A leading '!' or '?' would make the tag a comment, declaration or
      // processing instruction.
      {"!--x--", "&#33;--x--"},
      {"?xml", "&#63;xml"},
      {"!", "&#33;"},
  };
  for (const TNameCase& c : cases) {
    const std::string written = WrittenWithNames(c.Name);
    EXPECT_EQ(written, "<" + c.Written + " " + c.Written + "=\"v\">\r\n  <x/>\r\n</" + c.Written + ">\r\n")
        << c.Written;
    const TXmlDocument read = ParseXml(written);
    EXPECT_EQ(read.Root.Name, c.Name) << c.Written;
    ASSERT_EQ(read.Root.Attributes.size(), 1u) << c.Written;
    EXPECT_EQ(read.Root.Attributes[0].Name, c.Name) << c.Written;
    EXPECT_EQ(read.Root.Attributes[0].Value, "v") << c.Written;
  }
}

TEST(NameEscaping, DeclarationIsWrittenAsTheDocumentHoldsIt) {
  const TXmlDocument read = ParseXml("<?XML Version='1.1' odd&#32;name=\"a&amp;b\" standalone='no'?><films/>");
  const std::string written = WriteXml(read);
  EXPECT_EQ(written, "<?xml Version=\"1.1\" odd&#32;name=\"a&amp;b\" standalone=\"no\"?>\r\n<films/>\r\n");
  EXPECT_EQ(ParseXml(written), read);

  TXmlDocument bare;
  bare.Prolog.emplace_back(TXmlNodeKind::Declaration);
  EXPECT_EQ(WriteXml(bare), "<?xml?>\r\n<films/>\r\n");
  EXPECT_EQ(ParseXml(WriteXml(bare)), bare);
}

}  // namespace
}  // namespace kelta
