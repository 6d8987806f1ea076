#pragma once
// Where the print window puts a picture and its caption lines on the page,
// free of any widget. The page is the sheet of the printer's paper in page
// pixels (96 per inch); nothing is placed where the printer cannot print, and
// the picture keeps its proportions on any paper: it is as wide as the
// margins allow, or less where that would run past the bottom margin.

#include "output/PrintPreviewLayout.h"

namespace kelta {

constexpr int PagePixelsPerInch = 96;

// The sheet and the margins the printer cannot print on, in page pixels.
struct TPrintPaper {
  int Width = 816;  // Letter: 8.5 x 11 inches
  int Height = 1056;
  int PrinterLeft = 0, PrinterTop = 0, PrinterRight = 0, PrinterBottom = 0;
  friend bool operator==(const TPrintPaper&, const TPrintPaper&) = default;
};

struct TPrintPagePlan {
  TPreviewRect Image;  // empty (0 x 0) when the page has no room or the picture no size
  int NameTop = 0;     // tops of the caption lines, when shown
  int MemoTop = 0;     // the memo's first line; the others follow, memoHeight apart
  int MemoLines = 0;   // how many of the memo's lines the page shows
  // The column the picture and the caption lines share: between the margins
  // and inside what the printer can print.
  int TextLeft = 0;
  int TextWidth = 0;
};

class TPrintPageLayout {
 public:
  static constexpr int Margin = 96;         // one inch left, right and below
  static constexpr int TopWithoutText = 50;

  // The picture of imageWidth x imageHeight, with the caption lines of the
  // given heights above it when withText: the name, a blank line, then the
  // memo's memoLines lines (at least one place is kept for it). A memo that
  // would leave the picture less than half the height it has beside a
  // one-line memo shows only the lines that fit (MemoLines).
  static TPrintPagePlan Plan(const TPrintPaper& paper, int imageWidth, int imageHeight, bool withText,
                             int nameHeight, int memoHeight, int memoLines = 1);
  // The width of the text column (TPrintPagePlan::TextWidth) on that paper:
  // what the memo is wrapped to.
  static int TextWidth(const TPrintPaper& paper);
};

}  // namespace kelta
