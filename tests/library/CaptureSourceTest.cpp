// Where a still came from: timecodes, the attributes the library file keeps
// for it, and that older libraries and older readers are not disturbed.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "imaging/FastDIB.h"
#include "library/CaptureSource.h"
#include "library/FilmManager.h"
#include "library/LibraryStoreChanges.h"
#include "library/LibraryTestSupport.h"
#include "library/Timecode.h"

namespace kelta {
namespace {

using test::DeclarationLine;
using test::Lines;
using test::ReadBytes;
using test::TTempFolder;
using test::WriteBytes;

struct TTimecodeCase {
  std::int64_t Frame;
  double Rate;
  const char* Expected;
};

class SmpteTimecodeTest : public testing::TestWithParam<TTimecodeCase> {};

TEST_P(SmpteTimecodeTest, CountsFramesAsEditorsDo) {
  EXPECT_EQ(SmpteTimecode(GetParam().Frame, GetParam().Rate), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, SmpteTimecodeTest,
    testing::Values(TTimecodeCase{0, 25.0, "00:00:00:00"}, TTimecodeCase{18517, 25.0, "00:12:20:17"},
                    TTimecodeCase{24, 24000.0 / 1001.0, "00:00:01:00"},
                    // Drop-frame: numbers 0 and 1 go at each minute but every tenth.
                    TTimecodeCase{1799, 30000.0 / 1001.0, "00:00:59;29"},
                    TTimecodeCase{1800, 30000.0 / 1001.0, "00:01:00;02"},
                    TTimecodeCase{17982, 30000.0 / 1001.0, "00:10:00;00"},
                    TTimecodeCase{107892, 30000.0 / 1001.0, "01:00:00;00"},
                    TTimecodeCase{3600, 60000.0 / 1001.0, "00:01:00;04"},
                    TTimecodeCase{-1, 25.0, ""}, TTimecodeCase{10, 0.0, ""}));

TEST(ClockText, WritesAndReadsMilliseconds) {
  EXPECT_EQ(ClockText(754567), "00:12:34.567");
  EXPECT_EQ(ClockText(360000000), "100:00:00.000");
  EXPECT_EQ(ParseClockText("00:12:34.567"), 754567);
  EXPECT_EQ(ParseClockText("100:00:00.000"), 360000000);
  for (const char* bad : {"", "12:34.567", "00:60:00.000", "00:00:00,000", "aa:00:00.000", "00:00:00.0000"})
    EXPECT_FALSE(ParseClockText(bad)) << bad;
  EXPECT_EQ(RateText(30000.0 / 1001.0), "29.97");
  EXPECT_EQ(RateText(25.0), "25");
  EXPECT_EQ(RateText(24000.0 / 1001.0), "23.976");
}

TCaptureSource FileSource() {
  TCaptureSource source;
  source.Video = "/films/Trip \"2\" & more.mpg";
  source.Frame = 18517;
  source.Position = 123456789;
  source.TimeMs = 740680;
  source.FrameRate = 25.0;
  source.Aspect = {16, 9};
  source.Captured = "2026-12-11T10:16:00Z";
  source.Still = "film frame rebuilt";
  return source;
}

TCaptureSource DvdSource() {
  TCaptureSource source;
  source.DvdVolume = "MY_DISC";
  source.DvdLocation = "/media/disc.iso";
  source.Title = 2;
  source.Chapter = 3;
  source.Frame = 1800;
  source.TimeMs = 60060;
  source.FrameRate = 30000.0 / 1001.0;
  source.Aspect = {4, 3};
  source.Captured = "2026-12-11T10:17:00Z";
  return source;
}

const std::string OldLibrary = Lines({
    DeclarationLine,
    "<films>",
    R"(  <category name="Holidays">)",
    R"(    <film name="Summer 2005">)",
    R"(      <image name="Beach" filename="Kq3xZb7T_81234567.bmp" thumbnail="Kq3xZb7T_81234567_thumbnail.bmp" memo=""/>)",
    R"(      <image name="Pier" filename="Ab_1.bmp" thumbnail="Ab_1_thumbnail.bmp" memo="x" rating="5"/>)",
    "    </film>",
    "  </category>",
    "</films>",
});

TEST(CaptureSource, FileAndDvdSourcesRoundTripThroughTheLibraryFile) {
  TTempFolder folder;
  {
    TFilmManager manager(folder / "config");
    manager.AddCategory(u"Films");
    manager.AddFilm(0, {u"Trip", 0});
    manager.AddImage(0, 0, {u"File", u"A_1.bmp", u"A_1_thumbnail.bmp", u""}, FileSource());
    manager.AddImage(0, 0, {u"Disc", u"B_2.bmp", u"B_2_thumbnail.bmp", u""}, DvdSource());
    manager.AddImage(0, 0, {u"Old", u"C_3.bmp", u"C_3_thumbnail.bmp", u""});
  }
  const std::string written = ReadBytes(folder / "config");
  EXPECT_NE(written.find("<image name=\"File\" filename=\"A_1.bmp\" thumbnail=\"A_1_thumbnail.bmp\" memo=\"\" "
                         "source-video=\"/films/Trip &quot;2&quot; &amp; more.mpg\" source-frame=\"18517\" "
                         "source-position=\"123456789\" source-time=\"00:12:20.680\" "
                         "source-timecode=\"00:12:20:17\" source-rate=\"25\" source-aspect=\"16:9\" "
                         "captured=\"2026-12-11T10:16:00Z\" source-still=\"film frame rebuilt\"/>"),
            std::string::npos)
      << written;
  EXPECT_NE(written.find("<image name=\"Disc\" filename=\"B_2.bmp\" thumbnail=\"B_2_thumbnail.bmp\" memo=\"\" "
                         "source-volume=\"MY_DISC\" source-dvd=\"/media/disc.iso\" source-title=\"2\" "
                         "source-chapter=\"3\" source-frame=\"1800\" source-time=\"00:01:00.060\" "
                         "source-timecode=\"00:01:00;02\" source-rate=\"29.97\" source-aspect=\"4:3\" "
                         "captured=\"2026-12-11T10:17:00Z\"/>"),
            std::string::npos)
      << written;

  TFilmManager reread(folder / "config");
  TCaptureSource dvd = DvdSource();
  dvd.FrameRate = 29.97;  // as the file keeps it
  EXPECT_EQ(reread.ImageSource(0, 0, 0), FileSource());
  EXPECT_EQ(reread.ImageSource(0, 0, 1), dvd);
  EXPECT_EQ(reread.ImageSource(0, 0, 1)->Timecode(), "00:01:00;02");
  EXPECT_FALSE(reread.ImageSource(0, 0, 2)) << "an image saved without a source has none";
  EXPECT_FALSE(reread.ImageSource(0, 0, 3));

  // Renaming keeps the source.
  reread.UpdateImage(0, 0, 0, {u"Renamed", u"", u"", u"memo"});
  EXPECT_EQ(TFilmManager(folder / "config").ImageSource(0, 0, 0), FileSource());
}

TEST(CaptureSource, AnOldLibraryIsWrittenBackByteForByte) {
  TTempFolder folder;
  WriteBytes(folder / "config", OldLibrary);
  {
    TFilmManager manager(folder / "config");
    EXPECT_FALSE(manager.ImageSource(0, 0, 0));
  }
  EXPECT_EQ(ReadBytes(folder / "config"), OldLibrary);
}

TEST(CaptureSource, AFileWrittenNowReadsInAReaderThatKnowsOnlyTheFourAttributes) {
  // A reader without sources looks up name, filename, thumbnail and memo by
  // name and writes back what it read: the source must neither change what
  // it finds nor be lost by it.
  TTempFolder folder;
  {
    TFilmManager manager(folder / "config");
    manager.AddCategory(u"Films");
    manager.AddFilm(0, {u"Trip", 0});
    manager.AddImage(0, 0, {u"File", u"A_1.bmp", u"A_1_thumbnail.bmp", u"m"}, FileSource());
  }
  const std::string written = ReadBytes(folder / "config");
  const TXmlDocument document = ParseXml(written);
  const TXmlNode& image = document.Root.Children.at(0).Children.at(0).Children.at(0);
  ASSERT_GE(image.Attributes.size(), 4u);
  const std::vector<TXmlAttribute> known(image.Attributes.begin(), image.Attributes.begin() + 4);
  EXPECT_EQ(known, (std::vector<TXmlAttribute>{{"name", "File"}, {"filename", "A_1.bmp"},
                                               {"thumbnail", "A_1_thumbnail.bmp"}, {"memo", "m"}}));
  EXPECT_EQ(WriteXml(document), written);
  // Without the extra attributes the element is what a writer without
  // sources writes.
  TXmlDocument stripped = document;
  stripped.Root.Children.at(0).Children.at(0).Children.at(0).Attributes.resize(4);
  TTempFolder older;
  {
    TFilmManager manager(older / "config");
    manager.AddCategory(u"Films");
    manager.AddFilm(0, {u"Trip", 0});
    manager.AddImage(0, 0, {u"File", u"A_1.bmp", u"A_1_thumbnail.bmp", u"m"});
  }
  EXPECT_EQ(WriteXml(stripped), ReadBytes(older / "config"));
}

TEST(CaptureSource, ValuesThatDoNotReadAsTheirKindAreUnknown) {
  TXmlNode image = TXmlNode::MakeElement("image");
  image.Attributes = {{"source-dvd", "/d"},       {"source-title", "-4"},   {"source-chapter", "x"},
                      {"source-frame", "1e9"},   {"source-position", ""},  {"source-time", "1:2:3"},
                      {"source-rate", "29,97"},  {"source-aspect", "0:9"}, {"source-video", "/ignored"}};
  const std::optional<TCaptureSource> source = ReadCaptureSource(image);
  ASSERT_TRUE(source);
  EXPECT_TRUE(source->IsDvd());
  EXPECT_EQ(source->Video, "");
  EXPECT_EQ(source->Title, 0);
  EXPECT_EQ(source->Chapter, 0);
  EXPECT_EQ(source->Frame, -1);
  EXPECT_EQ(source->Position, -1);
  EXPECT_EQ(source->TimeMs, -1);
  EXPECT_EQ(source->FrameRate, 0.0);
  EXPECT_FALSE(source->Aspect.Known());
  EXPECT_EQ(SourcePlace(*source), "");
}

TEST(CaptureSource, ANewImageMadeFromAnEditedPictureKeepsTheSource) {
  TTempFolder folder;
  TFilmManager manager(folder / "config");
  manager.AddCategory(u"Films");
  manager.AddFilm(0, {u"Trip", 0});
  TFastDIB picture;
  picture.SetSize(8, 6, 24);
  std::memset(picture.Bits(), 0x40, picture.ImageSize());
  StorePicture(manager, folder / "data", picture, 0, 0, {u"Cropped", u"", u"", u""}, DvdSource());
  TCaptureSource dvd = DvdSource();
  dvd.FrameRate = 29.97;
  EXPECT_EQ(TFilmManager(folder / "config").ImageSource(0, 0, 0), dvd);
}

TEST(CaptureSource, AVideoFoundElsewhereIsRelinkedForEveryImageFromIt) {
  TTempFolder folder;
  TFilmManager manager(folder / "config");
  manager.AddCategory(u"Films");
  manager.AddFilm(0, {u"Trip", 0});
  TCaptureSource other = FileSource();
  other.Video = "/films/other.mpg";
  manager.AddImage(0, 0, {u"a", u"A_1.bmp", u"A_1_thumbnail.bmp", u""}, FileSource());
  manager.AddImage(0, 0, {u"b", u"B_1.bmp", u"B_1_thumbnail.bmp", u""}, other);
  manager.AddImage(0, 0, {u"c", u"C_1.bmp", u"C_1_thumbnail.bmp", u""}, FileSource());
  manager.AddImage(0, 0, {u"d", u"D_1.bmp", u"D_1_thumbnail.bmp", u""}, DvdSource());
  TCaptureSource found = FileSource();
  found.Video = "/new place/trip.mpg";
  manager.RelinkSource(FileSource(), found);
  TCaptureSource foundDisc = DvdSource();
  foundDisc.DvdLocation = "/media/MY_DISC";
  manager.RelinkSource(DvdSource(), foundDisc);
  foundDisc.FrameRate = 29.97;

  TFilmManager reread(folder / "config");
  EXPECT_EQ(reread.ImageSource(0, 0, 0), found);
  EXPECT_EQ(reread.ImageSource(0, 0, 1), other);
  EXPECT_EQ(reread.ImageSource(0, 0, 2), found);
  EXPECT_EQ(reread.ImageSource(0, 0, 3), foundDisc);
}

TEST(CaptureSource, NameAndPlaceInOneLine) {
  EXPECT_EQ(SourceName(FileSource()), "/films/Trip \"2\" & more.mpg");
  EXPECT_EQ(SourceName(DvdSource()), "MY_DISC, title 2, chapter 3");
  EXPECT_EQ(SourcePlace(DvdSource()), "00:01:00.060 (SMPTE 00:01:00;02), frame 1801");
}

}  // namespace
}  // namespace kelta
