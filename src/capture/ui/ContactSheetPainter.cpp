#include "capture/ui/ContactSheetPainter.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string_view>

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "imaging/ui/DibImage.h"
#include "library/AtomicFileWrite.h"
#include "output/PDFExporter.h"

namespace kelta {

namespace {

QFont LabelFont() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(13);
  return font;
}

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.WidthOf(), r.HeightOf()); }

bool EndsWith(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  return std::equal(end.rbegin(), end.rend(), text.rbegin(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

}  // namespace

int SheetLineHeight() { return QFontMetrics(LabelFont()).height(); }

void WriteContactSheet(const TContactSheet& sheet, const std::string& file) {
  const QFont font = LabelFont();
  QFont heading = font;
  heading.setPixelSize(16);
  heading.setBold(true);
  const TSheetLayout layout = LayOutSheet(sheet, SheetLineHeight());

  QImage image(layout.Width, layout.Height, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setPen(QColor(0x20, 0x20, 0x20));
    painter.setFont(heading);
    painter.drawText(ToQRect(layout.Heading), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     painter.fontMetrics().elidedText(QString::fromStdString(sheet.Heading), Qt::ElideMiddle,
                                                      layout.Heading.WidthOf()));
    painter.setFont(font);
    for (std::size_t i = 0; i < sheet.Cells.size(); ++i) {
      // One picture pixel to one sheet pixel: the cell is the still as it was
      // made small, not scaled again.
      painter.drawImage(ToQRect(layout.Pictures[i]).topLeft(), DibToImage(sheet.Cells[i].Picture));
      painter.drawText(ToQRect(layout.Labels[i]), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                       QString::fromStdString(sheet.Cells[i].Label));
    }
  }
  if (EndsWith(file, ".pdf")) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    TFastDIB picture;
    picture.SetSize(rgb.width(), rgb.height(), 24);
    for (int y = 0; y < rgb.height(); ++y) {
      const uchar* from = rgb.constScanLine(y);
      std::uint8_t* to = picture.PixelPtr(0, y);
      for (int x = 0; x < rgb.width(); ++x) {
        to[3 * x] = from[3 * x + 2];
        to[3 * x + 1] = from[3 * x + 1];
        to[3 * x + 2] = from[3 * x];
      }
    }
    // Undated, as every file of a capture: the same sheet, the same bytes.
    TPDFExporter exporter;
    exporter.Dated = false;
    exporter.Export(picture, file);
    return;
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw std::runtime_error("the picture could not be encoded");
  WriteFileAtomically(file, std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

}  // namespace kelta
