#include "output/PrintPageLayout.h"

#include <algorithm>

#include "imaging/ImageUtils.h"

namespace kelta {

TPrintPagePlan TPrintPageLayout::Plan(const TPrintPaper& paper, int imageWidth, int imageHeight, bool withText,
                                      int nameHeight, int memoHeight) {
  TPrintPagePlan plan;
  // The caption lines move down together when the printer cannot print as
  // high as the first one would sit.
  int top = TopWithoutText;
  if (withText) {
    const int shift = std::max(0, paper.PrinterTop - nameHeight);
    plan.NameTop = nameHeight + shift;
    plan.MemoTop = nameHeight + 2 * memoHeight + shift;
    top = 4 * (nameHeight + memoHeight) + shift;
  }
  top = std::max(top, paper.PrinterTop);
  const int left = std::max(Margin, paper.PrinterLeft);
  const int right = std::max(Margin, paper.PrinterRight);
  const int bottom = std::max(Margin, paper.PrinterBottom);
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
