#include "output/ExportImageFormats.h"

#include "output/FileNames.h"

namespace kelta {

namespace {

constexpr const char* BmpExtensions[] = {".bmp", ".dib"};
constexpr const char* JpegExtensions[] = {".jpg", ".jpeg", ".jpe"};
constexpr const char* PngExtensions[] = {".png"};
constexpr const char* GifExtensions[] = {".gif"};
constexpr const char* PdfExtensions[] = {".pdf"};

constexpr TExportFormatNames Formats[ExportImageFormatCount] = {
    {"BMP", BmpExtensions}, {"JPEG", JpegExtensions}, {"PNG", PngExtensions},
    {"GIF", GifExtensions}, {"PDF", PdfExtensions},
};

bool EntryTakes(int entry, const std::string& name) {
  const TExportFormatNames* format = ExportImageFormat(entry);
  if (!format) return false;
  for (const char* extension : format->Extensions)
    if (HasExtension(name, extension)) return true;
  return false;
}

}  // namespace

const TExportFormatNames* ExportImageFormat(int entry) {
  return entry >= 1 && entry <= ExportImageFormatCount ? &Formats[entry - 1] : nullptr;
}

std::string ExportImageExtension(int entry) {
  const TExportFormatNames* format = ExportImageFormat(entry);
  return format ? format->Extensions.front() : std::string();
}

int ExportEntryOfName(const std::string& name) {
  for (int entry = 1; entry <= ExportImageFormatCount; ++entry)
    if (EntryTakes(entry, name)) return entry;
  return 0;
}

TExportTarget ExportTargetOf(int entry, const std::string& typed) {
  if (const int named = ExportEntryOfName(typed)) return {named, typed};
  return {entry, typed + ExportImageExtension(entry)};
}

std::string SuggestedExportFileName(int entry, const std::string& base) {
  if (EntryTakes(entry, base)) {
    const std::string extension = FileExtension(base);
    return FittedFileName(base.substr(0, base.size() - extension.size()), extension);
  }
  return FittedFileName(base, ExportImageExtension(entry));
}

}  // namespace kelta
