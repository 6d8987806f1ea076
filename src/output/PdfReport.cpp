#include "output/PdfReport.h"

#include <ctime>

#include "output/FileOutput.h"
#include "output/OutputErrors.h"

namespace kelta {

void TPRLayoutPanel::Print(TPReport& report) {
  for (const auto& item : Items_) {
    TPRRect rect;
    rect.Left = Left + item->Left;
    rect.Top = Top + item->Top;
    rect.Right = rect.Left + item->Width;
    rect.Bottom = rect.Top + item->Height;
    item->Print(report, rect);
  }
}

void TPReport::BeginDoc() {
  Doc_.NewDoc();
  Doc_.PageLayout = PageLayout_;
  Doc_.PageMode = PageMode_;
  const std::time_t now = Dated ? std::time(nullptr) : 0;
  Doc_.Info.Author = Author;
  Doc_.Info.Title = Title;
  Doc_.Info.CreationDate = now;
  Doc_.Info.ModDate = now;
}

void TPReport::Print(TPRPage& page) {
  if (!Doc_.HasDoc()) throw EPdfError("the report has not begun a document.");
  TPdfPage& pdfPage = Doc_.AddPage(page.Width(), page.Height());
  if (page.OnPrintPage) page.OnPrintPage(page, pdfPage.Canvas);
  for (const auto& panel : page.Panels()) panel->Print(*this);
}

void TPReport::EndDoc() {
  if (!Doc_.HasDoc()) throw EPdfError("the report has not begun a document.");
  std::string bytes;
  try {
    bytes = Doc_.SaveToString();
  } catch (...) {
    Abort();
    throw;
  }
  Abort();
  WriteWholeFile(FileName, bytes);
}

void TPReport::Abort() { Doc_ = TPdfDoc(); }

}  // namespace kelta
