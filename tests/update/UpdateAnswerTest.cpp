#include <gtest/gtest.h>

#include <string>

#include "update/UpdateAnswer.h"

using namespace kelta;

namespace {

struct TypeCase {
  const char* name;
  std::string contentType;
  bool webPage;
};

class WebPageTypeTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(WebPageTypeTest, OnlyHtmlTypesAreWebPages) {
  EXPECT_EQ(IsWebPageType(GetParam().contentType), GetParam().webPage) << GetParam().contentType;
}

INSTANTIATE_TEST_SUITE_P(
    ContentTypes, WebPageTypeTest,
    ::testing::Values(TypeCase{"Html", "text/html", true},
                      TypeCase{"HtmlWithCharset", "text/html; charset=UTF-8", true},
                      TypeCase{"UpperCaseWithBlanks", " TEXT/HTML ;charset=iso-8859-1", true},
                      TypeCase{"Xhtml", "application/xhtml+xml", true},
                      TypeCase{"OctetStream", "application/octet-stream", false},
                      TypeCase{"PlainText", "text/plain", false},
                      TypeCase{"Missing", "", false},
                      TypeCase{"LongerName", "text/htmlx", false},
                      TypeCase{"HtmlOnlyAsParameter", "application/octet-stream; x=text/html", false}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
