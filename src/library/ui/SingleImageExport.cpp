#include "library/ui/SingleImageExport.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

#include "common/ui/BusyCursor.h"
#include "common/ui/ReplaceQuestion.h"
#include "common/ui/ShowException.h"
#include "imaging/ImageFileWriter.h"
#include "output/FileNames.h"
#include "output/FileOutput.h"
#include "output/OutputErrors.h"
#include "output/PDFExporter.h"

namespace kelta {

namespace {

// The folder of the last single export in this run.
QString LastExportFolder;

struct TExportChoice {
  int Entry = 0;  // 1 .. 5; 0 when cancelled
  QString Typed;
};

TExportChoice AskForFile(QWidget* owner, int entry, const QString& folder, const QString& name) {
  const QStringList filters = ExportImageFilters();
  TExportChoice choice;
  QFileDialog dialog(owner, QStringLiteral("Save As"), folder);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The dialog would ask about the name as typed; the question comes once the
  // extension is known.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.value(entry - 1));
  dialog.selectFile(name);
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    choice.Entry = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    choice.Typed = dialog.selectedFiles().constFirst();
  }
  dialog.hide();
  return choice;
}

}  // namespace

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

QString SuggestedExportName(const QString& pictureName, int entry) {
  QString base = pictureName.trimmed();
  for (QChar& c : base)
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20) c = QLatin1Char('_');
  // A name of dots alone would mean a folder.
  if (base.isEmpty() || base == QStringLiteral(".") || base == QStringLiteral("..")) base = QStringLiteral("picture");
  return QString::fromStdString(ExportImageFileName(entry, base.toStdString()));
}

QString ExportStartFolder() {
  if (!LastExportFolder.isEmpty() && QFileInfo(LastExportFolder).isDir()) return LastExportFolder;
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) return pictures;
  return QDir::homePath();
}

void WriteExportImage(int entry, const std::string& fileName, const TFastDIB& picture) {
  if (entry == 5) {
    // The exporter reads its own 24-bit copy of the picture.
    TFastDIB bitmap;
    bitmap.SetSize(picture.Width(), picture.Height(), 24);
    if (!picture.Empty() && !bitmap.Empty()) picture.Draw(bitmap, 0, 0);
    TPDFExporter().Export(bitmap, fileName);
    return;
  }
  if (entry < 1 || entry > 4) return;
  // The format follows the entry, whatever extension the name had before.
  const std::string bytes = EncodeImageFile(picture, "picture" + ExportImageExtension(entry), entry == 4);
  if (bytes.empty())
    throw EFCreateError("Cannot write file \"" + fileName + "\". The picture cannot be encoded in this format");
  WriteWholeFile(fileName, bytes);
}

void ExportImageAs(int format, QWidget* owner, const TFastDIB& picture, const QString& pictureName) {
  int entry = format >= 0 && format < 5 ? format + 1 : 1;
  QString folder = ExportStartFolder();
  QString name = SuggestedExportName(pictureName, entry);
  std::string fileName;
  int chosen = 0;
  for (;;) {
    const TExportChoice choice = AskForFile(owner, entry, folder, name);
    if (owner) owner->repaint();
    if (choice.Entry <= 0 || choice.Typed.isEmpty()) return;
    chosen = choice.Entry;
    fileName = ExportImageFileName(chosen, choice.Typed.toStdString());
    if (ConfirmReplacing(owner, ExistingFiles({QString::fromStdString(fileName)}))) break;
    // Not replaced: back to the dialog with what was chosen.
    entry = chosen;
    folder = QFileInfo(choice.Typed).absolutePath();
    name = QFileInfo(choice.Typed).fileName();
  }
  LastExportFolder = QFileInfo(QString::fromStdString(fileName)).absolutePath();
  try {
    // The wait cursor goes before a message shows.
    TBusyCursor busy;
    WriteExportImage(chosen, fileName, picture);
  } catch (const std::exception& error) {
    ShowException(error, owner);
  }
}

}  // namespace kelta
