#include "library/ui/SingleImageExport.h"

#include <QFileDialog>

#include "imaging/ImageFileWriter.h"
#include "common/ui/ShowException.h"
#include "output/FileNames.h"
#include "output/PDFExporter.h"

namespace kelta {

QStringList ExportImageFilters() {
  // Qt separates a filter's patterns by spaces.
  return {QStringLiteral("BMP (*.bmp)"), QStringLiteral("JPEG (*.jpg *.jpeg *.jpe)"), QStringLiteral("PNG (*.png)"),
          QStringLiteral("GIF (*.gif)"), QStringLiteral("PDF (*.pdf)")};
}

std::string ExportImageExtension(int entry) {
  switch (entry) {
    case 1: return ".bmp";
    case 2: return ".jpg";
    case 3: return ".png";
    case 4: return ".gif";
    case 5: return ".pdf";
    default: return {};
  }
}

std::string ExportImageFileName(int entry, const std::string& typed) {
  const std::string ext = ExportImageExtension(entry);
  return ext.empty() ? typed : WithExtension(typed, ext);
}

void WriteExportImage(int entry, const std::string& fileName, const TFastDIB& picture) {
  if (entry == 5) {
    // The exporter reads its own 24-bit copy of the picture.
    TFastDIB bitmap;
    bitmap.SetSize(picture.Width(), picture.Height(), 24);
    if (!picture.Empty() && !bitmap.Empty()) picture.Draw(bitmap, 0, 0);
    TPDFExporter().Export(bitmap, fileName);
  } else if (entry >= 1 && entry <= 4) {
    WriteImageFile(picture, fileName, entry == 4);
  }
}

void ExportImageAs(int format, QWidget* owner, const TFastDIB& picture) {
  const QStringList filters = ExportImageFilters();
  int entry = 0;
  QString typed;
  {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);  // asks before overwriting by default
    dialog.selectNameFilter(filters.value(format >= 0 && format < filters.size() ? format : 0));
    const bool confirmed = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (confirmed) {
      entry = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
      typed = dialog.selectedFiles().constFirst();
    }
    dialog.hide();
  }
  if (owner) owner->repaint();
  if (entry <= 0 || typed.isEmpty()) return;
  const std::string fileName = ExportImageFileName(entry, typed.toStdString());
  try {
    WriteExportImage(entry, fileName, picture);
  } catch (const std::exception& error) {
    ShowException(error, owner);
  }
}

}  // namespace kelta
