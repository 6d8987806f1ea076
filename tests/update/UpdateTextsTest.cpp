#include <gtest/gtest.h>

#include "update/UpdateTexts.h"

using namespace kelta;

namespace {

TEST(UpdateTexts, VersionNumbersShowAsDottedDigits) {
  EXPECT_EQ(FormatVersion(3010), "3.0.1.0");
  EXPECT_EQ(FormatVersion(3011), "3.0.1.1");
  EXPECT_EQ(FormatVersion(7), "7");
  EXPECT_EQ(FormatVersion(-12), "-1.2");
}

TEST(UpdateTexts, NewerVersionTextHasThreeLines) {
  EXPECT_EQ(NewerVersionText(3010, "3.0.1.1"),
            "current version is: 3.0.1.0\nthe latest version is: 3.0.1.1\n"
            "please click the download link to get it.");
  EXPECT_EQ(NewerVersionText(3010, ""),
            "current version is: 3.0.1.0\nthe latest version is: \n"
            "please click the download link to get it.");
}

}  // namespace
