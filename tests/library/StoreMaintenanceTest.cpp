// What start-up cleans after a crash: only the temporary files of our own
// writes go; pictures that no entry names are found with their thumbnails.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/FastDIB.h"
#include "library/StoreMaintenance.h"
#include "library/StoredBitmap.h"
#include "library/LibraryTestSupport.h"
#include "library/XmlDocument.h"

namespace kelta {
namespace {

namespace fs = std::filesystem;
using test::TTempFolder;
using test::WriteBytes;

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(StoreMaintenanceTest, OnlyLeftoversOfOurOwnWritesAreRemoved) {
  TTempFolder folder;
  const fs::path data = folder / "data";
  fs::create_directory(data);
  for (const char* name : {"config", "config.tmp-123-0", "config.tmp-9-17", "config.tmp-x-1", "config.tmp-1",
                           "other.tmp-1-2", "notes.txt"})
    WriteBytes(folder / name, "x");
  for (const char* name : {"Kq_1.bmp", "Kq_1.bmp.tmp-5-6", "Kq_1_thumbnail.bmp.tmp-5-7", "Kq_1.bmp.saving",
                           "holiday.jpg.saving", "holiday.jpg.tmp-1-2", "Kq_2.bmp.tmp-a-b"})
    WriteBytes(data / name, "x");
  // A link of our naming is not a file of ours: it stays, and so does its target.
  fs::create_symlink(folder / "notes.txt", data / "Kq_3.bmp.tmp-1-1");

  EXPECT_EQ(RemoveStaleTempFiles(folder / "config", data), 5);
  EXPECT_EQ(Entries(folder.Path()),
            (std::vector<std::string>{"config", "config.tmp-1", "config.tmp-x-1", "data", "notes.txt",
                                      "other.tmp-1-2"}));
  EXPECT_EQ(Entries(data), (std::vector<std::string>{"Kq_1.bmp", "Kq_2.bmp.tmp-a-b", "Kq_3.bmp.tmp-1-1",
                                                     "holiday.jpg.saving", "holiday.jpg.tmp-1-2"}));
}

TEST(StoreMaintenanceTest, UnnamedPicturesAreFoundWithTheirThumbnails) {
  TTempFolder folder;
  for (const char* name : {"Aa_1.bmp", "Aa_1_thumbnail.bmp", "Bb_2.bmp", "Bb_2_thumbnail.bmp", "Cc_3.bmp",
                           "Dd_4_thumbnail.bmp", "Ee_5.bmp", "Ee_5_thumbnail.bmp", "notes.bmp"})
    WriteBytes(folder / name, "x");
  const TXmlDocument library = ParseXml(
      "<films><c><f>"
      "<image name=\"a\" filename=\"Aa_1.bmp\" thumbnail=\"Aa_1_thumbnail.bmp\"/>"
      "<image name=\"e\" FILENAME=\"gone.bmp\" thumbnail=\"Ee_5_thumbnail.bmp\"/>"
      "</f></c></films>");
  EXPECT_EQ(FindUnreferencedPictures(library, folder.Path()),
            (std::vector<TUnreferencedPicture>{{"Bb_2.bmp", "Bb_2_thumbnail.bmp"}, {"Cc_3.bmp", ""}, {"Ee_5.bmp", ""}}));
}

TEST(StoreMaintenanceTest, ARecoveredPictureIsReadAndGetsAThumbnail) {
  TTempFolder folder;
  TFastDIB picture;
  picture.SetSize(400, 300, 24);
  picture.Fill(TBGRColor{1, 2, 3});
  ASSERT_TRUE(picture.SaveToFile((folder / "Cc_3.bmp").string()));
  TUnreferencedPicture found{"Cc_3.bmp", ""};
  EXPECT_TRUE(PrepareForRecovery(folder.Path(), found));
  EXPECT_EQ(found.Thumbnail, "Cc_3_thumbnail.bmp");
  TFastDIB thumbnail;
  ASSERT_TRUE(thumbnail.LoadFromFile((folder / "Cc_3_thumbnail.bmp").string()));
  EXPECT_EQ(thumbnail.Width(), 200);
  EXPECT_EQ(thumbnail.RowCount(), 150);

  // A picture that cannot be read is not ready, even beside a thumbnail.
  WriteBytes(folder / "Dd_4.bmp", "not a bitmap");
  TUnreferencedPicture damaged{"Dd_4.bmp", ""};
  EXPECT_FALSE(PrepareForRecovery(folder.Path(), damaged));
  EXPECT_FALSE(fs::exists(folder / "Dd_4_thumbnail.bmp"));
  WriteBytes(folder / "Ee_5.bmp", "not a bitmap");
  ASSERT_TRUE(thumbnail.SaveToFile((folder / "Ee_5_thumbnail.bmp").string()));
  TUnreferencedPicture damagedWithThumbnail{"Ee_5.bmp", "Ee_5_thumbnail.bmp"};
  EXPECT_FALSE(PrepareForRecovery(folder.Path(), damagedWithThumbnail));
}

TEST(StoreMaintenanceTest, PicturesLeftAloneAreRemembered) {
  TTempFolder folder;
  EXPECT_TRUE(ReadLeftAlonePictures(folder / "missing").empty());
  WriteLeftAlonePictures(folder / "left", {"Bb_2.bmp", "Cc_3.bmp"});
  WriteBytes(folder / "edited", "Cc_3.bmp\n../evil\nBb_2.bmp\n");
  EXPECT_EQ(ReadLeftAlonePictures(folder / "left"), (std::vector<std::string>{"Bb_2.bmp", "Cc_3.bmp"}));
  EXPECT_EQ(ReadLeftAlonePictures(folder / "edited"), (std::vector<std::string>{"Bb_2.bmp", "Cc_3.bmp"}));
}

}  // namespace
}  // namespace kelta
