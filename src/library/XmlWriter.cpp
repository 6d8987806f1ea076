// The writer of the library file. Its layout is fixed byte for byte, because
// libraries travel between installations and are compared by their bytes:
// CR LF after every line, two spaces per depth, childless elements in
// empty-element form, and every byte from 0x80 written as a hexadecimal
// reference so that the file stays 7-bit ASCII whatever the names hold.
//
// Whatever the reader accepts must come back out so that it reads back the
// same. The reader decodes references in names as well as in values, so a
// name may hold any byte: every byte that would end a name or cannot stand in
// one raw is written as a reference too, and so is a leading '!' or '?',
// which would turn the tag into other markup. Comments, CDATA sections,
// processing instructions and text are written as read: each one's raw text
// ends at the first terminator the reader looks for, so it reads back whole.
//
// The file image is built in one buffer sized from the document up front
// and filled through a pointer; values are copied sixteen bytes at a time
// until a byte that needs a reference turns up.

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "library/XmlDocument.h"

namespace kelta {

namespace {

constexpr std::string_view LineEnd = "\r\n";
// The longest reference a single byte becomes: "&#xNN;" or "&quot;".
constexpr std::size_t MaxEscapedLength = 6;
// Room for one sixteen-byte store past the end of what is written.
constexpr std::size_t StoreSlack = 16;

bool NeedsEscape(unsigned char c) {
  return c >= 0x80 || c == '"' || c == '&' || c == '\'' || c == '<' || c == '>';
}

// Bytes written raw in a name: printable ASCII except what ends a name for
// the reader (blanks, '/', '=', '<', '>', quotes) and the ampersand.
constexpr auto NameBytes = [] {
  struct {
    bool Raw[256] = {};
  } table;
  for (unsigned c = 0x21; c < 0x7F; ++c) table.Raw[c] = true;
  for (const unsigned char c : {'/', '=', '<', '>', '"', '\'', '&'}) table.Raw[c] = false;
  return table;
}();

class TOutput {
 public:
  explicit TOutput(std::size_t expected) { Buffer_.resize(expected + StoreSlack); }

  // Makes room for at least n more bytes plus the store slack.
  void Reserve(std::size_t n) {
    if (Size_ + n + StoreSlack > Buffer_.size())
      Buffer_.resize(std::max(Buffer_.size() * 2, Size_ + n + StoreSlack));
  }

  void Append(std::string_view text) {
    Reserve(text.size());
    std::memcpy(Buffer_.data() + Size_, text.data(), text.size());
    Size_ += text.size();
  }
  void Append(char c) {
    Reserve(1);
    Buffer_[Size_++] = c;
  }
  void Spaces(std::size_t n) {
    Reserve(n);
    std::memset(Buffer_.data() + Size_, ' ', n);
    Size_ += n;
  }

  void AppendEscaped(std::string_view text) {
    Reserve(text.size() * MaxEscapedLength);
    char* w = Buffer_.data() + Size_;
    const char* p = text.data();
    const char* const end = p + text.size();
#if defined(__SSE2__)
    if (text.size() >= 16) {
      const __m128i quote = _mm_set1_epi8('"');
      const __m128i amp = _mm_set1_epi8('&');
      const __m128i apos = _mm_set1_epi8('\'');
      const __m128i lt = _mm_set1_epi8('<');
      const __m128i gt = _mm_set1_epi8('>');
      const auto specials = [&](const char* at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i special = _mm_or_si128(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, amp)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, apos), _mm_cmpeq_epi8(v, lt))),
            _mm_or_si128(_mm_cmpeq_epi8(v, gt), v));  // the sign bit marks 0x80 and up
        return unsigned(_mm_movemask_epi8(special));
      };
      while (end - p >= 16) {
        const unsigned mask = specials(p);
        // The sixteen bytes are stored whole; the bytes past the first
        // special one are overwritten next. The slack allows the store.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(w), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        if (!mask) {
          w += 16;
          p += 16;
          continue;
        }
        const unsigned plain = unsigned(__builtin_ctz(mask));
        w = Escape(w + plain, static_cast<unsigned char>(p[plain]));
        p += plain + 1;
      }
      // The last few bytes: the sixteen that end the value, with those
      // already written masked off.
      while (p < end) {
        const std::size_t left = std::size_t(end - p);
        const unsigned mask = specials(end - 16) >> (16 - left);
        const std::size_t plain = mask ? unsigned(__builtin_ctz(mask)) : left;
        std::memcpy(w, p, plain);
        w += plain;
        p += plain;
        if (p < end) w = Escape(w, static_cast<unsigned char>(*p++));
      }
      Size_ = std::size_t(w - Buffer_.data());
      return;
    }
#endif
    for (; p < end; ++p) {
      const unsigned char c = static_cast<unsigned char>(*p);
      if (NeedsEscape(c)) w = Escape(w, c);
      else *w++ = char(c);
    }
    Size_ = std::size_t(w - Buffer_.data());
  }

  // A name: the bytes a value escapes get the same references, so that an
  // ordinary name is written as it always was; any other byte that cannot
  // stand raw gets a decimal reference.
  void AppendName(std::string_view name) {
    Reserve(name.size() * MaxEscapedLength);
    char* w = Buffer_.data() + Size_;
    for (std::size_t i = 0; i < name.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(name[i]);
      if (NameBytes.Raw[c] && !(i == 0 && (c == '!' || c == '?'))) *w++ = char(c);
      else if (NeedsEscape(c)) w = Escape(w, c);
      else w = DecimalReference(w, c);
    }
    Size_ = std::size_t(w - Buffer_.data());
  }

  std::string Take() && {
    Buffer_.resize(Size_);
    return std::move(Buffer_);
  }

 private:
  static char* Escape(char* w, unsigned char c) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string_view reference;
    switch (c) {
      case '"': reference = "&quot;"; break;
      case '&': reference = "&amp;"; break;
      case '\'': reference = "&apos;"; break;
      case '<': reference = "&lt;"; break;
      case '>': reference = "&gt;"; break;
      default: {
        const char hex[6] = {'&', '#', 'x', Hex[c >> 4], Hex[c & 15], ';'};
        std::memcpy(w, hex, sizeof hex);
        return w + sizeof hex;
      }
    }
    std::memcpy(w, reference.data(), reference.size());
    return w + reference.size();
  }

  // "&#N;" with up to three digits: no longer than MaxEscapedLength.
  static char* DecimalReference(char* w, unsigned char c) {
    *w++ = '&';
    *w++ = '#';
    if (c >= 100) *w++ = char('0' + c / 100);
    if (c >= 10) *w++ = char('0' + c / 10 % 10);
    *w++ = char('0' + c % 10);
    *w++ = ';';
    return w;
  }

  std::string Buffer_;
  std::size_t Size_ = 0;
};

// The length of the node's lines when nothing needs a reference; a close
// estimate of the file size that saves regrowing the buffer.
std::size_t PlainLength(const TXmlNode& node, std::size_t depth) {
  if (!node.IsElement()) return 2 * depth + node.Raw.size() + LineEnd.size();
  std::size_t length = 2 * depth + 1 + node.Name.size() + 2 + LineEnd.size();
  for (const TXmlAttribute& attribute : node.Attributes) length += 4 + attribute.Name.size() + attribute.Value.size();
  if (!node.Children.empty()) {
    length += 2 * depth + 3 + node.Name.size() + LineEnd.size();
    for (const TXmlNode& child : node.Children) length += PlainLength(child, depth + 1);
  }
  return length;
}

void AppendAttributes(TOutput& out, const std::vector<TXmlAttribute>& attributes) {
  for (const TXmlAttribute& attribute : attributes) {
    out.Append(' ');
    out.AppendName(attribute.Name);
    out.Append("=\"");
    out.AppendEscaped(attribute.Value);
    out.Append('"');
  }
}

// The declaration as the document holds it: its pseudo-attributes in their
// order and spelling. The library's own form of it is the caller's business.
void AppendDeclaration(TOutput& out, const TXmlNode& declaration) {
  out.Append("<?xml");
  AppendAttributes(out, declaration.Attributes);
  out.Append("?>");
}

void AppendNode(TOutput& out, const TXmlNode& node, std::size_t depth) {
  out.Spaces(2 * depth);
  if (!node.IsElement()) {
    out.Append(node.Raw);
    out.Append(LineEnd);
    return;
  }
  out.Append('<');
  out.AppendName(node.Name);
  AppendAttributes(out, node.Attributes);
  if (node.Children.empty()) {
    out.Append("/>\r\n");
    return;
  }
  out.Append(">\r\n");
  for (const TXmlNode& child : node.Children) AppendNode(out, child, depth + 1);
  out.Spaces(2 * depth);
  out.Append("</");
  out.AppendName(node.Name);
  out.Append(">\r\n");
}

}  // namespace

std::string WriteXml(const TXmlDocument& document) {
  std::size_t expected = PlainLength(document.Root, 0) + 64;
  for (const TXmlNode& item : document.Prolog) expected += item.Raw.size() + 64;
  for (const TXmlNode& item : document.Epilog) expected += item.Raw.size() + LineEnd.size();
  // Names and memos bring a few references; an eighth more covers most.
  TOutput out(expected + expected / 8);
  for (const TXmlNode& item : document.Prolog) {
    if (item.Kind == TXmlNodeKind::Declaration)
      AppendDeclaration(out, item);
    else
      out.Append(item.Raw);
    out.Append(LineEnd);
  }
  AppendNode(out, document.Root, 0);
  for (const TXmlNode& item : document.Epilog) {
    out.Append(item.Raw);
    out.Append(LineEnd);
  }
  return std::move(out).Take();
}

}  // namespace kelta
