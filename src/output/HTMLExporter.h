#pragma once
// Text-art HTML: a picture scaled down to a grid of character cells, every
// cell printed as one character of a repeating sequence in the cell's colour
// (or its grey level).

#include <cstdint>
#include <string>

#include "imaging/FastDIB.h"

namespace kelta {

enum class THtmlArtMode { hamColor, hamGray };
using enum THtmlArtMode;

// Size of one character cell in pixels: the font's height plus its external
// leading, and its average character width. Only the proportion matters.
struct TCharCell {
  int Height = 13;
  int Width = 5;
};

struct TCharGrid {
  std::int32_t Columns = 0;
  std::int32_t Rows = 0;
  friend bool operator==(const TCharGrid&, const TCharGrid&) = default;
};

// a * b / c with a 64-bit product, rounded half away from zero; -1 for c = 0.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

// "RRGGBB" in upper-case hexadecimal.
std::string ColorToHtmlHex(COLORREF colour);

// The grid that keeps the picture's proportions within the maxima (0 = no limit).
TCharGrid FitToCharGrid(const TFastDIB& bitmap, std::int32_t maxColumns, std::int32_t maxRows,
                        std::int32_t cellHeight, std::int32_t cellWidth);

// A new 24-bit picture of the grid's size; every cell takes the colour of one
// source pixel (no averaging). Empty when the grid is.
TFastDIB ScaleToCharGrid(const TFastDIB& bitmap, std::int32_t maxColumns, std::int32_t maxRows, TCharCell cell);

// The page text: header, the picture as <TT> text with <FONT COLOR> tags, footer.
// Raises std::length_error when the page would not fit in memory.
std::string BitmapToHtml(const TFastDIB& bitmap, const std::string& chars, const std::string& header,
                         const std::string& footer, std::int32_t maxColumns, THtmlArtMode mode, TCharCell cell);

}  // namespace kelta
