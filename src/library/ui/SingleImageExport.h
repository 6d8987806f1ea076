#pragma once
// Saving one picture under a name and in a format the user picks in the
// save-file dialog: BMP, JPEG, PNG, GIF or a one-page PDF.

#include <string>

#include <QString>
#include <QStringList>

#include "imaging/FastDIB.h"
#include "output/ExportImageFormats.h"
#include "output/ExportMetadata.h"

class QWidget;

namespace kelta {

// Format numbers as the export menus' items carry them.
enum TExportImageFormat { eifBmp = 0, eifJpeg = 1, eifPng = 2, eifGif = 3, eifPdf = 4 };

// The dialog's five filter entries, in format order, each listing every
// extension its format is known by ("JPEG (*.jpg *.jpeg *.jpe)").
QStringList ExportImageFilters();

// The file name the dialog suggests for a picture: its name with the entry's
// extension, characters that cannot be in a file name replaced by "_",
// shortened to what the file system takes (see SuggestedExportFileName);
// "picture" for a picture without a name.
QString SuggestedExportName(const QString& pictureName, int entry);

// The folder the dialog opens in: the folder of the last single export in
// this run, else the user's Pictures folder, else the home folder.
QString ExportStartFolder();

// Writes the picture as the entry's format, replacing the file only once the
// new one is complete. Raises EFCreateError (file name and reason) when it
// cannot be written, or the codec's error; nothing of the attempt is left.
// PNG, JPEG and PDF files carry the metadata (see ExportMetadata.h).
void WriteExportImage(int entry, const std::string& fileName, const TFastDIB& picture,
                      const TExportMetadata& metadata = {});

// Shows the save-file dialog owned by owner with the format preselected and
// a name suggested from the file name template (see FileNameTemplate.h) and
// the metadata's source, the picture's name when it has none; while a name is typed that the file system
// would refuse, the dialog says why. A name refused after all (made too long
// by the extension, say) is explained and the dialog comes back with it. Asks
// before replacing the file that will really be written (see ExportTargetOf),
// and writes the picture; a failure reaches the standard error report.
void ExportImageAs(int format, QWidget* owner, const TFastDIB& picture, const QString& pictureName = {},
                   const TExportMetadata& metadata = {});

}  // namespace kelta
