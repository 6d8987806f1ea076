// The names a single export writes: the extensions each format is known by,
// and names kept within what a file system takes.

#include <gtest/gtest.h>

#include <string>

#include "OutputTestSupport.h"
#include "output/ExportImageFormats.h"
#include "output/FileNames.h"
#include "output/FileOutput.h"

using namespace kelta;

namespace {

std::string Repeated(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// Whether text is whole UTF-8: no character cut at either end.
bool WholeUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

struct TTargetCase {
  const char* Name;
  int Entry;
  const char* Typed;
  int WrittenEntry;
  const char* Written;
};
void PrintTo(const TTargetCase& c, std::ostream* os) { *os << c.Name; }

class ExportTarget : public ::testing::TestWithParam<TTargetCase> {};

TEST_P(ExportTarget, KnownExtensionsAreKeptAndDecideTheFormat) {
  const TTargetCase& c = GetParam();
  const TExportTarget target = ExportTargetOf(c.Entry, c.Typed);
  EXPECT_EQ(target.FileName, c.Written);
  EXPECT_EQ(target.Entry, c.WrittenEntry);
}

INSTANTIATE_TEST_SUITE_P(
    ExportNames, ExportTarget,
    ::testing::Values(TTargetCase{"JpegSpelledOut", 2, "name.jpeg", 2, "name.jpeg"},
                      TTargetCase{"JpeUpperCase", 2, "name.JPE", 2, "name.JPE"},
                      TTargetCase{"JpgMixedCase", 2, "photo.JpG", 2, "photo.JpG"},
                      TTargetCase{"JpegTypedUnderPng", 3, "photo.jpeg", 2, "photo.jpeg"},
                      TTargetCase{"DibIsABitmap", 3, "shot.DIB", 1, "shot.DIB"},
                      TTargetCase{"PngTypedUnderBmp", 1, "shot.png", 3, "shot.png"},
                      TTargetCase{"GifUpperCase", 1, "anim.GIF", 4, "anim.GIF"},
                      TTargetCase{"PdfTyped", 5, "shot.pdf", 5, "shot.pdf"},
                      TTargetCase{"PdfAppended", 5, "shot", 5, "shot.pdf"},
                      TTargetCase{"OtherExtensionKeepsItsPlace", 2, "notes.txt", 2, "notes.txt.jpg"},
                      TTargetCase{"TwoDots", 3, "a.b.png", 3, "a.b.png"},
                      TTargetCase{"DotInTheFolderOnly", 3, "/tmp/dir.png/pic", 3, "/tmp/dir.png/pic.png"}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(ExportNames, EveryFormatListsItsUsualExtensionsFirstInLowerCase) {
  const std::vector<std::vector<std::string>> expected = {
      {".bmp", ".dib"}, {".jpg", ".jpeg", ".jpe"}, {".png"}, {".gif"}, {".pdf"}};
  ASSERT_EQ(ExportImageFormatCount, 5);
  for (int entry = 1; entry <= ExportImageFormatCount; ++entry) {
    const TExportFormatNames* format = ExportImageFormat(entry);
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(std::vector<std::string>(format->Extensions.begin(), format->Extensions.end()), expected[entry - 1]);
    EXPECT_EQ(ExportImageExtension(entry), expected[entry - 1].front());
  }
  EXPECT_EQ(ExportImageFormat(0), nullptr);
  EXPECT_EQ(ExportImageExtension(6), "");
}

// Shortened to 255 bytes of UTF-8 with the extension kept, never inside a
// character (é takes two bytes, the emoji four), without a blank at the cut.
TEST(ExportNames, SuggestedNamesFitTheFileSystem) {
  struct TCase {
    std::string Base;
    int Entry;
    std::size_t Bytes;
    std::string Ending;
  };
  const TCase cases[] = {
      {Repeated("a", 251), 2, 255, "a.jpg"},
      {Repeated("a", 252), 2, 255, "a.jpg"},
      {Repeated("\xC3\xA9", 300), 3, 254, "\xC3\xA9.png"},
      {"x" + Repeated("\xF0\x9F\x98\x80", 100), 1, 253, "\x80.bmp"},
      {Repeated("a", 249) + "  bcd", 5, 253, "a.pdf"},
      {Repeated("b", 300) + ".JPEG", 2, 255, "b.JPEG"},  // the entry's own extension kept
      {"Holiday.png", 2, 15, "Holiday.png.jpg"},
  };
  for (const TCase& c : cases) {
    const std::string name = SuggestedExportFileName(c.Entry, c.Base);
    EXPECT_EQ(name.size(), c.Bytes) << name;
    EXPECT_LE(name.size(), MaxFileNameBytes);
    EXPECT_TRUE(WholeUtf8(name)) << name;
    EXPECT_EQ(name.substr(name.size() - c.Ending.size()), c.Ending);
    EXPECT_EQ(FileNameProblem(name), "");
  }
}

TEST(ExportNames, ANamePartLongerThanTheFileSystemTakesIsExplained) {
  EXPECT_EQ(FileNameProblem("/tmp/" + Repeated("a", 251) + ".jpg"), "");
  const std::string tooLong = FileNameProblem("/tmp/" + Repeated("a", 252) + ".jpg");
  EXPECT_NE(tooLong.find("file name"), std::string::npos) << tooLong;
  EXPECT_NE(tooLong.find("256 bytes"), std::string::npos) << tooLong;
  EXPECT_NE(tooLong.find("at most 255"), std::string::npos) << tooLong;
  // 128 letters, 256 bytes.
  EXPECT_NE(FileNameProblem(Repeated("\xC3\xA9", 128)).find("256 bytes"), std::string::npos);
  const std::string folder = FileNameProblem("/tmp/" + Repeated("d", 300) + "/x.png");
  EXPECT_NE(folder.find("folder name"), std::string::npos) << folder;
  EXPECT_TRUE(WholeUtf8(FileNameProblem(Repeated("\xE2\x82\xAC", 200))));
  EXPECT_EQ(FileNameProblem(""), "");
}

// A name the file system just takes is written and replaced like any other,
// whatever the temporary file beside it is called, and nothing else is left.
TEST(ExportNames, ANameThatJustFitsTheFileSystemIsWritten) {
  test::TTempFolder dir;
  const std::string names[] = {Repeated("a", 251) + ".jpg", Repeated("\xC3\xA9", 125) + ".png", "short.bmp"};
  for (const std::string& name : names) {
    ASSERT_EQ(FileNameProblem(dir.File(name)), "") << name;
    for (const std::string data : {"first", "second"}) {
      ASSERT_NO_THROW(WriteWholeFile(dir.File(name), data + name)) << name;
      EXPECT_EQ(test::ReadFile(dir.File(name)), data + name);
    }
  }
  EXPECT_EQ(dir.Entries().size(), std::size(names));
}

}  // namespace
