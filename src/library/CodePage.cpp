#include "library/CodePage.h"

#include <cstdint>

namespace kelta {

namespace {

// Windows-1252 for 0x80..0x9F; the five bytes it leaves undefined map to the
// C1 controls of the same value, as the system's own conversion does.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one UTF-8 sequence at bytes[i]; returns its length, 0 when invalid.
std::size_t DecodeUtf8(std::string_view bytes, std::size_t i, char32_t& codePoint) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  const unsigned char lead = at(i);
  std::size_t length;
  char32_t value;
  char32_t minimum;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + length > bytes.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char c = at(i + k);
    if ((c & 0xC0) != 0x80) return 0;
    value = (value << 6) | (c & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  codePoint = value;
  return length;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  char32_t codePoint;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = DecodeUtf8(bytes, i, codePoint);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::u16string AnsiToWide(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  if (IsValidUtf8(bytes)) {
    char32_t codePoint = 0;
    for (std::size_t i = 0; i < bytes.size();) {
      i += DecodeUtf8(bytes, i, codePoint);
      if (codePoint >= 0x10000) {
        codePoint -= 0x10000;
        out.push_back(char16_t(0xD800 + (codePoint >> 10)));
        out.push_back(char16_t(0xDC00 + (codePoint & 0x3FF)));
      } else {
        out.push_back(char16_t(codePoint));
      }
    }
    return out;
  }
  for (char byte : bytes) {
    const unsigned char c = static_cast<unsigned char>(byte);
    out.push_back(c >= 0x80 && c < 0xA0 ? Cp1252High[c - 0x80] : char16_t(c));
  }
  return out;
}

std::string WideToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(char(c));
    } else if (c < 0x800) {
      out.push_back(char(0xC0 | (c >> 6)));
      out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(char(0xE0 | (c >> 12)));
      out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(char(0x80 | (c & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (c >> 18)));
      out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(char(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

}  // namespace kelta
