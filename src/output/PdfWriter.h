#pragma once
// Kelta's small PDF document writer: a catalogue, an information dictionary,
// pages with uncompressed content streams, and image objects shared by name.
// It builds the whole document in memory and writes it with one file write.

#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelta {

// An image XObject: dictionary values and the stream bytes as they go into the file.
struct TPdfImageObject {
  int Width = 0;
  int Height = 0;
  std::string ColorSpace = "DeviceRGB";
  int BitsPerComponent = 8;
  std::vector<std::string> Filters;
  std::string Data;
};

// A destination on a page, already in the document's bottom-up units.
struct TPdfDestination {
  std::size_t PageIndex = 0;
  std::string Type = "XYZ";
  double Left = 0;
  double Top = 0;
  double Zoom = 0;
};

struct TPdfInfo {
  std::string Producer = "Kelta PDF writer";
  std::string Author;
  std::string Creator;
  std::string Keywords;
  std::string Subject;
  std::string Title;
  std::time_t CreationDate = 0;
  std::time_t ModDate = 0;
};

// Writes a number as PDF content wants it: at most two decimals, a point as
// separator whatever the locale, no trailing zeros.
std::string PdfNumber(double value);
// A literal string with ( ) \ and control characters escaped.
std::string PdfString(const std::string& text);
// A text string of the information dictionary from UTF-8: a literal string
// when it is plain ASCII, else UTF-16BE with its byte order mark in hex.
std::string PdfTextString(const std::string& utf8);
// D:YYYYMMDDHHMMSS in local time.
std::string PdfDate(std::time_t time);

// The drawing surface of one page: operators appended to its content stream.
class TPdfCanvas {
 public:
  void GSave();
  void GRestore();
  void Concat(double a, double b, double c, double d, double e, double f);
  void ExecuteXObject(const std::string& name);
  // The image stretched over (x, y, width, height), y from the page's bottom.
  void DrawXObject(double x, double y, double width, double height, const std::string& name);

  const std::string& Content() const { return Content_; }
  const std::vector<std::string>& XObjects() const { return XObjects_; }

 private:
  std::string Content_;
  std::vector<std::string> XObjects_;  // names used on this page, in first-use order
};

struct TPdfPage {
  double Width = 0;
  double Height = 0;
  TPdfCanvas Canvas;
};

class TPdfDoc {
 public:
  // Starts a new, empty document (forgetting any earlier one).
  void NewDoc();
  bool HasDoc() const { return HasDoc_; }

  void SetVersion(int major, int minor);
  int MajorVersion() const { return Major_; }
  int MinorVersion() const { return Minor_; }
  std::string PageLayout = "SinglePage";
  std::string PageMode = "UseNone";
  TPdfInfo Info;
  // An XMP packet the catalogue names as the document's metadata; none when empty.
  std::string Metadata;

  // Adds a page of the given size; it becomes the current page.
  TPdfPage& AddPage(double width, double height);
  TPdfPage& CurrentPage();
  TPdfCanvas& Canvas() { return CurrentPage().Canvas; }

  bool HasXObject(const std::string& name) const { return XObjects_.count(name) != 0; }
  void AddXObject(const std::string& name, TPdfImageObject image);

  // A destination on the current page from top-down page units: a negative
  // left is stored as -1, top becomes page height - top.
  TPdfDestination CreateDestination(const std::string& type, double left, double top, double zoom);
  void SetOpenAction(const TPdfDestination& destination) { OpenAction_ = destination; }

  // The complete file: header, objects, cross-reference table and trailer.
  std::string SaveToString() const;

 private:
  bool HasDoc_ = false;
  int Major_ = 1;
  int Minor_ = 3;
  std::vector<std::unique_ptr<TPdfPage>> Pages_;
  std::map<std::string, TPdfImageObject> XObjects_;
  std::vector<std::string> XObjectOrder_;
  std::optional<TPdfDestination> OpenAction_;
};

}  // namespace kelta
