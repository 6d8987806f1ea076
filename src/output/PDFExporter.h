#pragma once
// Writes one picture as a one-page PDF: the picture JPEG-compressed at the
// highest quality on a page of exactly its size, one pixel to one point.

#include <memory>
#include <string>

#include "imaging/FastDIB.h"
#include "output/ExportMetadata.h"

namespace kelta {

class TPReport;

class TPDFExporter {
 public:
  TPDFExporter();
  ~TPDFExporter();
  TPDFExporter(const TPDFExporter&) = delete;
  TPDFExporter& operator=(const TPDFExporter&) = delete;

  // Creates or replaces fileName. Raises EFCreateError when the file cannot be
  // created or written and EJpegError when the codec refuses the picture;
  // nothing is left at fileName then. The metadata, when there is any, goes
  // into the document information (title; source, timecode and frame as
  // subject) and into an XMP packet.
  void Export(const TFastDIB& bitmap, const std::string& fileName, const TExportMetadata& metadata = {});

  // Whether the document says when it was written (by default it does).
  bool Dated = true;

 private:
  std::unique_ptr<TPReport> Report_;
};

}  // namespace kelta
