#pragma once
// The formats a single picture is exported in, numbered as the entries of
// the save dialog (1 BMP, 2 JPEG, 3 PNG, 4 GIF, 5 PDF), each with the file
// name extensions it is known by. A name typed with any of them, in any
// letter case, is written under that name in that format.

#include <span>
#include <string>

namespace kelta {

struct TExportFormatNames {
  const char* Caption;                      // "JPEG"
  std::span<const char* const> Extensions;  // lower case with the dot, the usual one first
};

constexpr int ExportImageFormatCount = 5;

// The format of an entry; nullptr outside 1 .. ExportImageFormatCount.
const TExportFormatNames* ExportImageFormat(int entry);

// The usual extension of an entry (".jpg"), with its dot; empty outside the entries.
std::string ExportImageExtension(int entry);

// The entry whose extensions include the name's extension, in any letter
// case; 0 when none does.
int ExportEntryOfName(const std::string& name);

// What a name typed in the save dialog writes, with the dialog's entry.
struct TExportTarget {
  int Entry = 0;
  std::string FileName;
};
// A name whose extension is one of any format's is written as typed, in
// that format; any other name gets the entry's usual extension appended and
// is written in the entry's format.
TExportTarget ExportTargetOf(int entry, const std::string& typed);

// The name the dialog suggests for a picture called `base` (made fit for a
// file name already): base itself when it ends in one of the entry's
// extensions, else base with the entry's usual one; in either case short
// enough for the file system, the extension kept (see FittedFileName).
std::string SuggestedExportFileName(int entry, const std::string& base);

}  // namespace kelta
