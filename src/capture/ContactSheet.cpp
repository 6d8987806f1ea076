#include "capture/ContactSheet.h"

#include <algorithm>
#include <cmath>

#include "imaging/Resample.h"

namespace kelta {

TFastDIB SheetCellPicture(const TFastDIB& still) {
  TFastDIB cell;
  if (still.Empty() || still.Width() <= 0) return cell;
  const int rows = std::max(1, int(std::lround(double(still.RowCount()) * SheetCellWidth / still.Width())));
  cell.SetSize(SheetCellWidth, rows, 24);
  ResampleBilinear(still, cell);
  return cell;
}

TSheetLayout LayOutSheet(const TContactSheet& sheet, int lineHeight) {
  TSheetLayout layout;
  const int columns = std::max(1, sheet.Columns);
  const int used = std::min<int>(columns, std::max<int>(1, int(sheet.Cells.size())));
  layout.Width = 2 * SheetMargin + used * SheetCellWidth + (used - 1) * SheetGap;
  layout.Heading = TRect{SheetMargin, SheetMargin, layout.Width - SheetMargin, SheetMargin + 2 * lineHeight};
  int top = layout.Heading.Bottom + SheetGap;
  for (std::size_t first = 0; first < sheet.Cells.size(); first += std::size_t(columns)) {
    const std::size_t end = std::min(sheet.Cells.size(), first + std::size_t(columns));
    int rowHeight = 0;
    for (std::size_t i = first; i < end; ++i) rowHeight = std::max(rowHeight, sheet.Cells[i].Picture.RowCount());
    for (std::size_t i = first; i < end; ++i) {
      const int left = SheetMargin + int(i - first) * (SheetCellWidth + SheetGap);
      const int height = sheet.Cells[i].Picture.RowCount();
      // Pictures of one row stand on a common base line above their labels.
      const int pictureTop = top + rowHeight - height;
      layout.Pictures.push_back(TRect{left, pictureTop, left + SheetCellWidth, pictureTop + height});
      layout.Labels.push_back(TRect{left, top + rowHeight + 4, left + SheetCellWidth, top + rowHeight + 4 + lineHeight});
    }
    top += rowHeight + 4 + lineHeight + SheetGap;
  }
  layout.Height = top - SheetGap + SheetMargin;
  return layout;
}

}  // namespace kelta
