// The image store against untrusted library files and failed writes: names
// that lead out of the data folder are refused, a deleted image's files go only
// after the library has forgotten it, and a capture whose entry cannot be saved
// leaves nothing behind.

#include <gtest/gtest.h>

#include <string>

#include "library/CodePage.h"
#include "library/FilmManager.h"
#include "library/ImageSaveManager.h"
#include "library/LibraryStoreChanges.h"
#include "library/LibraryTestSupport.h"
#include "library/StoreFileNames.h"

namespace kelta {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TTempFolder;
using test::WriteBytes;

struct TNameCase {
  const char* Name;
  bool Picture;
  bool Thumbnail;
};

class StoreNameTest : public testing::TestWithParam<TNameCase> {};

TEST_P(StoreNameTest, OnlyTheStoresOwnPatternIsAStoreName) {
  const TNameCase& c = GetParam();
  EXPECT_EQ(IsStorePictureName(c.Name), c.Picture) << c.Name;
  EXPECT_EQ(IsStoreThumbnailName(c.Name), c.Thumbnail) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(Names, StoreNameTest,
                         testing::Values(TNameCase{"Kq3xZb7T_81234567.bmp", true, false},
                                         TNameCase{"Kq3xZb7T_81234567_thumbnail.bmp", false, true},
                                         TNameCase{"Kq3xZb7T_-2147483648.bmp", true, false},
                                         TNameCase{"Kq3xZb7T_-5_thumbnail.bmp", false, true},
                                         TNameCase{"Kq3xZb7T_12.BMP", true, false},
                                         TNameCase{"", false, false},
                                         TNameCase{"a.bmp", false, false},
                                         TNameCase{"_12.bmp", false, false},
                                         TNameCase{"Kq_.bmp", false, false},
                                         TNameCase{"Kq_12345678901.bmp", false, false},
                                         TNameCase{"../Kq_1.bmp", false, false},
                                         TNameCase{"x/Kq_1.bmp", false, false},
                                         TNameCase{"/tmp/Kq_1.bmp", false, false},
                                         TNameCase{"Kq_1.bmp/..", false, false},
                                         TNameCase{"K.q_1.bmp", false, false},
                                         TNameCase{"Kq_1.bmp.txt", false, false},
                                         TNameCase{"Kq_1_thumbnail_thumbnail.bmp", false, false}),
                         [](const auto& param) { return "Case" + std::to_string(param.index); });

TEST(StoreConfinementTest, ANameWithANulIsRefused) {
  TTempFolder folder;
  EXPECT_FALSE(ConfinedStoreFile(folder.Path(), std::string("Kq_1.bmp\0../x", 13)));
}

TEST(StoreConfinementTest, AStoreNameInsideTheFolderIsItsPath) {
  TTempFolder folder;
  const auto file = ConfinedStoreFile(folder.Path(), "Kq_1.bmp");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->filename(), "Kq_1.bmp");
  EXPECT_EQ(fs::canonical(file->parent_path()), fs::canonical(folder.Path()));
}

TEST(StoreConfinementTest, ALinkThatLeadsOutOfTheFolderIsRefused) {
  TTempFolder folder;
  fs::create_directory(folder / "data");
  WriteBytes(folder / "outside.bmp", "secret");
  fs::create_symlink(folder / "outside.bmp", folder / "data" / "Kq_1.bmp");
  WriteBytes(folder / "data" / "Kq_2.bmp", "inside");
  fs::create_symlink("Kq_2.bmp", folder / "data" / "Kq_3.bmp");
  EXPECT_FALSE(ConfinedStoreFile(folder / "data", "Kq_1.bmp"));
  EXPECT_TRUE(ConfinedStoreFile(folder / "data", "Kq_3.bmp"));
}

TEST(StoreConfinementTest, ADataFolderThatIsALinkStillHoldsItsFiles) {
  TTempFolder folder;
  fs::create_directory(folder / "elsewhere");
  fs::create_directory_symlink(folder / "elsewhere", folder / "data");
  EXPECT_TRUE(ConfinedStoreFile(folder / "data", "Kq_1.bmp"));
}

// A library whose one film holds the given images, in a folder with data/.
class LibraryWithImages {
 public:
  explicit LibraryWithImages(std::initializer_list<TImageLibraryImageData> images) {
    fs::create_directory(Folder / "data");
    Films.AddCategory(u"Holidays");
    Films.AddFilm(0, {u"Summer", 0});
    for (const auto& image : images) Films.AddImage(0, 0, image);
  }
  fs::path Data() const { return Folder / "data"; }

  TTempFolder Folder;
  TFilmManager Films{Folder / "config"};
};

TEST(StoreDeleteTest, ATraversalEntryTouchesNothingOutsideTheDataFolder) {
  TTempFolder outside;
  WriteBytes(outside / "victim.bmp", "keep me");
  WriteBytes(outside / "victim.txt", "keep me too");
  const std::string up = "../../" + outside.Path().filename().string() + "/victim";
  LibraryWithImages library({{u"Up", AnsiToWide(up + ".bmp"), AnsiToWide(up + ".txt"), u""},
                             {u"Absolute", AnsiToWide((outside / "victim.bmp").string()),
                              AnsiToWide((outside / "victim.txt").string()), u""}});
  DeleteImageAndFiles(library.Films, library.Data(), 0, 0, 1);
  DeleteImageAndFiles(library.Films, library.Data(), 0, 0, 0);
  EXPECT_EQ(ReadBytes(outside / "victim.bmp"), "keep me");
  EXPECT_EQ(ReadBytes(outside / "victim.txt"), "keep me too");
  EXPECT_TRUE(library.Films.Document().Root.Children[0].Children[0].Children.empty());
}

TEST(StoreDeleteTest, TheFilesGoAfterTheLibraryForgetsTheImage) {
  LibraryWithImages library({{u"Beach", u"Kq_1.bmp", u"Kq_1_thumbnail.bmp", u""}});
  WriteBytes(library.Data() / "Kq_1.bmp", "picture");
  WriteBytes(library.Data() / "Kq_1_thumbnail.bmp", "thumbnail");
  DeleteImageAndFiles(library.Films, library.Data(), 0, 0, 0);
  EXPECT_FALSE(fs::exists(library.Data() / "Kq_1.bmp"));
  EXPECT_FALSE(fs::exists(library.Data() / "Kq_1_thumbnail.bmp"));
  EXPECT_EQ(TFilmManager(library.Folder / "config").Document().Root.Children[0].Children[0].Children.size(), 0u);
}

TEST(StoreDeleteTest, ALibraryThatCannotBeWrittenKeepsTheFiles) {
  LibraryWithImages library({{u"Beach", u"Kq_1.bmp", u"Kq_1_thumbnail.bmp", u""}});
  WriteBytes(library.Data() / "Kq_1.bmp", "picture");
  // A folder where the library file should be: its replacement cannot be renamed there.
  fs::remove(library.Folder / "config");
  fs::create_directory(library.Folder / "config");
  WriteBytes(library.Folder / "config" / "block", "");
  EXPECT_THROW(DeleteImageAndFiles(library.Films, library.Data(), 0, 0, 0), ELibraryFileError);
  EXPECT_TRUE(fs::exists(library.Data() / "Kq_1.bmp"));
  EXPECT_EQ(library.Films.Document().Root.Children[0].Children[0].Children.size(), 1u);
}

TEST(StoreDeleteTest, AFileThatAnotherEntryNamesStays) {
  LibraryWithImages library({{u"One", u"Kq_1.bmp", u"Kq_1_thumbnail.bmp", u""},
                             {u"Copy", u"Kq_1.bmp", u"Kq_1_thumbnail.bmp", u""}});
  WriteBytes(library.Data() / "Kq_1.bmp", "picture");
  WriteBytes(library.Data() / "Kq_1_thumbnail.bmp", "thumbnail");
  DeleteImageAndFiles(library.Films, library.Data(), 0, 0, 0);
  EXPECT_TRUE(fs::exists(library.Data() / "Kq_1.bmp"));
  EXPECT_TRUE(fs::exists(library.Data() / "Kq_1_thumbnail.bmp"));
}

TFastDIB SmallFrame() {
  TFastDIB frame;
  frame.SetSize(64, 48, 24);
  frame.Fill(TBGRColor{10, 20, 30});
  return frame;
}

TEST(StoreCaptureTest, ACaptureIsOnDiskAndInTheLibraryFile) {
  LibraryWithImages library({});
  TFastDIB frame = SmallFrame();
  TimageSaveManager store(library.Data());
  store.Image = &frame;
  const TImageLibraryImageData stored = StoreCapture(library.Films, store, 0, 0, {u"Beach", {}, {}, u"memo"});
  EXPECT_TRUE(fs::is_regular_file(library.Data() / WideToAnsi(stored.FileName)));
  EXPECT_TRUE(fs::is_regular_file(library.Data() / WideToAnsi(stored.Thumbnail)));
  const TFilmManager reread(library.Folder / "config");
  const TXmlNode& image = reread.Document().Root.Children[0].Children[0].Children.at(0);
  EXPECT_EQ(image.Attribute("filename"), WideToAnsi(stored.FileName));
  EXPECT_EQ(image.Attribute("name"), "Beach");
}

TEST(StoreCaptureTest, ACaptureWhoseEntryCannotBeSavedIsNotKept) {
  LibraryWithImages library({});
  fs::remove(library.Folder / "config");
  fs::create_directory(library.Folder / "config");
  WriteBytes(library.Folder / "config" / "block", "");
  TFastDIB frame = SmallFrame();
  TimageSaveManager store(library.Data());
  store.Image = &frame;
  try {
    StoreCapture(library.Films, store, 0, 0, {u"Beach", {}, {}, u""});
    FAIL() << "the capture was kept";
  } catch (const ECaptureNotKept& error) {
    EXPECT_NE(std::string(error.what()).find("The capture was not kept"), std::string::npos) << error.what();
  }
  EXPECT_TRUE(library.Films.Document().Root.Children[0].Children[0].Children.empty());
  EXPECT_TRUE(fs::is_empty(library.Data()));
}

}  // namespace
}  // namespace kelta
