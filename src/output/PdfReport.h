#pragma once
// A small report layer over the PDF writer: a report prints page objects,
// each page holds layout panels, each panel holds printable items placed in
// page units (points, y down from the page's top).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "output/PdfWriter.h"

namespace kelta {

class TPReport;
class TPRPage;

// Left/top inclusive, in page units, y down from the top.
struct TPRRect {
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class TPRItem {
 public:
  virtual ~TPRItem() = default;
  double Left = 0, Top = 0, Width = 0, Height = 0;
  bool Printable = true;
  // Draws the item at rect (panel origin plus the item's position).
  virtual void Print(TPReport& report, const TPRRect& rect) = 0;
};

class TPRLayoutPanel {
 public:
  double Left = 0, Top = 0, Width = 0, Height = 0;
  // The panel owns its items.
  template <class T, class... Args>
  T& AddItem(Args&&... args) {
    auto item = std::make_unique<T>(std::forward<Args>(args)...);
    T& ref = *item;
    Items_.push_back(std::move(item));
    return ref;
  }
  void Print(TPReport& report);

 private:
  std::vector<std::unique_ptr<TPRItem>> Items_;
};

class TPRPage {
 public:
  TPRPage(double width, double height) : Width_(width), Height_(height) {}
  double Width() const { return Width_; }
  double Height() const { return Height_; }
  // Runs after the page is added to the document, before its panels print.
  std::function<void(TPRPage&, TPdfCanvas&)> OnPrintPage;

  TPRLayoutPanel& AddPanel() {
    Panels_.push_back(std::make_unique<TPRLayoutPanel>());
    return *Panels_.back();
  }
  const std::vector<std::unique_ptr<TPRLayoutPanel>>& Panels() const { return Panels_; }

 private:
  double Width_, Height_;
  std::vector<std::unique_ptr<TPRLayoutPanel>> Panels_;
};

class TPReport {
 public:
  std::string FileName;
  std::string Author;
  std::string Title;
  // Whether the document says when it was made; undated documents of the
  // same content are the same bytes.
  bool Dated = true;

  // Creates the document and fills its catalogue and information entries.
  void BeginDoc();
  // Adds a page of the page object's size and prints its panels onto it.
  void Print(TPRPage& page);
  // Writes the whole document to FileName (creating or replacing it) and
  // closes it, also when writing fails.
  void EndDoc();
  // Drops a begun document without writing anything.
  void Abort();

  TPdfDoc& Doc() { return Doc_; }
  TPdfCanvas& Canvas() { return Doc_.Canvas(); }
  double PageHeight() { return Doc_.CurrentPage().Height; }

 private:
  std::string PageLayout_ = "SinglePage";
  std::string PageMode_ = "UseNone";
  TPdfDoc Doc_;
};

}  // namespace kelta
