#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <regex>

#include "OutputTestSupport.h"
#include "output/JpegImage.h"
#include "output/OutputErrors.h"
#include "output/PDFExporter.h"
#include "output/PRJpegImage.h"
#include "output/PdfJpegImage.h"
#include "output/PdfReport.h"

namespace fs = std::filesystem;

namespace kelta {
namespace {

using test::TTempFolder;

// The text of object n, from "n 0 obj" to its "endobj".
std::string ObjectText(const std::string& pdf, int n) {
  const std::string start = "\n" + std::to_string(n) + " 0 obj";
  const auto a = pdf.find(start);
  if (a == std::string::npos) return {};
  const auto b = pdf.find("endobj", a);
  return pdf.substr(a + 1, b - a - 1);
}

int RefAfter(const std::string& text, const std::string& key) {
  std::smatch m;
  if (!std::regex_search(text, m, std::regex(key + " (\\d+) 0 R"))) return -1;
  return std::stoi(m[1]);
}

// The bytes of an object's stream, exactly /Length long.
std::string StreamData(const std::string& object) {
  std::smatch m;
  if (!std::regex_search(object, m, std::regex("/Length (\\d+)"))) return {};
  const auto a = object.find("stream\r\n");
  if (a == std::string::npos) return {};
  return object.substr(a + 8, std::stoul(m[1]));
}

struct PdfFacts {
  std::string header, mediaBox, content, openAction, info, image;
  int pageObj = -1, openActionPage = -1;
};

PdfFacts Read(const std::string& pdf) {
  PdfFacts f;
  f.header = pdf.substr(0, pdf.find('\n') + 1);
  const std::string catalog = ObjectText(pdf, RefAfter(pdf, "/Root"));
  const std::string pages = ObjectText(pdf, RefAfter(catalog, "/Pages"));
  std::smatch m;
  if (std::regex_search(pages, m, std::regex("/Kids \\[(\\d+) 0 R\\]"))) f.pageObj = std::stoi(m[1]);
  const std::string page = ObjectText(pdf, f.pageObj);
  if (std::regex_search(page, m, std::regex("/MediaBox \\[([^\\]]*)\\]"))) f.mediaBox = m[1];
  f.content = StreamData(ObjectText(pdf, RefAfter(page, "/Contents")));
  if (std::regex_search(catalog, m, std::regex("/OpenAction \\[(\\d+) 0 R ([^\\]]*)\\]"))) {
    f.openActionPage = std::stoi(m[1]);
    f.openAction = m[2];
  }
  f.info = ObjectText(pdf, RefAfter(pdf, "/Info"));
  if (std::regex_search(page, m, std::regex("/XObject << /(\\w+) (\\d+) 0 R >>"))) {
    const std::string image = ObjectText(pdf, std::stoi(m[2]));
    EXPECT_NE(image.find("/Subtype /Image"), std::string::npos);
    EXPECT_NE(image.find("/ColorSpace /DeviceRGB"), std::string::npos);
    EXPECT_NE(image.find("/Filter [/DCTDecode]"), std::string::npos);
    f.image = StreamData(image);
    EXPECT_NE(f.content.find("/" + std::string(m[1]) + " Do\n"), std::string::npos);
  }
  return f;
}

void ExpectQpdfAccepts(const std::string& file) {
  std::string out;
  EXPECT_EQ(test::Run("qpdf --check '" + file + "'", &out), 0) << out;
  EXPECT_EQ(out.find("WARNING"), std::string::npos) << out;
}

struct SizeCase {
  int width, height;
};

class PdfExport : public ::testing::TestWithParam<SizeCase> {};

TEST_P(PdfExport, WritesTheOnePageDocument) {
  const auto [w, h] = GetParam();
  TTempFolder dir;
  const std::string file = dir.File("frame.pdf");
  TPDFExporter().Export(test::QuadrantPicture(w, h), file);
  ExpectQpdfAccepts(file);

  const std::string pdf = test::ReadFile(file);
  const PdfFacts f = Read(pdf);
  EXPECT_EQ(f.header, "%PDF-1.2 \r\n");
  const std::string size = std::to_string(w) + " " + std::to_string(h);
  EXPECT_EQ(f.mediaBox, "0 0 " + size);
  EXPECT_TRUE(std::regex_match(f.content, std::regex("q\n" + std::to_string(w) + " 0 0 " + std::to_string(h) +
                                                     " 0 0 cm\n/\\w+ Do\nQ\n")))
      << f.content;
  EXPECT_EQ(f.openActionPage, f.pageObj);
  EXPECT_EQ(f.openAction, "/XYZ -1 " + std::to_string(h + 10) + " 1");
  const std::string catalog = ObjectText(pdf, RefAfter(pdf, "/Root"));
  EXPECT_NE(catalog.find("/PageLayout /SinglePage"), std::string::npos);
  EXPECT_NE(catalog.find("/PageMode /UseNone"), std::string::npos);
  EXPECT_EQ(pdf.substr(pdf.size() - 7), "%%EOF\r\n");

  // An independent reader sees the same document.
  std::string info;
  ASSERT_EQ(test::Run("pdfinfo '" + file + "'", &info), 0) << info;
  EXPECT_TRUE(std::regex_search(
      info, std::regex("Page size: +" + std::to_string(w) + " x " + std::to_string(h) + " pts\n")))
      << info;
  EXPECT_TRUE(std::regex_search(info, std::regex("Pages: +1\n"))) << info;
  EXPECT_TRUE(std::regex_search(info, std::regex("PDF version: +1.2\n"))) << info;
}

INSTANTIATE_TEST_SUITE_P(Sizes, PdfExport, ::testing::Values(SizeCase{720, 576}, SizeCase{1, 1}, SizeCase{33, 17}),
                         [](const ::testing::TestParamInfo<SizeCase>& p) {
                           return std::to_string(p.param.width) + "x" + std::to_string(p.param.height);
                         });

TEST(PdfExport, InformationEntries) {
  TTempFolder dir;
  const std::string file = dir.File("a.pdf");
  TPDFExporter().Export(test::QuadrantPicture(16, 8), file);
  const PdfFacts f = Read(test::ReadFile(file));
  for (const char* entry : {"/Author (KELTA)", "/Title (Generated by Kelta)", "/Creator ()", "/Keywords ()",
                            "/Subject ()", "/Producer ("})
    EXPECT_NE(f.info.find(entry), std::string::npos) << entry << " in " << f.info;
  EXPECT_TRUE(std::regex_search(f.info, std::regex("/CreationDate \\(D:\\d{14}\\)"))) << f.info;
  EXPECT_TRUE(std::regex_search(f.info, std::regex("/ModDate \\(D:\\d{14}\\)"))) << f.info;
  std::string info;
  test::Run("pdfinfo '" + file + "'", &info);
  EXPECT_TRUE(std::regex_search(info, std::regex("Author: +KELTA\n"))) << info;
  EXPECT_TRUE(std::regex_search(info, std::regex("Title: +Generated by Kelta\n"))) << info;
}

// Walks the JPEG markers up to the first frame header.
struct JpegFrame {
  int marker = 0, components = 0, width = 0, height = 0;
  int sampling[3] = {};
  bool quantAllOnes = true;
};

JpegFrame ParseJpeg(const std::string& j) {
  JpegFrame f;
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(j[i]); };
  if (j.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8) return f;
  std::size_t i = 2;
  while (i + 4 <= j.size() && byte(i) == 0xFF) {
    const int marker = byte(i + 1);
    const std::size_t len = byte(i + 2) << 8 | byte(i + 3);
    if (marker == 0xDB) {  // quantisation tables: 8-bit entries here
      for (std::size_t k = i + 4; k < i + 2 + len; k += 65)
        for (std::size_t e = 1; e <= 64; ++e) f.quantAllOnes = f.quantAllOnes && byte(k + e) == 1;
    }
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      f.marker = marker;
      f.height = byte(i + 5) << 8 | byte(i + 6);
      f.width = byte(i + 7) << 8 | byte(i + 8);
      f.components = byte(i + 9);
      for (int c = 0; c < f.components && c < 3; ++c) f.sampling[c] = byte(i + 11 + 3 * c);
      return f;
    }
    i += 2 + len;
  }
  return f;
}

TEST(PdfExport, ImageIsABaselineJpegAtFullQualityWithHalvedChroma) {
  TTempFolder dir;
  const std::string file = dir.File("a.pdf");
  TPDFExporter().Export(test::QuadrantPicture(64, 48), file);
  const PdfFacts f = Read(test::ReadFile(file));
  const JpegFrame jpeg = ParseJpeg(f.image);
  EXPECT_EQ(jpeg.marker, 0xC0);  // SOF0: baseline
  EXPECT_EQ(jpeg.width, 64);
  EXPECT_EQ(jpeg.height, 48);
  ASSERT_EQ(jpeg.components, 3);
  EXPECT_EQ(jpeg.sampling[0], 0x22);
  EXPECT_EQ(jpeg.sampling[1], 0x11);
  EXPECT_EQ(jpeg.sampling[2], 0x11);
  EXPECT_TRUE(jpeg.quantAllOnes);  // what quality 100 gives
  EXPECT_EQ(static_cast<unsigned char>(f.image.back()), 0xD9);
}

TEST(PdfExport, RendersAsTheSourcePicture) {
  TTempFolder dir;
  const TFastDIB picture = test::QuadrantPicture(720, 576);
  const std::string file = dir.File("frame.pdf");
  TPDFExporter().Export(picture, file);
  ASSERT_EQ(test::Run("pdftoppm -r 72 -png -singlefile '" + file + "' '" + dir.File("render") + "'"), 0);
  const std::string png = dir.File("render.png");
  FIBITMAP* raw = FreeImage_Load(FIF_PNG, png.c_str());
  ASSERT_NE(raw, nullptr);
  std::unique_ptr<FIBITMAP, decltype(&FreeImage_Unload)> rendered(FreeImage_ConvertTo24Bits(raw), FreeImage_Unload);
  FreeImage_Unload(raw);
  ASSERT_EQ(FreeImage_GetWidth(rendered.get()), 720u);
  ASSERT_EQ(FreeImage_GetHeight(rendered.get()), 576u);
  double sum = 0;
  int worst = 0;
  for (int y = 0; y < 576; ++y) {
    // FreeImage keeps rows bottom-up like the pixel buffer.
    const BYTE* got = FreeImage_GetScanLine(rendered.get(), 575 - y);
    const std::uint8_t* want = picture.PixelPtr(0, y);
    for (int i = 0; i < 720 * 3; i += 3) {
      const int d[3] = {std::abs(got[i + FI_RGBA_BLUE] - want[i]), std::abs(got[i + FI_RGBA_GREEN] - want[i + 1]),
                        std::abs(got[i + FI_RGBA_RED] - want[i + 2])};
      for (int c : d) {
        sum += c;
        worst = std::max(worst, c);
      }
    }
  }
  const double mean = sum / (720.0 * 576 * 3);
  EXPECT_LT(mean, 2.0);
  // Only quadrant edges may differ visibly (halved chroma); a flipped page would differ by ~140.
  EXPECT_LT(worst, 100);
}

TEST(PdfExport, TwoExportsGiveTwoCompleteFiles) {
  TTempFolder dir;
  TPDFExporter exporter;
  exporter.Export(test::QuadrantPicture(40, 30), dir.File("one.pdf"));
  test::WriteFile(dir.File("two.pdf"), std::string(100000, 'x'));  // replaced, not appended to
  exporter.Export(test::QuadrantPicture(20, 50), dir.File("two.pdf"));
  ExpectQpdfAccepts(dir.File("one.pdf"));
  ExpectQpdfAccepts(dir.File("two.pdf"));
  EXPECT_EQ(Read(test::ReadFile(dir.File("one.pdf"))).mediaBox, "0 0 40 30");
  const std::string two = test::ReadFile(dir.File("two.pdf"));
  EXPECT_EQ(Read(two).mediaBox, "0 0 20 50");
  EXPECT_EQ(two.find("\nxref\r\n"), two.rfind("\nxref\r\n"));  // one document, nothing of the first carried over
}

TEST(PdfExport, FailuresRaiseAndLeaveNoFile) {
  TTempFolder dir;
  test::WriteFile(dir.File("plain"), "x");
  TPDFExporter exporter;
  for (const char* name : {"plain/a.pdf", "missing/a.pdf"}) {
    EXPECT_THROW(exporter.Export(test::QuadrantPicture(8, 8), dir.File(name)), EFCreateError) << name;
    EXPECT_FALSE(fs::exists(dir.File(name)));
  }
  try {
    exporter.Export(test::QuadrantPicture(8, 8), dir.File("missing/a.pdf"));
  } catch (const EFCreateError& e) {
    EXPECT_NE(std::string(e.what()).find("missing/a.pdf"), std::string::npos) << e.what();
  }
  // A picture the codec refuses; an existing file of that name stays as it was.
  test::WriteFile(dir.File("keep.pdf"), "old");
  EXPECT_THROW(exporter.Export(TFastDIB(), dir.File("keep.pdf")), EJpegError);
  EXPECT_EQ(test::ReadFile(dir.File("keep.pdf")), "old");
  // Wider than JPEG allows: the codec's error, not a crash.
  TFastDIB wide;
  wide.SetSize(70000, 1, 24);
  ASSERT_FALSE(wide.Empty());
  EXPECT_THROW(exporter.Export(wide, dir.File("wide.pdf")), EJpegError);
  EXPECT_FALSE(fs::exists(dir.File("wide.pdf")));
  // The exporter still works afterwards.
  exporter.Export(test::QuadrantPicture(8, 8), dir.File("ok.pdf"));
  ExpectQpdfAccepts(dir.File("ok.pdf"));
}

class NotAJpeg : public TGraphic {
 public:
  bool Empty() const override { return false; }
  int Width() const override { return 1; }
  int Height() const override { return 1; }
};

TEST(PdfJpegPicture, AcceptsOnlyJpegPictures) {
  TPRJpegImage item("Im1");
  try {
    item.SetPicture(std::make_shared<NotAJpeg>());
    ADD_FAILURE() << "accepted";
  } catch (const EPdfError& e) {
    EXPECT_STREQ(e.what(), "only jpeg image is allowed.");
  }
  EXPECT_EQ(item.Picture(), nullptr);
  try {
    TPdfJpegImage::CreateImage(NotAJpeg());
    ADD_FAILURE() << "accepted";
  } catch (const EPdfError& e) {
    EXPECT_STREQ(e.what(), "only jpeg image is allowed.");
  }
}

TEST(PdfJpegPicture, PrintsOnlyWhenPrintableWithAPicture) {
  auto jpeg = std::make_shared<TJpegImage>();
  jpeg->Assign(test::QuadrantPicture(4, 4));
  jpeg->Compress();
  struct Case {
    std::shared_ptr<TJpegImage> picture;
    bool printable;
    bool drawn;
  } cases[] = {{jpeg, true, true}, {jpeg, false, false}, {nullptr, true, false},
               {std::make_shared<TJpegImage>(), true, false}};
  for (const auto& c : cases) {
    TPReport report;
    report.BeginDoc();
    TPRPage page(10, 10);
    TPRJpegImage& item = page.AddPanel().AddItem<TPRJpegImage>("Im1");
    item.Width = item.Height = 4;
    item.Printable = c.printable;
    item.SetPicture(c.picture);
    report.Print(page);
    EXPECT_EQ(report.Doc().HasXObject("Im1"), c.drawn);
    EXPECT_EQ(report.Canvas().Content().empty(), !c.drawn);
  }
}

}  // namespace
}  // namespace kelta
