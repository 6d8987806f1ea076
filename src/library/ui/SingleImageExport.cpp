#include "library/ui/SingleImageExport.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>

#include "common/ui/BusyCursor.h"
#include "common/ui/ReplaceQuestion.h"
#include "common/ui/ShowException.h"
#include "imaging/ImageFileWriter.h"
#include "library/LibraryPaths.h"
#include "output/ExportImageFormats.h"
#include "output/FileNameTemplate.h"
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

// A line under the dialog's own controls that says why the name typed would
// be refused; the dialog itself only greys out Save for a name too long.
// Dialogs drawn by the desktop have no room for it: there the check after
// Save says it.
void ExplainRefusedNames(QFileDialog& dialog) {
  auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
  auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (!grid || !edit) return;
  auto* problem = new QLabel(&dialog);
  problem->setObjectName(QStringLiteral("lbNameProblem"));
  problem->setWordWrap(true);
  problem->setTextFormat(Qt::PlainText);
  QPalette palette = problem->palette();
  palette.setColor(QPalette::WindowText, QColor(176, 0, 0));
  problem->setPalette(palette);
  problem->hide();
  grid->addWidget(problem, grid->rowCount(), 0, 1, grid->columnCount());
  const auto update = [&dialog, edit, problem] {
    const int entry = static_cast<int>(ExportImageFilters().indexOf(dialog.selectedNameFilter())) + 1;
    const std::string typed = edit->text().toStdString();
    const std::string why = typed.empty() ? std::string() : FileNameProblem(ExportTargetOf(entry, typed).FileName);
    problem->setText(QString::fromStdString(why));
    problem->setVisible(!why.empty());
  };
  QObject::connect(edit, &QLineEdit::textChanged, problem, update);
  QObject::connect(&dialog, &QFileDialog::filterSelected, problem, update);
}

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
  ExplainRefusedNames(dialog);
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
  QStringList filters;
  for (int entry = 1; entry <= ExportImageFormatCount; ++entry) {
    const TExportFormatNames* format = ExportImageFormat(entry);
    QStringList patterns;
    for (const char* extension : format->Extensions) patterns << QStringLiteral("*") + QLatin1String(extension);
    // Qt separates a filter's patterns by spaces and matches them in any letter case.
    filters << QString::fromLatin1(format->Caption) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')');
  }
  return filters;
}

QString SuggestedExportName(const QString& pictureName, int entry) {
  QString base = pictureName.trimmed();
  for (QChar& c : base)
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20) c = QLatin1Char('_');
  // A name of dots alone would mean a folder.
  if (base.isEmpty() || base == QStringLiteral(".") || base == QStringLiteral("..")) base = QStringLiteral("picture");
  return QString::fromStdString(SuggestedExportFileName(entry, base.toStdString()));
}

QString ExportStartFolder() {
  if (!LastExportFolder.isEmpty() && QFileInfo(LastExportFolder).isDir()) return LastExportFolder;
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) return pictures;
  return QDir::homePath();
}

void WriteExportImage(int entry, const std::string& fileName, const TFastDIB& picture,
                      const TExportMetadata& metadata) {
  if (entry == 5) {
    // The exporter reads its own 24-bit copy of the picture.
    TFastDIB bitmap;
    bitmap.SetSize(picture.Width(), picture.Height(), 24);
    if (!picture.Empty() && !bitmap.Empty()) picture.Draw(bitmap, 0, 0);
    TPDFExporter().Export(bitmap, fileName, metadata);
    return;
  }
  if (entry < 1 || entry > 4) return;
  // The format follows the entry, whatever extension the name had before.
  const std::string bytes = EncodeImageFile(picture, "picture" + ExportImageExtension(entry), entry == 4);
  if (bytes.empty())
    throw EFCreateError("Cannot write file \"" + fileName + "\". The picture cannot be encoded in this format");
  // Bitmaps and GIFs have no place for it.
  const bool described = entry == 2 || entry == 3;
  WriteWholeFile(fileName, described ? WithImageMetadata(bytes, metadata) : bytes);
}

// The name the template gives the picture, before the dialog makes it fit.
static QString TemplateName(const QString& pictureName, const TExportMetadata& metadata) {
  const std::string pattern = LoadNameTemplate(ProgramFolder() / NameTemplateFileName);
  return QString::fromStdString(NameFromTemplate(pattern, {pictureName.toStdString(), metadata.Film, metadata.Source}));
}

void ExportImageAs(int format, QWidget* owner, const TFastDIB& picture, const QString& pictureName,
                   const TExportMetadata& metadata) {
  int entry = format >= 0 && format < ExportImageFormatCount ? format + 1 : 1;
  QString folder = ExportStartFolder();
  QString name = SuggestedExportName(TemplateName(pictureName, metadata), entry);
  TExportTarget target;
  for (;;) {
    const TExportChoice choice = AskForFile(owner, entry, folder, name);
    if (owner) owner->repaint();
    if (choice.Entry <= 0 || choice.Typed.isEmpty()) return;
    target = ExportTargetOf(choice.Entry, choice.Typed.toStdString());
    const std::string problem = FileNameProblem(target.FileName);
    if (problem.empty() && ConfirmReplacing(owner, ExistingFiles({QString::fromStdString(target.FileName)}))) break;
    if (!problem.empty()) {
      QMessageBox box(QMessageBox::Information, QStringLiteral("Save As"), QString::fromStdString(problem),
                      QMessageBox::Ok, owner);
      box.exec();
    }
    // Refused or not replaced: back to the dialog with what was chosen.
    entry = choice.Entry;
    folder = QFileInfo(choice.Typed).absolutePath();
    name = QFileInfo(choice.Typed).fileName();
  }
  LastExportFolder = QFileInfo(QString::fromStdString(target.FileName)).absolutePath();
  try {
    // The wait cursor goes before a message shows.
    TBusyCursor busy;
    WriteExportImage(target.Entry, target.FileName, picture, metadata);
  } catch (const std::exception& error) {
    ShowException(error, owner);
  }
}

}  // namespace kelta
