#pragma once
// Saving one picture under a name and in a format the user picks in the
// save-file dialog: BMP, JPEG, PNG, GIF or a one-page PDF.

#include <string>

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
// else the name with the entry's extension appended.
std::string ExportImageFileName(int entry, const std::string& typed);

// Writes the picture as the entry's format. Image formats report nothing
// (a file that cannot be written is simply not there); PDF errors are raised.
void WriteExportImage(int entry, const std::string& fileName, const TFastDIB& picture);

// Shows the save-file dialog owned by owner with the format preselected and
// writes the picture; PDF errors reach the standard error report.
void ExportImageAs(int format, QWidget* owner, const TFastDIB& picture);

}  // namespace kelta
