#include <gtest/gtest.h>

#include <string>

#include "update/UpdateInfo.h"
#include "update/UpdateRecord.h"

using namespace kelta;
using kelta::testing::MakeUpdateRecord;

namespace {

struct ExamineCase {
  const char* name;
  std::vector<std::uint8_t> data;
  TUpdateStatus status;
  std::int32_t version;  // of the record read, when valid
  std::string versionText;
  std::string downloadURL;
};

const std::string Text64(64, 'V');
const std::string URL261 = "http://kelta.example/" + std::string(261 - 21, 'u');

class ExamineTest : public ::testing::TestWithParam<ExamineCase> {};

TEST_P(ExamineTest, GivesVerdictAndRecord) {
  const ExamineCase& c = GetParam();
  TUpdateInfo info;
  info.Version = 77;
  EXPECT_EQ(ExamineUpdateData(c.data, CurrentVersion, info), c.status);
  if (c.status == TUpdateStatus::usInvalidInfo) {
    EXPECT_EQ(info.Version, 77) << "an invalid file must not replace the last record";
    return;
  }
  EXPECT_EQ(info.Version, c.version);
  EXPECT_EQ(VersionTextOf(info), c.versionText);
  EXPECT_EQ(DownloadURLOf(info), c.downloadURL);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ExamineTest,
    ::testing::Values(
        ExamineCase{"Empty", {}, TUpdateStatus::usInvalidInfo, 0, "", ""},
        ExamineCase{"ThreeBytes", MakeUpdateRecord(3011, "", "", 3), TUpdateStatus::usInvalidInfo, 0, "", ""},
        ExamineCase{"BelowValid", MakeUpdateRecord(2999, "2.9.9.9", "http://a/"), TUpdateStatus::usInvalidInfo,
                    0, "", ""},
        ExamineCase{"Negative", MakeUpdateRecord(-3011, "x", "http://a/"), TUpdateStatus::usInvalidInfo, 0, "",
                    ""},
        ExamineCase{"LowestValid", MakeUpdateRecord(3000, "3.0.0.0", "http://a/"), TUpdateStatus::usUpToDate,
                    3000, "3.0.0.0", "http://a/"},
        ExamineCase{"SameVersion", MakeUpdateRecord(3010, "3.0.1.0", "http://a/"), TUpdateStatus::usUpToDate,
                    3010, "3.0.1.0", "http://a/"},
        ExamineCase{"NextVersion", MakeUpdateRecord(3011, "3.0.1.1", "http://kelta.example/get"),
                    TUpdateStatus::usNewerVersion, 3011, "3.0.1.1", "http://kelta.example/get"},
        ExamineCase{"LargestVersion", MakeUpdateRecord(0x7FFFFFFF, "big", ""), TUpdateStatus::usNewerVersion,
                    0x7FFFFFFF, "big", ""},
        ExamineCase{"OnlyTheVersion", MakeUpdateRecord(3011, "", "", 4), TUpdateStatus::usNewerVersion, 3011,
                    "", ""},
        ExamineCase{"TwelveBytes", MakeUpdateRecord(4000, "", "", 12),
                    TUpdateStatus::usNewerVersion, 4000, "", ""},
        ExamineCase{"CutInsideText", MakeUpdateRecord(3011, "3.0.1.1", "http://a/", 11),
                    TUpdateStatus::usNewerVersion, 3011, "3.0", ""},
        ExamineCase{"TextFillsField", MakeUpdateRecord(3011, Text64, "http://a/"), TUpdateStatus::usNewerVersion,
                    3011, Text64, "http://a/"},
        ExamineCase{"AddressFillsRecordAndMore", MakeUpdateRecord(3011, "3.0.1.1", URL261, 400),
                    TUpdateStatus::usNewerVersion, 3011, "3.0.1.1", URL261}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(UpdateInfo, VersionIsLittleEndianAndSigned) {
  const std::vector<std::uint8_t> newer = {0xC3, 0x0B, 0x00, 0x00};  // 3011
  EXPECT_EQ(ReadUpdateInfo(newer).Version, 3011);
  const std::vector<std::uint8_t> minusOne = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(ReadUpdateInfo(minusOne).Version, -1);
  TUpdateInfo info;
  EXPECT_EQ(ExamineUpdateData(minusOne, CurrentVersion, info), TUpdateStatus::usInvalidInfo);
}

TEST(UpdateInfo, LaterExaminationReplacesTheWholeRecord) {
  TUpdateInfo info;
  ASSERT_EQ(ExamineUpdateData(MakeUpdateRecord(3011, "3.0.1.1", "http://a/long/path"), CurrentVersion, info),
            TUpdateStatus::usNewerVersion);
  // A shorter text must not leave the tail of the previous one behind.
  ASSERT_EQ(ExamineUpdateData(MakeUpdateRecord(3012, "3.1", "", 20), CurrentVersion, info),
            TUpdateStatus::usNewerVersion);
  EXPECT_EQ(info.Version, 3012);
  EXPECT_EQ(VersionTextOf(info), "3.1");
  EXPECT_EQ(DownloadURLOf(info), "");
}

TEST(UpdateInfo, VersionComparisonUsesTheGivenCurrentVersion) {
  TUpdateInfo info;
  const auto record = MakeUpdateRecord(3500);
  EXPECT_EQ(ExamineUpdateData(record, 3499, info), TUpdateStatus::usNewerVersion);
  EXPECT_EQ(ExamineUpdateData(record, 3500, info), TUpdateStatus::usUpToDate);
  EXPECT_EQ(ExamineUpdateData(record, 3501, info), TUpdateStatus::usUpToDate);
}

}  // namespace
