// Names and memos: UTF-8 in the library, Windows-1252 for older files.

#include <gtest/gtest.h>

#include <string>

#include "library/CodePage.h"

namespace kelta {
namespace {

struct TReadCase {
  const char* Name;
  std::string Bytes;
  std::u16string Text;
};

class AnsiReading : public ::testing::TestWithParam<TReadCase> {};

TEST_P(AnsiReading, GivesTheCharacters) { EXPECT_EQ(AnsiToWide(GetParam().Bytes), GetParam().Text); }

INSTANTIATE_TEST_SUITE_P(
    CodePage, AnsiReading,
    ::testing::Values(TReadCase{"Ascii", "Beach 2005", u"Beach 2005"},
                      TReadCase{"Utf8TwoThreeAndFourBytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xAC", u"é€🎬"},
                      TReadCase{"Windows1252Letters", "Caf\xE9 \x80 \x9F", u"Café € Ÿ"},
                      TReadCase{"Windows1252UndefinedBytes", "\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},
                      TReadCase{"TruncatedUtf8FallsBack", "\xC3", u"Ã"},
                      TReadCase{"OverlongUtf8FallsBack", "\xC0\xAF", u"À¯"},
                      TReadCase{"EncodedSurrogateFallsBack", "\xED\xA0\x80", u"í\u00A0€"},
                      TReadCase{"OneBadByteDecidesTheWholeValue", "\xC3\xA9\xE9", u"Ã©é"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.Name); });

TEST(CodePage, WideTextIsStoredAsUtf8AndReadsBack) {
  const std::u16string text = u"Été ☺ 🎬 <&>";
  const std::string stored = WideToAnsi(text);
  EXPECT_EQ(stored, "\xC3\x89t\xC3\xA9 \xE2\x98\xBA \xF0\x9F\x8E\xAC <&>");
  EXPECT_EQ(AnsiToWide(stored), text);
}

TEST(CodePage, UnpairedSurrogatesBecomeReplacementCharacters) {
  const std::u16string text{char16_t(0xD83C), u'a', char16_t(0xDC00)};
  EXPECT_EQ(WideToAnsi(text), "\xEF\xBF\xBD" "a" "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace kelta
