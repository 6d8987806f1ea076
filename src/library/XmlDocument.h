#pragma once
// The in-memory form of the library file: a small XML model that keeps what
// the file held (prolog items, element names, attribute order, comments, CDATA
// and text children) so that a library written elsewhere comes back out as it
// went in. Names and values are 8-bit strings exactly as the file gives them
// after references are decoded.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kelta {

enum class TXmlNodeKind {
  Element,
  Text,                   // non-blank character data, kept raw and trimmed
  Comment,                // kept raw, markers included
  CData,                  // kept raw, markers included
  ProcessingInstruction,  // kept raw, markers included
  DocumentType,           // kept raw, markers included (prolog only)
  Declaration,            // <?xml ...?>; its pseudo-attributes are in Attributes
};

struct TXmlAttribute {
  std::string Name;
  std::string Value;
  friend bool operator==(const TXmlAttribute&, const TXmlAttribute&) = default;
};

class TXmlNode {
 public:
  TXmlNode() = default;
  explicit TXmlNode(TXmlNodeKind kind) : Kind(kind) {}
  static TXmlNode MakeElement(std::string name) {
    TXmlNode node(TXmlNodeKind::Element);
    node.Name = std::move(name);
    return node;
  }
  static TXmlNode MakeRaw(TXmlNodeKind kind, std::string raw) {
    TXmlNode node(kind);
    node.Raw = std::move(raw);
    return node;
  }

  bool IsElement() const { return Kind == TXmlNodeKind::Element; }

  // The value of the first attribute whose name matches ignoring ASCII letter
  // case; the empty string when there is none.
  const std::string& Attribute(std::string_view name) const;
  const TXmlAttribute* FindAttribute(std::string_view name) const;
  // Sets the first attribute matching ignoring case (its name keeps the
  // spelling it had) or appends a new one.
  void SetAttribute(std::string_view name, std::string value);

  TXmlNodeKind Kind = TXmlNodeKind::Element;
  std::string Name;                       // elements only
  std::vector<TXmlAttribute> Attributes;  // elements and the declaration
  std::vector<TXmlNode> Children;         // elements only
  std::string Raw;                        // every other kind: its text as read

  friend bool operator==(const TXmlNode&, const TXmlNode&) = default;
};

class TXmlDocument {
 public:
  // Items before the root in file order; holds at most one Declaration.
  std::vector<TXmlNode> Prolog;
  TXmlNode Root = TXmlNode::MakeElement("films");
  // Comments and processing instructions after the root.
  std::vector<TXmlNode> Epilog;

  TXmlNode* Declaration();
  const TXmlNode* Declaration() const;

  friend bool operator==(const TXmlDocument&, const TXmlDocument&) = default;
};

// A file that is not readable XML; the message says what and where.
class EXmlParseError : public std::runtime_error {
 public:
  EXmlParseError(const std::string& message, std::size_t line, std::size_t column);
  std::size_t Line() const { return Line_; }
  std::size_t Column() const { return Column_; }

 private:
  std::size_t Line_;
  std::size_t Column_;
};

// Reads a whole file image. Throws EXmlParseError.
TXmlDocument ParseXml(std::string_view text);

// The file image in the library layout: CR LF line ends, two spaces per
// depth, empty-element form for childless elements, 7-bit escaped names and
// values. Whatever ParseXml returns is written so that ParseXml gives it back.
// The declaration is written as the document holds it; callers that need one
// in a given form make sure of it.
std::string WriteXml(const TXmlDocument& document);

}  // namespace kelta
