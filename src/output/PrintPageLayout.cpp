#include "output/PrintPageLayout.h"

#include <algorithm>

#include "imaging/ImageUtils.h"

namespace kelta {

int TPrintPageLayout::TextWidth(const TPrintPaper& paper) {
  return std::max(0, paper.Width - std::max(Margin, paper.PrinterLeft) - std::max(Margin, paper.PrinterRight));
}

TPrintPagePlan TPrintPageLayout::Plan(const TPrintPaper& paper, int imageWidth, int imageHeight, bool withText,
                                      int nameHeight, int memoHeight, int memoLines) {
  TPrintPagePlan plan;
  const int left = std::max(Margin, paper.PrinterLeft);
  const int right = std::max(Margin, paper.PrinterRight);
  const int bottom = std::max(Margin, paper.PrinterBottom);
  plan.TextLeft = left;
  plan.TextWidth = TextWidth(paper);
  // The caption lines move down together when the printer cannot print as
  // high as the first one would sit.
  int top = TopWithoutText;
  if (withText) {
    const int shift = std::max(0, paper.PrinterTop - nameHeight);
    plan.NameTop = nameHeight + shift;
    plan.MemoTop = nameHeight + 2 * memoHeight + shift;
    // With a one-line memo the picture starts four lines of each below the
    // top; every further memo line moves it down by one.
    const int oneLineTop = std::max(4 * (nameHeight + memoHeight) + shift, paper.PrinterTop);
    const int spareLines =
        memoHeight > 0 ? std::max(0, (paper.Height - oneLineTop - bottom) / 2) / memoHeight : 0;
    plan.MemoLines = std::clamp(memoLines, 1, 1 + spareLines);
    top = oneLineTop + (plan.MemoLines - 1) * memoHeight;
  }
  top = std::max(top, paper.PrinterTop);
  const int roomWidth = paper.Width - left - right;
  const int roomHeight = paper.Height - top - bottom;
  if (imageWidth <= 0 || imageHeight <= 0 || roomWidth <= 0 || roomHeight <= 0) {
    plan.Image = {left, top, 0, 0};
    return plan;
  }
  int width = roomWidth;
  int height = int(ScaleHalfEven(width, imageHeight, imageWidth));
  if (height > roomHeight) {
    height = roomHeight;
    width = std::max(1, int(ScaleHalfEven(height, imageWidth, imageHeight)));
  }
  // A picture flatter than one page pixel still shows as one row.
  height = std::max(height, 1);
  plan.Image = {left + (roomWidth - width) / 2, top, width, height};
  return plan;
}

}  // namespace kelta
