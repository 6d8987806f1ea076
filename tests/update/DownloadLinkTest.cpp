#include <gtest/gtest.h>

#include <string>

#include "update/DownloadLink.h"

using namespace kelta;

namespace {

struct LinkCase {
  const char* name;
  std::string text;
  bool opens;
};

class DownloadLinkTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(DownloadLinkTest, OnlyWebAddressesAreOpened) {
  EXPECT_EQ(IsWebAddress(GetParam().text), GetParam().opens) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, DownloadLinkTest,
    ::testing::Values(LinkCase{"Http", "http://kelta.example/download/kelta-3011.zip", true},
                      LinkCase{"Https", "https://kelta.example/", true},
                      LinkCase{"UpperCaseScheme", "HTTPS://kelta.example", true},
                      LinkCase{"HostWithPortAndUser", "http://user@kelta.example:8080/x", true},
                      LinkCase{"Ipv6Host", "http://[::1]:80/x", true},
                      LinkCase{"Empty", "", false},
                      LinkCase{"File", "file:///etc/passwd", false},
                      LinkCase{"Javascript", "javascript:alert(1)", false},
                      LinkCase{"JavascriptMentioningHttp", "javascript://http://x%0aalert(1)", false},
                      LinkCase{"Mailto", "mailto:someone@kelta.example", false},
                      LinkCase{"Ftp", "ftp://kelta.example/", false},
                      LinkCase{"NoScheme", "kelta.example/download", false},
                      LinkCase{"SingleSlash", "http:/kelta.example", false},
                      LinkCase{"NoHost", "http:///etc/passwd", false},
                      LinkCase{"OnlyPort", "http://:80/", false},
                      LinkCase{"OnlyUser", "http://user@/", false},
                      LinkCase{"LeadingSpace", " http://kelta.example/", false},
                      LinkCase{"EmbeddedNewline", "http://kelta.example/\nfile:///x", false},
                      LinkCase{"SchemePrefixOfOther", "httpx://kelta.example/", false}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
