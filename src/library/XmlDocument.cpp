#include "library/XmlDocument.h"

namespace kelta {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

const std::string& EmptyString() {
  static const std::string empty;
  return empty;
}

}  // namespace

const TXmlAttribute* TXmlNode::FindAttribute(std::string_view name) const {
  for (const TXmlAttribute& attribute : Attributes)
    if (EqualsIgnoringCase(attribute.Name, name)) return &attribute;
  return nullptr;
}

const std::string& TXmlNode::Attribute(std::string_view name) const {
  const TXmlAttribute* attribute = FindAttribute(name);
  return attribute ? attribute->Value : EmptyString();
}

void TXmlNode::SetAttribute(std::string_view name, std::string value) {
  for (TXmlAttribute& attribute : Attributes) {
    if (EqualsIgnoringCase(attribute.Name, name)) {
      attribute.Value = std::move(value);
      return;
    }
  }
  Attributes.push_back({std::string(name), std::move(value)});
}

TXmlNode* TXmlDocument::Declaration() {
  for (TXmlNode& item : Prolog)
    if (item.Kind == TXmlNodeKind::Declaration) return &item;
  return nullptr;
}

const TXmlNode* TXmlDocument::Declaration() const {
  return const_cast<TXmlDocument*>(this)->Declaration();
}

EXmlParseError::EXmlParseError(const std::string& message, std::size_t line, std::size_t column)
    : std::runtime_error(message + " (line " + std::to_string(line) + ", column " +
                         std::to_string(column) + ")"),
      Line_(line),
      Column_(column) {}

}  // namespace kelta
