#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/RecentVideos.h"

namespace kelta {
namespace {

namespace fs = std::filesystem;
using Videos = std::vector<std::string>;

struct AddCase {
  const char* name;
  Videos added;     // in the order they were opened
  Videos expected;  // newest first
};

class RecentVideosAddTest : public ::testing::TestWithParam<AddCase> {};

TEST_P(RecentVideosAddTest, KeepsTheNewestFirstOnceEach) {
  TRecentVideos recent;
  for (const std::string& video : GetParam().added) recent.Add(video);
  EXPECT_EQ(recent.Videos(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecentVideosAddTest,
    ::testing::Values(
        AddCase{"NewestFirst", {"/v/a.vob", "/v/b.vob"}, {"/v/b.vob", "/v/a.vob"}},
        AddCase{"ReopenedMovesToTheFront", {"/v/a.vob", "/v/b.vob", "/v/a.vob"}, {"/v/a.vob", "/v/b.vob"}},
        AddCase{"EightAtMost",
                {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9", "/10"},
                {"/10", "/9", "/8", "/7", "/6", "/5", "/4", "/3"}},
        // A name the file cannot hold on one line is not remembered.
        AddCase{"LineBreakInNameSkipped", {"/v/a.vob", "/v/b\nc.vob"}, {"/v/a.vob"}}),
    [](const auto& param) { return std::string(param.param.name); });

class RecentVideosFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder = fs::temp_directory_path() /
             ("kelta-recent-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Folder);
    fs::create_directories(Folder);
  }
  void TearDown() override { fs::remove_all(Folder); }

  std::string Touch(const std::string& name) {
    const fs::path file = Folder / name;
    std::ofstream(file) << "video";
    return file.string();
  }

  fs::path Folder;
};

TEST_F(RecentVideosFileTest, ListAndFolderSurviveARestart) {
  const std::string first = Touch("first.vob");
  const std::string second = Touch("second.mpg");
  TRecentVideos recent;
  recent.Add(first);
  recent.Add(second);
  recent.Save(Folder / "recent-videos");

  const TRecentVideos again = TRecentVideos::Load(Folder / "recent-videos");
  EXPECT_EQ(again.Videos(), (Videos{second, first}));
  EXPECT_EQ(again.Folder(), Folder.string());
}

TEST_F(RecentVideosFileTest, MissingVideosAreDropped) {
  const std::string kept = Touch("kept.vob");
  TRecentVideos recent;
  recent.Add(kept);
  recent.Add((Folder / "gone.vob").string());
  recent.Add(Folder.string());  // a folder is no video
  fs::create_directories(Folder / "MY_DISC" / "VIDEO_TS");
  const std::string disc = (Folder / "MY_DISC").string();  // but a DVD's is
  recent.Add(disc);
  EXPECT_TRUE(recent.DropMissing());
  EXPECT_EQ(recent.Videos(), (Videos{disc, kept}));
  EXPECT_FALSE(recent.DropMissing());
}

TEST_F(RecentVideosFileTest, AMissingFileGivesAnEmptyList) {
  const TRecentVideos recent = TRecentVideos::Load(Folder / "none");
  EXPECT_TRUE(recent.Videos().empty());
  EXPECT_TRUE(recent.Folder().empty());
}

TEST(RecentVideosTextTest, ADamagedFileGivesWhatItStillSays) {
  const TRecentVideos recent = TRecentVideos::FromText(
      "folder=/films\r\nvideo=/films/a.vob\r\nnonsense\nvideo=\nvideo=/films/a.vob\nvideo=/films/b.vob");
  EXPECT_EQ(recent.Folder(), "/films");
  EXPECT_EQ(recent.Videos(), (Videos{"/films/a.vob", "/films/b.vob"}));
  EXPECT_EQ(recent.Text(), "folder=/films\nvideo=/films/a.vob\nvideo=/films/b.vob\n");
}

}  // namespace
}  // namespace kelta
