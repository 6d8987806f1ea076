// The library document's operations, the exact bytes they leave in the
// library file after every change, and the file's safety when writing fails.

#include <gtest/gtest.h>

#include <string>

#include "library/CodePage.h"
#include "support/FileSizeLimit.h"
#include "library/FilmManager.h"
#include "library/LibraryTestSupport.h"

namespace kelta {
namespace {

using test::DeclarationLine;
using test::Lines;
using test::ReadBytes;
using test::TTempFolder;
using test::WriteBytes;

const std::string ExampleLibrary = Lines({
    DeclarationLine,
    "<films>",
    R"(  <category name="Holidays">)",
    R"(    <film name="Summer 2005">)",
    R"(      <image name="Beach" filename="Kq3xZb7T_81234567.bmp" thumbnail="Kq3xZb7T_81234567_thumbnail.bmp" memo=""/>)",
    "    </film>",
    "  </category>",
    "</films>",
});

const std::string EmptyLibrary = Lines({DeclarationLine, "<films/>"});

TImageLibraryImageData BeachImage() {
  return {u"Beach", u"Kq3xZb7T_81234567.bmp", u"Kq3xZb7T_81234567_thumbnail.bmp", u""};
}

TEST(FilmManager, MissingFileStartsEmptyAndIsWrittenAsTwoLinesAtExit) {
  TTempFolder folder;
  {
    TFilmManager manager(folder / "config");
    EXPECT_TRUE(manager.Document().Root.Children.empty());
    EXPECT_EQ(manager.Document().Root.Name, "films");
  }
  EXPECT_EQ(ReadBytes(folder / "config"), EmptyLibrary);
}

TEST(FilmManager, EveryChangeIsInTheFileBeforeTheNextOne) {
  TTempFolder folder;
  const auto config = folder / "config";
  TFilmManager manager(config);

  manager.AddCategory(u"Holidays");
  EXPECT_EQ(ReadBytes(config), Lines({DeclarationLine, "<films>", R"(  <category name="Holidays"/>)", "</films>"}));

  manager.AddFilm(0, {u"Summer 2005", 0});
  EXPECT_EQ(ReadBytes(config), Lines({DeclarationLine, "<films>", R"(  <category name="Holidays">)",
                                      R"(    <film name="Summer 2005"/>)", "  </category>", "</films>"}));

  manager.AddImage(0, 0, BeachImage());
  EXPECT_EQ(ReadBytes(config), ExampleLibrary);

  manager.DeleteImage(0, 0, 0);
  EXPECT_EQ(ReadBytes(config), Lines({DeclarationLine, "<films>", R"(  <category name="Holidays">)",
                                      R"(    <film name="Summer 2005"/>)", "  </category>", "</films>"}));

  manager.DeleteFilm(0, 0);
  manager.DeleteCategory(0);
  EXPECT_EQ(ReadBytes(config), EmptyLibrary);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"config"}) << "no temporary file is left";
}

TEST(FilmManager, HandWrittenLibraryReadsBackAndWritesOutUnchanged) {
  TTempFolder folder;
  WriteBytes(folder / "config", ExampleLibrary);
  TFilmManager manager(folder / "config");
  const TXmlNode& image = manager.Document().Root.Children.at(0).Children.at(0).Children.at(0);
  EXPECT_EQ(image.Attribute("thumbnail"), "Kq3xZb7T_81234567_thumbnail.bmp");
  manager.Save(folder / "copy");
  EXPECT_EQ(ReadBytes(folder / "copy"), ExampleLibrary);
}

TEST(FilmManager, WrittenLibraryRoundTripsByteForByte) {
  TTempFolder folder;
  {
    TFilmManager manager(folder / "config");
    manager.AddCategory(u"<Tom & \"Jerry\" 's>");
    manager.AddCategory(u"Café ☺");
    manager.AddFilm(1, {u"Été", 0});
    manager.AddImage(1, 0, {u"one", u"A_1.bmp", u"A_1_thumbnail.bmp", u"first line\r\nsecond line"});
    manager.AddImage(1, 0, {u"two", u"B_-5.bmp", u"B_-5_thumbnail.bmp", u""});
  }
  const std::string written = ReadBytes(folder / "config");
  EXPECT_NE(written.find(R"(<category name="&lt;Tom &amp; &quot;Jerry&quot; &apos;s&gt;"/>)"), std::string::npos);
  EXPECT_NE(written.find(R"(<category name="Caf&#xC3;&#xA9; &#xE2;&#x98;&#xBA;">)"), std::string::npos);
  EXPECT_NE(written.find("memo=\"first line\r\nsecond line\"/>\r\n"), std::string::npos);
  for (unsigned char c : written) ASSERT_LT(c, 0x80) << "the file is 7-bit text";

  TFilmManager reread(folder / "config");
  const TXmlNode& root = reread.Document().Root;
  EXPECT_EQ(AnsiToWide(root.Children.at(0).Attribute("name")), u"<Tom & \"Jerry\" 's>");
  EXPECT_EQ(AnsiToWide(root.Children.at(1).Attribute("name")), u"Café ☺");
  EXPECT_EQ(AnsiToWide(root.Children.at(1).Children.at(0).Children.at(0).Attribute("memo")),
            u"first line\r\nsecond line");
  reread.Save(folder / "again");
  EXPECT_EQ(ReadBytes(folder / "again"), written);
}

TEST(FilmManager, UpdateImageChangesOnlyNameAndMemo) {
  TTempFolder folder;
  WriteBytes(folder / "config", ExampleLibrary);
  TFilmManager manager(folder / "config");
  manager.UpdateImage(0, 0, 0, {u"Dune", u"other.bmp", u"other_thumbnail.bmp", u"sand\r\nwind"});
  EXPECT_EQ(ReadBytes(folder / "config"),
            Lines({DeclarationLine, "<films>", R"(  <category name="Holidays">)", R"(    <film name="Summer 2005">)",
                   "      <image name=\"Dune\" filename=\"Kq3xZb7T_81234567.bmp\" "
                   "thumbnail=\"Kq3xZb7T_81234567_thumbnail.bmp\" memo=\"sand\r\nwind\"/>",
                   "    </film>", "  </category>", "</films>"}));
}

TEST(FilmManager, RenameKeepsAttributeSpellingOrderAndOthers) {
  TTempFolder folder;
  WriteBytes(folder / "config",
             R"(<films><group id="7" NAME="a"><movie/><film name="f" year="2005"/></group></films>)");
  TFilmManager manager(folder / "config");
  manager.RenameCategory(0, u"b");
  manager.RenameFilm(0, 0, {u"m", 0});
  manager.RenameFilm(0, 1, {u"g", 0});
  EXPECT_EQ(ReadBytes(folder / "config"),
            Lines({DeclarationLine, "<films>", R"(  <group id="7" NAME="b">)", R"(    <movie name="m"/>)",
                   R"(    <film name="g" year="2005"/>)", "  </group>", "</films>"}));
}

// A moved image keeps every attribute, in its order, and goes last in the
// other film, in the file at once; its own film or a bad position changes nothing.
TEST(FilmManager, MoveImageTakesTheWholeEntryToTheEndOfAnotherFilm) {
  TTempFolder folder;
  const std::string input =
      Lines({DeclarationLine, "<films>", R"(  <category name="A">)", R"(    <film name="F">)",
             R"(      <image name="x" filename="x.bmp" thumbnail="xt.bmp" memo="" frame="18517"/>)",
             R"(      <image name="y" filename="y.bmp" thumbnail="yt.bmp" memo="m"/>)", "    </film>", "  </category>",
             R"(  <category name="B">)", R"(    <film name="G">)",
             R"(      <image name="z" filename="z.bmp" thumbnail="zt.bmp" memo=""/>)", "    </film>", "  </category>",
             "</films>"});
  WriteBytes(folder / "config", input);
  TFilmManager manager(folder / "config");
  manager.MoveImage(0, 0, 0, 0, 0);
  EXPECT_THROW(manager.MoveImage(0, 0, 2, 1, 0), std::out_of_range);
  EXPECT_THROW(manager.MoveImage(0, 0, 0, 1, 1), std::out_of_range);
  EXPECT_EQ(ReadBytes(folder / "config"), input);

  manager.MoveImage(0, 0, 0, 1, 0);
  EXPECT_EQ(ReadBytes(folder / "config"),
            Lines({DeclarationLine, "<films>", R"(  <category name="A">)", R"(    <film name="F">)",
                   R"(      <image name="y" filename="y.bmp" thumbnail="yt.bmp" memo="m"/>)", "    </film>",
                   "  </category>", R"(  <category name="B">)", R"(    <film name="G">)",
                   R"(      <image name="z" filename="z.bmp" thumbnail="zt.bmp" memo=""/>)",
                   R"(      <image name="x" filename="x.bmp" thumbnail="xt.bmp" memo="" frame="18517"/>)", "    </film>",
                   "  </category>", "</films>"}));
}

TEST(FilmManager, PositionsCountEveryChildAndBadOnesChangeNothing) {
  TTempFolder folder;
  const std::string input = Lines({DeclarationLine, "<films>", "  <!-- note -->", R"(  <category name="A"/>)", "</films>"});
  WriteBytes(folder / "config", input);
  TFilmManager manager(folder / "config");

  EXPECT_THROW(manager.AddFilm(0, {u"F", 0}), std::out_of_range) << "a comment holds no films";
  EXPECT_THROW(manager.AddFilm(2, {u"F", 0}), std::out_of_range);
  EXPECT_THROW(manager.AddImage(1, 0, BeachImage()), std::out_of_range);
  EXPECT_THROW(manager.RenameCategory(-1, u"x"), std::out_of_range);
  EXPECT_THROW(manager.DeleteFilm(5, 0), std::out_of_range);
  manager.DeleteCategory(2);
  manager.DeleteFilm(1, 0);
  EXPECT_EQ(ReadBytes(folder / "config"), input);

  manager.AddFilm(1, {u"F", 0});
  manager.DeleteCategory(0);
  EXPECT_EQ(ReadBytes(folder / "config"),
            Lines({DeclarationLine, "<films>", R"(  <category name="A">)", R"(    <film name="F"/>)", "  </category>",
                   "</films>"}));
}

TEST(FilmManager, FailedSaveLeavesThePreviousFileIntactAndTakesTheChangeBack) {
  TTempFolder folder;
  const auto config = folder / "config";
  WriteBytes(config, ExampleLibrary);
  TFilmManager manager(config);
  {
    test::TFileSizeLimit limit(ExampleLibrary.size() + 16);
    try {
      manager.AddCategory(std::u16string(200, u'x'));
      FAIL() << "the write past the limit succeeded";
    } catch (const ELibraryFileError& error) {
      EXPECT_NE(std::string(error.what()).find(config.string()), std::string::npos) << error.what();
    }
  }
  EXPECT_EQ(ReadBytes(config), ExampleLibrary);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"config"});
  EXPECT_EQ(manager.Document().Root.Children.size(), 1u);

  // The failed change does not come back with the next one.
  manager.AddCategory(u"y");
  const std::string written = ReadBytes(config);
  EXPECT_EQ(written.find(std::string(200, 'x')), std::string::npos);
  EXPECT_NE(written.find(R"(<category name="y"/>)"), std::string::npos);
}

TEST(FilmManager, FileThatFailsToLoadIsNeverWrittenOver) {
  TTempFolder folder;
  const auto config = folder / "config";
  WriteBytes(config, ExampleLibrary);
  const std::string broken = "<films><category name=\"Holidays\">";
  {
    TFilmManager manager(config);
    WriteBytes(config, broken);
    EXPECT_THROW(manager.Load(config), ELibraryFileError);
    manager.AddCategory(u"after");
    EXPECT_EQ(ReadBytes(config), broken);
  }
  EXPECT_EQ(ReadBytes(config), broken);
}

TEST(FilmManager, LibraryFileThatCannotBeOpenedIsAnError) {
  TTempFolder folder;
  std::filesystem::create_directory(folder / "config");
  EXPECT_THROW(TFilmManager manager(folder / "config"), ELibraryFileError);
  EXPECT_TRUE(std::filesystem::is_directory(folder / "config"));
}

TEST(FilmManager, SaveIntoAMissingFolderIsAnError) {
  TTempFolder folder;
  TFilmManager manager(folder / "config");
  EXPECT_THROW(manager.Save(folder / "missing" / "config"), ELibraryFileError);
}

}  // namespace
}  // namespace kelta
