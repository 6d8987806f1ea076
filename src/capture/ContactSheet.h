#pragma once
// A contact sheet of a capture: the stills in a grid, each at the sheet's
// cell width in its true shape with its timecode (and chapter) under it, and
// a heading that names the source. Here the content and where everything
// lies; the text is drawn by the Qt side (ui/ContactSheetPainter.h).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/FastDIB.h"

namespace kelta {

inline constexpr int SheetCellWidth = 320;
inline constexpr int SheetMargin = 24;
inline constexpr int SheetGap = 16;

struct TSheetCell {
  TFastDIB Picture;  // the still at SheetCellWidth, its shape kept
  std::string Label;
};

struct TContactSheet {
  std::string Heading;
  std::int32_t Columns = 4;
  std::vector<TSheetCell> Cells;
};

// The still as its cell shows it: SheetCellWidth wide, as many rows as its
// shape asks (at least one), resampled bilinearly.
TFastDIB SheetCellPicture(const TFastDIB& still);

struct TSheetLayout {
  int Width = 0;
  int Height = 0;
  TRect Heading;
  std::vector<TRect> Pictures;  // one a cell, in the cells' order
  std::vector<TRect> Labels;
};

// Rows as high as their highest picture plus a label line of `lineHeight`.
TSheetLayout LayOutSheet(const TContactSheet& sheet, int lineHeight);

// Writes the sheet to a file (PNG or PDF, by its extension); throws
// std::runtime_error when it cannot.
using TSheetWriter = std::function<void(const TContactSheet& sheet, const std::string& file)>;

}  // namespace kelta
