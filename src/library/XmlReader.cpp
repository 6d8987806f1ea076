// The reader of the library file. It takes what the writer produces and is
// lenient beyond it, because libraries also come from hand edits and from
// older writers: junk bytes before the root, any root and child names, single
// or double quotes, references in any letter case, each numeric reference as
// one byte. What it cannot make sense of is an error with a position, never a
// guess, so that a damaged library is reported instead of being half read.
//
// A large library is read in one pass over the buffer. Most of the time goes
// into allocating the values, so the reader builds every node where it stays
// (or moves it once), sizes each value string exactly, and decodes
// references only in values that hold an ampersand.

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "library/XmlDocument.h"

namespace kelta {

namespace {

// Deeper than any library; the limit keeps a hostile file from exhausting
// the stack of the recursive reader and writer.
constexpr int MaxDepth = 1000;

enum : unsigned char { ClassSpace = 1, ClassNameStop = 2, ClassReference = 4 };

constexpr auto CharClasses = [] {
  struct {
    unsigned char Of[256] = {};
  } table;
  for (const unsigned char c : {' ', '\t', '\r', '\n'}) table.Of[c] |= ClassSpace | ClassNameStop;
  for (const unsigned char c : {'/', '>', '<', '=', '"', '\''}) table.Of[c] |= ClassNameStop;
  for (unsigned c = '0'; c <= '9'; ++c) table.Of[c] |= ClassReference;
  for (unsigned c = 'a'; c <= 'z'; ++c) table.Of[c] |= ClassReference;
  for (unsigned c = 'A'; c <= 'Z'; ++c) table.Of[c] |= ClassReference;
  table.Of[unsigned('#')] |= ClassReference;
  return table;
}();

bool Is(char c, unsigned char classes) { return (CharClasses.Of[static_cast<unsigned char>(c)] & classes) != 0; }
bool IsSpace(char c) { return Is(c, ClassSpace); }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// The first byte in [p, end) equal to a or b; end when there is none. Values
// are short, so an inline scan beats two library calls per value.
const char* FindEither(const char* p, const char* end, char a, char b) {
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi8(a);
  const __m128i vb = _mm_set1_epi8(b);
  for (; end - p >= 16; p += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)));
    if (mask) return p + __builtin_ctz(unsigned(mask));
  }
#endif
  for (; p < end; ++p)
    if (*p == a || *p == b) return p;
  return end;
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

// Decodes the reference at raw[amp] ('&') into one byte. Returns the index
// after it, or 0 when it is no reference and the ampersand stays text.
std::size_t DecodeReference(std::string_view raw, std::size_t amp, char& decoded) {
  // A reference is letters, digits or '#' up to a ';'. Stopping at any other
  // byte keeps the scan linear whatever the value holds.
  // The writer's own spellings first: they are nearly all there is.
  const std::string_view rest = raw.substr(amp + 1);
  if (rest.size() >= 3 && rest[2] == ';' && rest[1] == 't' && (rest[0] == 'l' || rest[0] == 'g')) {
    decoded = rest[0] == 'l' ? '<' : '>';
    return amp + 4;
  }
  if (rest.size() >= 4 && rest.compare(0, 4, "amp;") == 0) {
    decoded = '&';
    return amp + 5;
  }
  std::size_t semi = amp + 1;
  while (semi < raw.size() && Is(raw[semi], ClassReference)) ++semi;
  if (semi >= raw.size() || raw[semi] != ';') return 0;
  const std::string_view body = raw.substr(amp + 1, semi - amp - 1);
  if (!body.empty() && body[0] == '#') {
    const bool hex = body.size() > 1 && Lower(body[1]) == 'x';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty()) return 0;
    std::uint32_t value = 0;
    for (char c : digits) {
      unsigned digit;
      if (c >= '0' && c <= '9') digit = unsigned(c - '0');
      else if (hex && Lower(c) >= 'a' && Lower(c) <= 'f') digit = unsigned(Lower(c) - 'a' + 10);
      else return 0;
      // Wrapping keeps the low byte exact however long the number is.
      value = value * (hex ? 16u : 10u) + digit;
    }
    decoded = char(value & 0xFF);
    return semi + 1;
  }
  decoded = NamedReference(body);
  return decoded ? semi + 1 : 0;
}

// Sets out to raw with the five named references (any letter case) and
// numeric ones decoded, each numeric reference giving the low byte of its
// value; anything else that starts with an ampersand is kept as it stands.
// amp is the position of the first '&' in raw, or npos.
void AssignDecoded(std::string& out, std::string_view raw, std::size_t amp) {
  if (amp == std::string_view::npos) {
    out.assign(raw.data(), raw.size());
    return;
  }
  // Decoding only shortens, so the raw length is enough.
  out.resize(raw.size());
  char* const begin = out.data();
  char* w = begin;
  std::size_t pos = 0;
  while (amp != std::string_view::npos) {
    std::memcpy(w, raw.data() + pos, amp - pos);
    w += amp - pos;
    char decoded = 0;
    const std::size_t next = DecodeReference(raw, amp, decoded);
    if (next) {
      *w++ = decoded;
      pos = next;
    } else {
      *w++ = '&';
      pos = amp + 1;
    }
    amp = raw.find('&', pos);
  }
  std::memcpy(w, raw.data() + pos, raw.size() - pos);
  w += raw.size() - pos;
  out.resize(std::size_t(w - begin));
}

void AssignDecoded(std::string& out, std::string_view raw) { AssignDecoded(out, raw, raw.find('&')); }

class TXmlReader {
 public:
  explicit TXmlReader(std::string_view text) : S_(text) {}

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
          ReadDeclaration(document.Prolog.emplace_back(TXmlNodeKind::Declaration));
        else
          ReadRaw(document.Prolog, TXmlNodeKind::ProcessingInstruction, 2, "?>",
                  "Unterminated processing instruction");
      } else if (StartsWith("<!--")) {
        ReadRaw(document.Prolog, TXmlNodeKind::Comment, 4, "-->", "Unterminated comment");
      } else if (StartsWithIgnoringCase("<!DOCTYPE")) {
        ReadDocumentType(document.Prolog);
      } else if (StartsWith("<!")) {
        Fail("Unexpected markup before the root element", P_);
      } else {
        ReadElement(document.Root, 0);
        break;
      }
    }
    for (;;) {
      while (P_ < S_.size() && (IsSpace(S_[P_]) || S_[P_] == '\0')) ++P_;
      if (P_ >= S_.size()) break;
      if (StartsWith("<!--"))
        ReadRaw(document.Epilog, TXmlNodeKind::Comment, 4, "-->", "Unterminated comment");
      else if (StartsWith("<?"))
        ReadRaw(document.Epilog, TXmlNodeKind::ProcessingInstruction, 2, "?>", "Unterminated processing instruction");
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
    if (P_ >= S_.size() || !IsSpace(S_[P_])) return;
#if defined(__SSE2__)
    // Line breaks and indentation sixteen bytes at a time.
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (S_.size() - P_ >= 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(S_.data() + P_));
      const __m128i blank = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, space), _mm_cmpeq_epi8(v, tab)),
                                         _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
      const unsigned other = ~unsigned(_mm_movemask_epi8(blank)) & 0xFFFFu;
      if (other) {
        P_ += unsigned(__builtin_ctz(other));
        return;
      }
      P_ += 16;
    }
#endif
    while (P_ < S_.size() && IsSpace(S_[P_])) ++P_;
  }

  bool IsDeclarationStart() const {
    return StartsWithIgnoringCase("<?xml") && P_ + 5 < S_.size() &&
           (IsSpace(S_[P_ + 5]) || S_[P_ + 5] == '?');
  }

  std::string_view ReadName() {
    const std::size_t start = P_;
    while (P_ < S_.size() && !Is(S_[P_], ClassNameStop)) ++P_;
    return S_.substr(start, P_ - start);
  }

  // A node kept as its own text: from the current '<' up to and including the
  // terminator.
  void ReadRaw(std::vector<TXmlNode>& into, TXmlNodeKind kind, std::size_t openLength, std::string_view terminator,
               const char* unterminated) {
    const std::size_t start = P_;
    const std::size_t end = S_.find(terminator, P_ + openLength);
    if (end == std::string_view::npos) Fail(unterminated, start);
    P_ = end + terminator.size();
    into.push_back(TXmlNode::MakeRaw(kind, std::string(S_.substr(start, P_ - start))));
  }

  void ReadDocumentType(std::vector<TXmlNode>& into) {
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
        into.push_back(TXmlNode::MakeRaw(TXmlNodeKind::DocumentType, std::string(S_.substr(start, P_ - start))));
        return;
      }
    }
    Fail("Unterminated document type declaration", start);
  }

  // One name="value" pair appended to the list; P_ is at the name.
  void ReadAttribute(std::vector<TXmlAttribute>& attributes) {
    const std::string_view name = ReadName();
    if (name.empty()) Fail("Attribute name expected", P_);
    SkipSpace();
    if (P_ >= S_.size() || S_[P_] != '=') Fail("'=' expected after attribute name", P_);
    ++P_;
    SkipSpace();
    if (P_ >= S_.size() || (S_[P_] != '"' && S_[P_] != '\'')) Fail("Quoted attribute value expected", P_);
    const char quote = S_[P_];
    const char* const text = S_.data();
    const char* const end = text + S_.size();
    const std::size_t valueStart = P_ + 1;
    // One scan finds the closing quote unless an ampersand comes first.
    const char* stop = FindEither(text + valueStart, end, quote, '&');
    std::size_t amp = std::string_view::npos;
    if (stop != end && *stop == '&') {
      amp = std::size_t(stop - text) - valueStart;
      stop = static_cast<const char*>(std::memchr(stop, quote, std::size_t(end - stop)));
      if (!stop) stop = end;
    }
    if (stop == end) Fail("Unterminated attribute value", P_);
    const std::size_t valueEnd = std::size_t(stop - text);
    P_ = valueEnd + 1;
    TXmlAttribute& attribute = attributes.emplace_back();
    AssignDecoded(attribute.Name, name);
    AssignDecoded(attribute.Value, S_.substr(valueStart, valueEnd - valueStart), amp);
  }

  void ReadDeclaration(TXmlNode& declaration) {
    const std::size_t start = P_;
    P_ += 5;
    for (;;) {
      SkipSpace();
      if (P_ >= S_.size()) Fail("Unterminated XML declaration", start);
      if (StartsWith("?>")) {
        P_ += 2;
        return;
      }
      if (S_[P_] == '<' || S_[P_] == '>') Fail("Unterminated XML declaration", start);
      ReadAttribute(declaration.Attributes);
    }
  }

  std::vector<TXmlNode>& Scratch(int depth) {
    // Grown on demand: most libraries are four levels deep.
    while (Scratch_.size() <= std::size_t(depth)) Scratch_.emplace_back();
    return Scratch_[std::size_t(depth)];
  }

  // Reads the element whose start tag is at P_ into element, which is empty.
  void ReadElement(TXmlNode& element, int depth) {
    const std::size_t start = P_;
    ++P_;
    const std::string_view rawName = ReadName();
    if (rawName.empty()) Fail("Element name expected", P_);
    element.Kind = TXmlNodeKind::Element;
    AssignDecoded(element.Name, rawName);

    for (;;) {
      SkipSpace();
      if (P_ >= S_.size()) Unterminated(element, start);
      const char c = S_[P_];
      if (c == '/') {
        if (P_ + 1 >= S_.size()) Unterminated(element, start);
        if (S_[P_ + 1] != '>') Fail("'>' expected after '/'", P_ + 1);
        P_ += 2;
        return;
      }
      if (c == '>') {
        ++P_;
        break;
      }
      if (c == '<') Unterminated(element, start);
      // Library elements carry up to four attributes: one allocation for them.
      if (element.Attributes.empty()) element.Attributes.reserve(4);
      ReadAttribute(element.Attributes);
    }

    // Children gather in a buffer kept per depth and move out once, at their
    // exact count: one allocation per parent instead of a chain of growing
    // ones. Scratch_ itself may grow below, so it is indexed afresh each time.
    const std::size_t first = Scratch(depth).size();
    for (;;) {
      // The usual gap between tags is a line break and indentation.
      const std::size_t textStart = P_;
      SkipSpace();
      if (P_ >= S_.size() || S_[P_] != '<') {
        const void* lt = std::memchr(S_.data() + P_, '<', S_.size() - P_);
        if (!lt) Unterminated(element, start);
        P_ = std::size_t(static_cast<const char*>(lt) - S_.data());
        AddText(Scratch_[std::size_t(depth)], textStart, P_);
      }

      if (StartsWith("</")) {
        const std::size_t endTag = P_;
        P_ += 2;
        const std::string_view rawEndName = ReadName();
        SkipSpace();
        if (P_ >= S_.size()) Unterminated(element, start);
        if (S_[P_] != '>') Fail("'>' expected in end tag", P_);
        ++P_;
        const std::size_t endAmp = rawEndName.find('&');
        if (endAmp != std::string_view::npos || rawEndName != element.Name) {
          std::string endName;
          AssignDecoded(endName, rawEndName, endAmp);
          if (endName != element.Name)
            Fail("End tag </" + endName + "> does not match <" + element.Name + ">", endTag);
        }
        std::vector<TXmlNode>& children = Scratch_[std::size_t(depth)];
        element.Children.reserve(children.size() - first);
        element.Children.assign(std::make_move_iterator(children.begin() + std::ptrdiff_t(first)),
                                std::make_move_iterator(children.end()));
        children.resize(first);
        return;
      }
      std::vector<TXmlNode>& children = Scratch_[std::size_t(depth)];
      if (StartsWith("<!--")) {
        ReadRaw(children, TXmlNodeKind::Comment, 4, "-->", "Unterminated comment");
      } else if (StartsWith("<![CDATA[")) {
        ReadRaw(children, TXmlNodeKind::CData, 9, "]]>", "Unterminated CDATA section");
      } else if (StartsWith("<?")) {
        ReadRaw(children, TXmlNodeKind::ProcessingInstruction, 2, "?>", "Unterminated processing instruction");
      } else if (StartsWith("<!")) {
        Fail("Unexpected markup inside an element", P_);
      } else {
        if (depth + 1 > MaxDepth) Fail("Elements nested too deeply", P_);
        // Read in place: the child's own children gather one level deeper,
        // so this buffer does not move while it is read.
        ReadElement(children.emplace_back(TXmlNodeKind::Element), depth + 1);
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
