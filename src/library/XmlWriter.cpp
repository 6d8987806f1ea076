// The writer of the library file. Its layout is fixed byte for byte, because
// libraries travel between installations and are compared by their bytes:
// CR LF after every line, two spaces per depth, childless elements in
// empty-element form, and every byte from 0x80 written as a hexadecimal
// reference so that the file stays 7-bit ASCII whatever the names hold.

#include "library/XmlDocument.h"

namespace kelta {

namespace {

constexpr std::string_view LineEnd = "\r\n";

bool NeedsEscape(unsigned char c) {
  return c >= 0x80 || c == '"' || c == '&' || c == '\'' || c == '<' || c == '>';
}

void AppendEscaped(std::string& out, std::string_view text) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (!NeedsEscape(c)) continue;
    out.append(text, run, i - run);
    run = i + 1;
    switch (c) {
      case '"': out += "&quot;"; break;
      case '&': out += "&amp;"; break;
      case '\'': out += "&apos;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: {
        const char reference[6] = {'&', '#', 'x', Hex[c >> 4], Hex[c & 15], ';'};
        out.append(reference, sizeof reference);
      }
    }
  }
  out.append(text, run);
}

bool IsYes(std::string_view value) {
  return value.size() == 3 && (value[0] | 0x20) == 'y' && (value[1] | 0x20) == 'e' &&
         (value[2] | 0x20) == 's';
}

void AppendDeclaration(std::string& out, const TXmlNode& declaration) {
  const TXmlAttribute* version = declaration.FindAttribute("version");
  const TXmlAttribute* encoding = declaration.FindAttribute("encoding");
  out += "<?xml version=\"";
  AppendEscaped(out, version ? std::string_view(version->Value) : std::string_view("1.0"));
  out += '"';
  if (encoding) {
    out += " encoding=\"";
    AppendEscaped(out, encoding->Value);
    out += '"';
  }
  if (IsYes(declaration.Attribute("standalone"))) out += " standalone=\"yes\"";
  out += "?>";
}

void AppendNode(std::string& out, const TXmlNode& node, std::size_t depth) {
  out.append(2 * depth, ' ');
  if (!node.IsElement()) {
    out += node.Raw;
    out += LineEnd;
    return;
  }
  out += '<';
  AppendEscaped(out, node.Name);
  for (const TXmlAttribute& attribute : node.Attributes) {
    out += ' ';
    AppendEscaped(out, attribute.Name);
    out += "=\"";
    AppendEscaped(out, attribute.Value);
    out += '"';
  }
  if (node.Children.empty()) {
    out += "/>";
    out += LineEnd;
    return;
  }
  out += '>';
  out += LineEnd;
  for (const TXmlNode& child : node.Children) AppendNode(out, child, depth + 1);
  out.append(2 * depth, ' ');
  out += "</";
  AppendEscaped(out, node.Name);
  out += '>';
  out += LineEnd;
}

}  // namespace

std::string WriteXml(const TXmlDocument& document) {
  std::string out;
  out.reserve(4096);
  for (const TXmlNode& item : document.Prolog) {
    if (item.Kind == TXmlNodeKind::Declaration)
      AppendDeclaration(out, item);
    else
      out += item.Raw;
    out += LineEnd;
  }
  AppendNode(out, document.Root, 0);
  for (const TXmlNode& item : document.Epilog) {
    out += item.Raw;
    out += LineEnd;
  }
  return out;
}

}  // namespace kelta
