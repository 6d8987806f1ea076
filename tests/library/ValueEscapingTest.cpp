// Values written with references and read back: a byte that needs a
// reference may stand anywhere in a value of any length, alone or in a run.

#include <gtest/gtest.h>

#include <string>

#include "library/XmlDocument.h"

namespace kelta {
namespace {

struct TSpecial {
  char Byte;
  const char* Reference;
};

constexpr TSpecial Specials[] = {{'"', "&quot;"}, {'&', "&amp;"},   {'\'', "&apos;"}, {'<', "&lt;"},
                                 {'>', "&gt;"},   {'\x80', "&#x80;"}, {'\xE9', "&#xE9;"}, {'\xFF', "&#xFF;"}};

std::string WrittenWithName(const std::string& value) {
  TXmlDocument document;
  document.Root.Attributes.push_back({"name", value});
  return WriteXml(document);
}

TEST(ValueEscaping, SpecialByteAtAnyPositionIsReferencedAndReadBack) {
  for (std::size_t length = 1; length <= 40; ++length) {
    for (std::size_t at = 0; at < length; ++at) {
      for (const TSpecial& special : Specials) {
        std::string value(length, 'v');
        value[at] = special.Byte;
        const std::string written = WrittenWithName(value);
        ASSERT_EQ(written, "<films name=\"" + std::string(at, 'v') + special.Reference +
                               std::string(length - at - 1, 'v') + "\"/>\r\n")
            << "length " << length << ", at " << at;
        ASSERT_EQ(ParseXml(written).Root.Attribute("name"), value) << "length " << length << ", at " << at;
      }
    }
  }
}

TEST(ValueEscaping, RunsOfSpecialBytesAreEachReferenced) {
  for (std::size_t count = 1; count <= 24; ++count) {
    std::string value;
    std::string references;
    for (std::size_t i = 0; i < count; ++i) {
      const TSpecial& special = Specials[i % std::size(Specials)];
      value += special.Byte;
      value += 'x';
      references += special.Reference;
      references += 'x';
    }
    const std::string written = WrittenWithName(value);
    ASSERT_EQ(written, "<films name=\"" + references + "\"/>\r\n") << count;
    ASSERT_EQ(ParseXml(written).Root.Attribute("name"), value) << count;
  }
}

}  // namespace
}  // namespace kelta
