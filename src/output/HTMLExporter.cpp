#include "output/HTMLExporter.h"

#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace kelta {

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (c == 0) return -1;
  const std::int64_t num = std::int64_t(a) * b;
  std::int64_t q = num / c;
  const std::int64_t r = num % c;
  // Round half away from zero: |2r| >= |c| moves one step away from zero.
  if (2 * std::llabs(r) >= std::llabs(c)) q += ((num < 0) != (c < 0)) ? -1 : 1;
  if (q > std::numeric_limits<std::int32_t>::max() || q < std::numeric_limits<std::int32_t>::min()) return -1;
  return static_cast<std::int32_t>(q);
}

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendHexByte(std::string& out, unsigned v) {
  out += kHex[(v >> 4) & 15];
  out += kHex[v & 15];
}

}  // namespace

std::string ColorToHtmlHex(COLORREF colour) {
  std::string s;
  AppendHexByte(s, colour & 0xFF);
  AppendHexByte(s, (colour >> 8) & 0xFF);
  AppendHexByte(s, (colour >> 16) & 0xFF);
  return s;
}

TCharGrid FitToCharGrid(const TFastDIB& bitmap, std::int32_t maxColumns, std::int32_t maxRows,
                        std::int32_t cellHeight, std::int32_t cellWidth) {
  TCharGrid grid;
  grid.Columns = MulDiv(bitmap.Width(), cellHeight, cellWidth);
  grid.Rows = bitmap.RowCount();
  if (grid.Columns <= 0 || grid.Rows <= 0) return {};  // nothing to draw
  if (maxColumns == 0) maxColumns = grid.Columns;
  if (maxRows == 0) maxRows = grid.Rows;
  if (maxColumns >= grid.Columns && maxRows >= grid.Rows) return grid;
  // maxRows / rows > maxColumns / columns, compared exactly by cross products.
  if (std::int64_t(maxRows) * grid.Columns > std::int64_t(maxColumns) * grid.Rows) {
    grid.Rows = MulDiv(grid.Rows, maxColumns, grid.Columns);
    grid.Columns = maxColumns;
  } else {
    grid.Columns = MulDiv(grid.Columns, maxRows, grid.Rows);
    grid.Rows = maxRows;
  }
  if (grid.Columns <= 0 || grid.Rows <= 0) return {};
  return grid;
}

TFastDIB ScaleToCharGrid(const TFastDIB& bitmap, std::int32_t maxColumns, std::int32_t maxRows, TCharCell cell) {
  TFastDIB small;
  if (!bitmap.HoldsBgr24()) return small;
  const TCharGrid grid = FitToCharGrid(bitmap, maxColumns, maxRows, cell.Height, cell.Width);
  if (grid.Columns <= 0 || grid.Rows <= 0) return small;
  small.SetSize(grid.Columns, grid.Rows, 24);
  if (!small.Bits()) return small;
  const std::int64_t sw = bitmap.Width(), sh = bitmap.RowCount();
  // Point sampling at each cell's centre, in 64-bit so huge pictures cannot overflow.
  for (std::int32_t y = 0; y < grid.Rows; ++y) {
    const int sy = static_cast<int>((2 * y + 1) * sh / (2 * std::int64_t(grid.Rows)));
    std::uint8_t* dst = small.PixelPtr(0, y);
    for (std::int32_t x = 0; x < grid.Columns; ++x, dst += 3) {
      const int sx = static_cast<int>((2 * x + 1) * sw / (2 * std::int64_t(grid.Columns)));
      const std::uint8_t* src = bitmap.PixelPtr(sx, sy);
      dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
    }
  }
  return small;
}

namespace {

// The most one cell can add: a closing tag, an opening tag and "&nbsp;".
constexpr std::size_t kCloseTag = 7;             // </FONT>
constexpr std::size_t kOpenTag = 22;             // <FONT COLOR="#RRGGBB">
constexpr std::size_t kMaxPerCell = kCloseTag + kOpenTag + 6;

void AppendColourTag(std::string& out, unsigned r, unsigned g, unsigned b) {
  out += "<FONT COLOR=\"#";
  AppendHexByte(out, r);
  AppendHexByte(out, g);
  AppendHexByte(out, b);
  out += "\">";
}

}  // namespace

std::string BitmapToHtml(const TFastDIB& bitmap, const std::string& chars, const std::string& header,
                         const std::string& footer, std::int32_t maxColumns, THtmlArtMode mode, TCharCell cell) {
  const TFastDIB small = ScaleToCharGrid(bitmap, maxColumns, 0, cell);
  const std::int32_t columns = small.Bits() ? small.Width() : 0;
  const std::int32_t rows = small.Bits() ? small.RowCount() : 0;

  // One buffer, sized once from an upper bound and cut to length at the end.
  const std::size_t cells = std::size_t(columns) * std::size_t(rows);
  if (cells && cells > (std::string().max_size() - header.size() - footer.size()) / (kMaxPerCell + 4))
    throw std::length_error("The picture is too large for an HTML page");
  std::string out;
  out.resize(header.size() + footer.size() + 4 * std::size_t(rows) + 9 + kMaxPerCell * cells + kCloseTag);
  char* p = out.data();
  auto put = [&p](const char* s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) *p++ = s[i];
  };
  auto putStr = [&put](const std::string& s) { put(s.data(), s.size()); };
  std::string tag;  // scratch for one colour tag
  tag.reserve(kOpenTag);

  putStr(header);
  put("<TT>", 4);
  std::size_t cursor = 0;
  bool havePixel = false;
  std::uint32_t lastPixel = 0;
  int lastGrey = -1;
  for (std::int32_t y = 0; y < rows; ++y) {
    if (y > 0) put("<BR>", 4);
    const std::uint8_t* px = small.PixelPtr(0, y);
    for (std::int32_t x = 0; x < columns; ++x, px += 3) {
      const unsigned b = px[0], g = px[1], r = px[2];
      const std::uint32_t value = b | (g << 8) | (r << 16);
      if (!havePixel || value != lastPixel) {
        tag.clear();
        if (mode == hamColor) {
          if (havePixel) put("</FONT>", kCloseTag);
          AppendColourTag(tag, r, g, b);
        } else {
          const int grey = static_cast<int>((30 * r + 59 * g + 11 * b) / 100);
          if (grey != lastGrey) {
            if (lastGrey >= 0) put("</FONT>", kCloseTag);
            AppendColourTag(tag, grey, grey, grey);
            lastGrey = grey;
          }
        }
        putStr(tag);
        lastPixel = value;
        havePixel = true;
      }
      if (!chars.empty()) {
        if (chars[cursor] == ' ')
          put("&nbsp;", 6);
        else
          *p++ = chars[cursor];
        if (++cursor == chars.size()) cursor = 0;
      }
    }
  }
  if (havePixel) put("</FONT>", kCloseTag);
  put("</TT>", 5);
  putStr(footer);
  out.resize(static_cast<std::size_t>(p - out.data()));
  return out;
}

}  // namespace kelta
