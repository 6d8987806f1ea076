// File names made from a template of the source's facts.

#include <gtest/gtest.h>

#include <fstream>

#include "output/FileNameTemplate.h"
#include "support/TempFolder.h"

namespace kelta {
namespace {

TCaptureSource Disc() {
  TCaptureSource source;
  source.DvdVolume = "MY_DISC";
  source.DvdLocation = "/media/disc.iso";
  source.Title = 2;
  source.Chapter = 3;
  source.Frame = 18517;
  source.TimeMs = 754567;
  source.FrameRate = 25;
  source.Captured = "2026-12-11T10:16:00Z";
  return source;
}

TCaptureSource File() {
  TCaptureSource source;
  source.Video = "/films/Trip: day 1.mpg";
  source.Frame = 17;
  source.TimeMs = 680;
  source.FrameRate = 25;
  return source;
}

struct TNameCase {
  std::string Pattern;
  TNameFields Fields;
  std::string Expected;
};

class FileNameTemplateTest : public testing::TestWithParam<TNameCase> {};

TEST_P(FileNameTemplateTest, FillsTheFieldsAndKeepsTheNameWritable) {
  EXPECT_EQ(NameFromTemplate(GetParam().Pattern, GetParam().Fields), GetParam().Expected);
}

const std::string Default(DefaultNameTemplate);

INSTANTIATE_TEST_SUITE_P(
    Cases, FileNameTemplateTest,
    testing::Values(
        TNameCase{Default, {"Pier", "Film", Disc()}, "Film - Title 2 - 00.12.34.567 - frame 18518"},
        // A file has no title: that part goes with its separator.
        TNameCase{Default, {"Pier", "", File()}, "Trip_ day 1 - 00.00.00.680 - frame 18"},
        TNameCase{"{video} {chapter} {timecode} {date}", {"x", "", Disc()},
                  "MY_DISC Chapter 3 00.12.20.17 2026-12-11"},
        // The names of before, and any name without a source.
        TNameCase{std::string(PlainNameTemplate), {"Pier", "Film", Disc()}, "Pier"},
        TNameCase{"{film}", {"a: b", " . ", File()}, "a_ b"},
        TNameCase{Default, {"a/b: c", "Film", std::nullopt}, "a/b: c"},
        TNameCase{std::string(PlainNameTemplate), {"a: b", "Film", Disc()}, "a: b"},
        // Refused characters, and a name of dots and blanks.
        TNameCase{"{film}/{name}?*", {"a<b>|c", "F\"1\\2", Disc()}, "F_1_2_a_b__c__"},
        TNameCase{"{film}", {" .. ", " . ", File()}, "picture"},
        TNameCase{"{unknown} - {frame}", {"n", "", File()}, "{unknown} - 18"}));

TEST(NameTemplateFile, KeepsTheTemplateAndFallsBackToTheDefault) {
  test::TTempFolder folder;
  const auto file = folder / "name-template";
  EXPECT_EQ(LoadNameTemplate(file), Default);
  SaveNameTemplate(file, "{name}");
  EXPECT_EQ(LoadNameTemplate(file), "{name}");
  SaveNameTemplate(file, "  ");
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(LoadNameTemplate(file), Default);
}

}  // namespace
}  // namespace kelta
