#include "output/PdfWriter.h"

#include <charconv>
#include <cstdio>

#include "library/CodePage.h"
#include "output/OutputErrors.h"

namespace kelta {

std::string PdfNumber(double value) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
  if (ec != std::errc()) return "0";
  std::string s(buf, end);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

std::string PdfString(const std::string& text) {
  std::string out = "(";
  for (unsigned char c : text) {
    if (c == '(' || c == ')' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += ')';
  return out;
}

std::string PdfTextString(const std::string& utf8) {
  bool ascii = true;
  for (unsigned char c : utf8) ascii = ascii && c < 0x80;
  if (ascii) return PdfString(utf8);
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::string out = "<FEFF";
  for (const char16_t unit : AnsiToWide(utf8))
    for (const int shift : {12, 8, 4, 0}) out += Hex[(unit >> shift) & 15];
  return out + '>';
}

std::string PdfDate(std::time_t time) {
  std::tm tm{};
  localtime_r(&time, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "D:%04d%02d%02d%02d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

void TPdfCanvas::GSave() { Content_ += "q\n"; }
void TPdfCanvas::GRestore() { Content_ += "Q\n"; }

void TPdfCanvas::Concat(double a, double b, double c, double d, double e, double f) {
  Content_ += PdfNumber(a) + ' ' + PdfNumber(b) + ' ' + PdfNumber(c) + ' ' + PdfNumber(d) + ' ' + PdfNumber(e) +
              ' ' + PdfNumber(f) + " cm\n";
}

void TPdfCanvas::ExecuteXObject(const std::string& name) {
  Content_ += '/' + name + " Do\n";
  for (const auto& n : XObjects_)
    if (n == name) return;
  XObjects_.push_back(name);
}

void TPdfCanvas::DrawXObject(double x, double y, double width, double height, const std::string& name) {
  GSave();
  Concat(width, 0, 0, height, x, y);
  ExecuteXObject(name);
  GRestore();
}

void TPdfDoc::NewDoc() {
  HasDoc_ = true;
  Pages_.clear();
  XObjects_.clear();
  XObjectOrder_.clear();
  OpenAction_.reset();
  Info = TPdfInfo{};
}

void TPdfDoc::SetVersion(int major, int minor) {
  Major_ = major;
  Minor_ = minor;
}

TPdfPage& TPdfDoc::AddPage(double width, double height) {
  if (!HasDoc_) throw EPdfError("no document is open.");
  auto page = std::make_unique<TPdfPage>();
  page->Width = width;
  page->Height = height;
  Pages_.push_back(std::move(page));
  return *Pages_.back();
}

TPdfPage& TPdfDoc::CurrentPage() {
  if (Pages_.empty()) throw EPdfError("the document has no page.");
  return *Pages_.back();
}

void TPdfDoc::AddXObject(const std::string& name, TPdfImageObject image) {
  if (!HasDoc_) throw EPdfError("no document is open.");
  if (!XObjects_.emplace(name, std::move(image)).second) throw EPdfError("duplicate image name: " + name);
  XObjectOrder_.push_back(name);
}

TPdfDestination TPdfDoc::CreateDestination(const std::string& type, double left, double top, double zoom) {
  const TPdfPage& page = CurrentPage();
  TPdfDestination dest;
  dest.PageIndex = Pages_.size() - 1;
  dest.Type = type;
  dest.Left = left < 0 ? -1 : left;
  dest.Top = page.Height - top;
  dest.Zoom = zoom;
  return dest;
}

namespace {

// Collects numbered objects and their offsets while the file is built.
class TObjectWriter {
 public:
  explicit TObjectWriter(std::string& out) : Out_(out) {}
  void Begin(int number) {
    if (Offsets_.size() <= static_cast<std::size_t>(number)) Offsets_.resize(number + 1, 0);
    Offsets_[number] = Out_.size();
    Out_ += std::to_string(number) + " 0 obj\r\n";
  }
  void End() { Out_ += "endobj\r\n"; }
  void Stream(const std::string& dict, const std::string& data) {
    Out_ += "<<" + dict + " /Length " + std::to_string(data.size()) + " >>\r\nstream\r\n";
    Out_ += data;
    Out_ += "\r\nendstream\r\n";
  }
  const std::vector<std::size_t>& Offsets() const { return Offsets_; }

 private:
  std::string& Out_;
  std::vector<std::size_t> Offsets_;
};

std::string Ref(int number) { return std::to_string(number) + " 0 R"; }

}  // namespace

std::string TPdfDoc::SaveToString() const {
  if (!HasDoc_) throw EPdfError("no document is open.");
  // Numbering: catalogue, page tree, then each page and its content, then the
  // images, then the information dictionary.
  const int catalogNo = 1, pagesNo = 2;
  const int firstPageNo = 3;
  const int firstImageNo = firstPageNo + 2 * static_cast<int>(Pages_.size());
  std::map<std::string, int> imageNo;
  for (std::size_t i = 0; i < XObjectOrder_.size(); ++i) imageNo[XObjectOrder_[i]] = firstImageNo + static_cast<int>(i);
  const int infoNo = firstImageNo + static_cast<int>(XObjectOrder_.size());
  auto pageNo = [&](std::size_t i) { return firstPageNo + 2 * static_cast<int>(i); };

  std::string out;
  std::size_t reserve = 4096;
  for (const auto& [name, image] : XObjects_) reserve += image.Data.size() + 256;
  for (const auto& page : Pages_) reserve += page->Canvas.Content().size() + 512;
  out.reserve(reserve);

  char header[32];
  std::snprintf(header, sizeof header, "%%PDF-%d.%d \r\n", Major_, Minor_);
  out += header;
  TObjectWriter w(out);

  w.Begin(catalogNo);
  out += "<< /Type /Catalog /Pages " + Ref(pagesNo) + " /PageLayout /" + PageLayout + " /PageMode /" + PageMode;
  if (OpenAction_ && OpenAction_->PageIndex < Pages_.size()) {
    const auto& d = *OpenAction_;
    out += " /OpenAction [" + Ref(pageNo(d.PageIndex)) + " /" + d.Type + ' ' + PdfNumber(d.Left) + ' ' +
           PdfNumber(d.Top) + ' ' + PdfNumber(d.Zoom) + ']';
  }
  if (!Metadata.empty()) out += " /Metadata " + Ref(infoNo + 1);
  out += " >>\r\n";
  w.End();

  w.Begin(pagesNo);
  out += "<< /Type /Pages /Kids [";
  for (std::size_t i = 0; i < Pages_.size(); ++i) out += (i ? " " : "") + Ref(pageNo(i));
  out += "] /Count " + std::to_string(Pages_.size()) + " >>\r\n";
  w.End();

  for (std::size_t i = 0; i < Pages_.size(); ++i) {
    const TPdfPage& page = *Pages_[i];
    w.Begin(pageNo(i));
    out += "<< /Type /Page /Parent " + Ref(pagesNo) + " /MediaBox [0 0 " + PdfNumber(page.Width) + ' ' +
           PdfNumber(page.Height) + "] /Resources << /Font << >> /XObject <<";
    for (const auto& name : page.Canvas.XObjects()) {
      const auto it = imageNo.find(name);
      if (it == imageNo.end()) throw EPdfError("image not found: " + name);
      out += " /" + name + ' ' + Ref(it->second);
    }
    out += " >> /ProcSet [/PDF /Text /ImageC] >> /Contents " + Ref(pageNo(i) + 1) + " >>\r\n";
    w.End();
    w.Begin(pageNo(i) + 1);
    w.Stream(" /Filter []", page.Canvas.Content());
    w.End();
  }

  for (const auto& name : XObjectOrder_) {
    const TPdfImageObject& image = XObjects_.at(name);
    w.Begin(imageNo[name]);
    std::string dict = " /Type /XObject /Subtype /Image /ColorSpace /" + image.ColorSpace + " /Width " +
                       std::to_string(image.Width) + " /Height " + std::to_string(image.Height) +
                       " /BitsPerComponent " + std::to_string(image.BitsPerComponent) + " /Filter [";
    for (std::size_t i = 0; i < image.Filters.size(); ++i) dict += (i ? " /" : "/") + image.Filters[i];
    dict += ']';
    w.Stream(dict, image.Data);
    w.End();
  }

  w.Begin(infoNo);
  // A document without dates (0) says nothing of when: the same content
  // then gives the same bytes.
  const auto date = [](const char* key, std::time_t time) {
    return time != 0 ? std::string(" /") + key + " " + PdfString(PdfDate(time)) : std::string();
  };
  out += "<< /Producer " + PdfTextString(Info.Producer) + " /Author " + PdfTextString(Info.Author) +
         date("CreationDate", Info.CreationDate) + " /Creator " + PdfTextString(Info.Creator) +
         " /Keywords " + PdfTextString(Info.Keywords) + date("ModDate", Info.ModDate) +
         " /Subject " + PdfTextString(Info.Subject) + " /Title " + PdfTextString(Info.Title) + " >>\r\n";
  w.End();

  if (!Metadata.empty()) {
    w.Begin(infoNo + 1);
    w.Stream(" /Type /Metadata /Subtype /XML", Metadata);
    w.End();
  }

  const std::size_t xrefOffset = out.size();
  const int size = infoNo + 1 + (Metadata.empty() ? 0 : 1);
  out += "xref\r\n0 " + std::to_string(size) + "\r\n0000000000 65535 f\r\n";
  char entry[32];
  for (int i = 1; i < size; ++i) {
    std::snprintf(entry, sizeof entry, "%010zu 00000 n\r\n", w.Offsets()[i]);
    out += entry;
  }
  out += "trailer\r\n<< /Size " + std::to_string(size) + " /Root " + Ref(catalogNo) + " /Info " + Ref(infoNo) +
         " >>\r\nstartxref\r\n" + std::to_string(xrefOffset) + "\r\n%%EOF\r\n";
  return out;
}

}  // namespace kelta
