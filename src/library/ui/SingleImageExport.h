#pragma once
// Saving one picture under a name and in a format the user picks in the
// save-file dialog: BMP, JPEG, PNG, GIF or a one-page PDF.

#include <string>

#include <QString>
#include <QStringList>

#include "imaging/FastDIB.h"

class QWidget;

namespace kelta {

// Format numbers as the export menus' items carry them.
enum TExportImageFormat { eifBmp = 0, eifJpeg = 1, eifPng = 2, eifGif = 3, eifPdf = 4 };

// The dialog's five filter entries, in format order.
QStringList ExportImageFilters();

// The extension of a dialog entry (1 = BMP ... 5 = PDF), with its dot.
std::string ExportImageExtension(int entry);

// The name as typed when its lower-cased extension already is the entry's,
// else the name with the entry's extension appended: the name written.
std::string ExportImageFileName(int entry, const std::string& typed);

// The file name the dialog suggests for a picture: its name with the entry's
// extension, characters that cannot be in a file name replaced by "_";
// "picture" for a picture without a name.
QString SuggestedExportName(const QString& pictureName, int entry);

// The folder the dialog opens in: the folder of the last single export in
// this run, else the user's Pictures folder, else the home folder.
QString ExportStartFolder();

// Writes the picture as the entry's format, replacing the file only once the
// new one is complete. Raises EFCreateError (file name and reason) when it
// cannot be written, or the codec's error; nothing of the attempt is left.
void WriteExportImage(int entry, const std::string& fileName, const TFastDIB& picture);

// Shows the save-file dialog owned by owner with the format preselected and
// the picture's name suggested, asks before replacing the file that will
// really be written, and writes the picture; a failure reaches the standard
// error report.
void ExportImageAs(int format, QWidget* owner, const TFastDIB& picture, const QString& pictureName = {});

}  // namespace kelta
