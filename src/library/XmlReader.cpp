// The reader of the library file. It takes what the writer produces and is
// lenient beyond it, because libraries also come from hand edits and from
// older writers: junk bytes before the root, any root and child names, single
// or double quotes, references in any letter case, each numeric reference as
// one byte. What it cannot make sense of is an error with a position, never a
// guess, so that a damaged library is reported instead of being half read.

#include <cstdint>
#include <cstring>

#include "library/XmlDocument.h"

namespace kelta {

namespace {

// Deeper than any library; the limit keeps a hostile file from exhausting
// the stack of the recursive reader and writer.
constexpr int MaxDepth = 1000;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameStop(char c) {
  return IsSpace(c) || c == '/' || c == '>' || c == '<' || c == '=' || c == '"' || c == '\'';
}

bool IsReferenceChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '#';
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// The character of one of the five named references, letter case ignored;
// 0 for any other name.
char NamedReference(std::string_view body) {
  switch (body.size()) {
    case 2:
      if (Lower(body[1]) != 't') return 0;
      if (Lower(body[0]) == 'l') return '<';
      if (Lower(body[0]) == 'g') return '>';
      return 0;
    case 3:
      return EqualsIgnoringCase(body, "amp") ? '&' : 0;
    case 4:
      if (EqualsIgnoringCase(body, "apos")) return '\'';
      if (EqualsIgnoringCase(body, "quot")) return '"';
      return 0;
    default:
      return 0;
  }
}

// Decodes the five named references (any letter case) and numeric ones, each
// numeric reference giving the low byte of its value. Anything else that
// starts with an ampersand is kept as it stands.
std::string DecodeReferences(std::string_view raw) {
  std::size_t amp = raw.find('&');
  if (amp == std::string_view::npos) return std::string(raw);
  std::string out;
  out.reserve(raw.size());
  std::size_t pos = 0;
  while (amp != std::string_view::npos) {
    out.append(raw, pos, amp - pos);
    pos = amp;
    // A reference is letters, digits or '#' up to a ';'. Stopping at any
    // other byte keeps the scan linear whatever the value holds.
    std::size_t semi = amp + 1;
    while (semi < raw.size() && IsReferenceChar(raw[semi])) ++semi;
    bool decoded = false;
    if (semi < raw.size() && raw[semi] == ';') {
      const std::string_view body = raw.substr(amp + 1, semi - amp - 1);
      if (!body.empty() && body[0] == '#') {
        const bool hex = body.size() > 1 && Lower(body[1]) == 'x';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        std::uint32_t value = 0;
        bool valid = !digits.empty();
        for (char c : digits) {
          unsigned digit;
          if (c >= '0' && c <= '9') digit = unsigned(c - '0');
          else if (hex && Lower(c) >= 'a' && Lower(c) <= 'f') digit = unsigned(Lower(c) - 'a' + 10);
          else { valid = false; break; }
          // Wrapping keeps the low byte exact however long the number is.
          value = value * (hex ? 16u : 10u) + digit;
        }
        if (valid) {
          out.push_back(char(value & 0xFF));
          decoded = true;
        }
      } else {
        const char named = NamedReference(body);
        if (named) {
          out.push_back(named);
          decoded = true;
        }
      }
    }
    if (decoded) {
      pos = semi + 1;
    } else {
      out.push_back('&');
      pos = amp + 1;
    }
    amp = raw.find('&', pos);
  }
  out.append(raw, pos);
  return out;
}

class TXmlReader {
 public:
  explicit TXmlReader(std::string_view text) : S_(text), Scratch_(MaxDepth + 1) {}

  TXmlDocument Read() {
    TXmlDocument document;
    // Byte-order marks, NULs and blanks may precede the first markup.
    while (P_ < S_.size()) {
      const unsigned char c = static_cast<unsigned char>(S_[P_]);
      if (IsSpace(char(c)) || c == 0 || c == 0xEF || c == 0xBB || c == 0xBF || c == 0xFE || c == 0xFF)
        ++P_;
      else
        break;
    }
    for (;;) {
      SkipSpace();
      if (P_ >= S_.size()) Fail("No root element found", P_);
      if (S_[P_] != '<') Fail("Text before the root element", P_);
      if (StartsWith("<?")) {
        if (IsDeclarationStart() && !document.Declaration())
          document.Prolog.push_back(ReadDeclaration());
        else
          document.Prolog.push_back(ReadRaw(TXmlNodeKind::ProcessingInstruction, 2, "?>",
                                            "Unterminated processing instruction"));
      } else if (StartsWith("<!--")) {
        document.Prolog.push_back(ReadRaw(TXmlNodeKind::Comment, 4, "-->", "Unterminated comment"));
      } else if (StartsWithIgnoringCase("<!DOCTYPE")) {
        document.Prolog.push_back(ReadDocumentType());
      } else if (StartsWith("<!")) {
        Fail("Unexpected markup before the root element", P_);
      } else {
        document.Root = ReadElement(0);
        break;
      }
    }
    for (;;) {
      while (P_ < S_.size() && (IsSpace(S_[P_]) || S_[P_] == '\0')) ++P_;
      if (P_ >= S_.size()) break;
      if (StartsWith("<!--"))
        document.Epilog.push_back(ReadRaw(TXmlNodeKind::Comment, 4, "-->", "Unterminated comment"));
      else if (StartsWith("<?"))
        document.Epilog.push_back(ReadRaw(TXmlNodeKind::ProcessingInstruction, 2, "?>",
                                          "Unterminated processing instruction"));
      else if (S_[P_] == '<')
        Fail("A second root element", P_);
      else
        Fail("Text after the root element", P_);
    }
    return document;
  }

 private:
  [[noreturn]] void Fail(const std::string& message, std::size_t at) const {
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < at && i < S_.size(); ++i) {
      if (S_[i] == '\n') {
        ++line;
        lineStart = i + 1;
      }
    }
    throw EXmlParseError(message, line, at - lineStart + 1);
  }

  [[noreturn]] void Unterminated(const TXmlNode& element, std::size_t start) const {
    Fail("Unterminated element <" + element.Name + ">", start);
  }

  bool StartsWith(std::string_view prefix) const { return S_.substr(P_, prefix.size()) == prefix; }
  bool StartsWithIgnoringCase(std::string_view prefix) const {
    return EqualsIgnoringCase(S_.substr(P_, prefix.size()), prefix);
  }
  void SkipSpace() {
    while (P_ < S_.size() && IsSpace(S_[P_])) ++P_;
  }

  bool IsDeclarationStart() const {
    return StartsWithIgnoringCase("<?xml") && P_ + 5 < S_.size() &&
           (IsSpace(S_[P_ + 5]) || S_[P_ + 5] == '?');
  }

  std::string_view ReadName() {
    const std::size_t start = P_;
    while (P_ < S_.size() && !IsNameStop(S_[P_])) ++P_;
    return S_.substr(start, P_ - start);
  }

  // A node kept as its own text: from the current '<' up to and including the
  // terminator.
  TXmlNode ReadRaw(TXmlNodeKind kind, std::size_t openLength, std::string_view terminator,
                   const char* unterminated) {
    const std::size_t start = P_;
    const std::size_t end = S_.find(terminator, P_ + openLength);
    if (end == std::string_view::npos) Fail(unterminated, start);
    P_ = end + terminator.size();
    return TXmlNode::MakeRaw(kind, std::string(S_.substr(start, P_ - start)));
  }

  TXmlNode ReadDocumentType() {
    const std::size_t start = P_;
    int brackets = 0;
    char quote = 0;
    for (std::size_t i = P_ + 2; i < S_.size(); ++i) {
      const char c = S_[i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '[') {
        ++brackets;
      } else if (c == ']') {
        --brackets;
      } else if (c == '>' && brackets <= 0) {
        P_ = i + 1;
        return TXmlNode::MakeRaw(TXmlNodeKind::DocumentType, std::string(S_.substr(start, P_ - start)));
      }
    }
    Fail("Unterminated document type declaration", start);
  }

  // One name="value" pair; P_ is at the name.
  TXmlAttribute ReadAttribute() {
    const std::string_view name = ReadName();
    if (name.empty()) Fail("Attribute name expected", P_);
    SkipSpace();
    if (P_ >= S_.size() || S_[P_] != '=') Fail("'=' expected after attribute name", P_);
    ++P_;
    SkipSpace();
    if (P_ >= S_.size() || (S_[P_] != '"' && S_[P_] != '\'')) Fail("Quoted attribute value expected", P_);
    const char quote = S_[P_];
    const std::size_t valueStart = P_ + 1;
    const void* close = std::memchr(S_.data() + valueStart, quote, S_.size() - valueStart);
    if (!close) Fail("Unterminated attribute value", P_);
    const std::size_t valueEnd = std::size_t(static_cast<const char*>(close) - S_.data());
    P_ = valueEnd + 1;
    return {DecodeReferences(name), DecodeReferences(S_.substr(valueStart, valueEnd - valueStart))};
  }

  TXmlNode ReadDeclaration() {
    const std::size_t start = P_;
    P_ += 5;
    TXmlNode declaration(TXmlNodeKind::Declaration);
    for (;;) {
      SkipSpace();
      if (P_ >= S_.size()) Fail("Unterminated XML declaration", start);
      if (StartsWith("?>")) {
        P_ += 2;
        return declaration;
      }
      if (S_[P_] == '<' || S_[P_] == '>') Fail("Unterminated XML declaration", start);
      declaration.Attributes.push_back(ReadAttribute());
    }
  }

  // P_ is at the '<' of a start tag.
  TXmlNode ReadElement(int depth) {
    const std::size_t start = P_;
    ++P_;
    const std::string_view rawName = ReadName();
    if (rawName.empty()) Fail("Element name expected", P_);
    TXmlNode element = TXmlNode::MakeElement(DecodeReferences(rawName));

    for (;;) {
      SkipSpace();
      if (P_ >= S_.size()) Unterminated(element, start);
      const char c = S_[P_];
      if (c == '/') {
        if (P_ + 1 >= S_.size()) Unterminated(element, start);
        if (S_[P_ + 1] != '>') Fail("'>' expected after '/'", P_ + 1);
        P_ += 2;
        return element;
      }
      if (c == '>') {
        ++P_;
        break;
      }
      if (c == '<') Unterminated(element, start);
      // Library elements carry up to four attributes: one allocation for them.
      if (element.Attributes.empty()) element.Attributes.reserve(4);
      element.Attributes.push_back(ReadAttribute());
    }

    const std::size_t first = Scratch_[std::size_t(depth)].size();
    for (;;) {
      const std::size_t textStart = P_;
      const void* lt = std::memchr(S_.data() + P_, '<', S_.size() - P_);
      if (!lt) Unterminated(element, start);
      P_ = std::size_t(static_cast<const char*>(lt) - S_.data());
      AddText(Scratch_[std::size_t(depth)], textStart, P_);

      if (StartsWith("</")) {
        const std::size_t endTag = P_;
        P_ += 2;
        const std::string endName = DecodeReferences(ReadName());
        SkipSpace();
        if (P_ >= S_.size()) Unterminated(element, start);
        if (S_[P_] != '>') Fail("'>' expected in end tag", P_);
        ++P_;
        if (endName != element.Name)
          Fail("End tag </" + endName + "> does not match <" + element.Name + ">", endTag);
        // Children gather in a buffer kept per depth and move out once, at
        // their exact count: one allocation per parent instead of a chain
        // of growing ones, which dominated reading large libraries.
        std::vector<TXmlNode>& children = Scratch_[std::size_t(depth)];
        element.Children.reserve(children.size() - first);
        element.Children.assign(std::make_move_iterator(children.begin() + std::ptrdiff_t(first)),
                                std::make_move_iterator(children.end()));
        children.resize(first);
        return element;
      }
      if (StartsWith("<!--")) {
        Scratch_[std::size_t(depth)].push_back(ReadRaw(TXmlNodeKind::Comment, 4, "-->", "Unterminated comment"));
      } else if (StartsWith("<![CDATA[")) {
        Scratch_[std::size_t(depth)].push_back(ReadRaw(TXmlNodeKind::CData, 9, "]]>", "Unterminated CDATA section"));
      } else if (StartsWith("<?")) {
        Scratch_[std::size_t(depth)].push_back(ReadRaw(TXmlNodeKind::ProcessingInstruction, 2, "?>",
                                           "Unterminated processing instruction"));
      } else if (StartsWith("<!")) {
        Fail("Unexpected markup inside an element", P_);
      } else {
        if (depth + 1 > MaxDepth) Fail("Elements nested too deeply", P_);
        TXmlNode child = ReadElement(depth + 1);
        Scratch_[std::size_t(depth)].push_back(std::move(child));
      }
    }
  }

  // Character data between markup becomes a child unless it is blank; it is
  // kept raw and trimmed so that it writes back as it was read.
  void AddText(std::vector<TXmlNode>& children, std::size_t begin, std::size_t end) const {
    while (begin < end && IsSpace(S_[begin])) ++begin;
    while (end > begin && IsSpace(S_[end - 1])) --end;
    if (begin < end)
      children.push_back(TXmlNode::MakeRaw(TXmlNodeKind::Text, std::string(S_.substr(begin, end - begin))));
  }

  std::string_view S_;
  std::size_t P_ = 0;
  std::vector<std::vector<TXmlNode>> Scratch_;  // children being read, by depth
};

}  // namespace

TXmlDocument ParseXml(std::string_view text) { return TXmlReader(text).Read(); }

}  // namespace kelta
