// Reading library files: what the reader accepts, how each reading is written
// back, the values it yields, and the files it refuses without touching them.

#include <gtest/gtest.h>

#include <string>

#include "library/CodePage.h"
#include "library/FilmManager.h"
#include "library/LibraryTestSupport.h"

namespace kelta {
namespace {

using namespace std::string_literals;
using test::DeclarationLine;
using test::Lines;
using test::TTempFolder;

// Loads the bytes as the library file and returns what is written at exit.
std::string Rewrite(const std::string& input) {
  TTempFolder folder;
  const auto config = folder / "config";
  test::WriteBytes(config, input);
  { TFilmManager manager(config); }
  return test::ReadBytes(config);
}

struct TRewriteCase {
  const char* Name;
  std::string Input;
  std::string Written;
};

class LibraryRewrite : public ::testing::TestWithParam<TRewriteCase> {};

TEST_P(LibraryRewrite, IsWrittenBackInTheLibraryLayout) {
  EXPECT_EQ(Rewrite(GetParam().Input), GetParam().Written);
}

INSTANTIATE_TEST_SUITE_P(
    Readings, LibraryRewrite,
    ::testing::Values(
        TRewriteCase{"BomNulAndBlanksBeforeTheRoot",
                     "\xEF\xBB\xBF\0\0 \r\n\t<films><category name=\"A\"/></films>"s,
                     Lines({DeclarationLine, "<films>", R"(  <category name="A"/>)", "</films>"})},
        TRewriteCase{"OtherRootNameBecomesFilmsChildNamesStay",
                     R"(<library><group name="A"><movie name="M"><pic name="P"/></movie></group></library>)",
                     Lines({DeclarationLine, "<films>", R"(  <group name="A">)", R"(    <movie name="M">)",
                            R"(      <pic name="P"/>)", "    </movie>", "  </group>", "</films>"})},
        TRewriteCase{"SingleQuotesAndReferencesInAnyCase",
                     R"(<films><category name='Tom &AMP; "Jerry"'/><category name="caf&#233;&#xE9;&lt;&GT;&apos;&Quot;"/></films>)",
                     Lines({DeclarationLine, "<films>", R"(  <category name="Tom &amp; &quot;Jerry&quot;"/>)",
                            R"(  <category name="caf&#xE9;&#xE9;&lt;&gt;&apos;&quot;"/>)", "</films>"})},
        TRewriteCase{"NumericReferenceYieldsItsLowByte",
                     R"(<films><category name="&#x263A;&#321;&#0000065;"/></films>)",
                     Lines({DeclarationLine, "<films>", R"(  <category name=":AA"/>)", "</films>"})},
        TRewriteCase{"UnknownReferencesAndBareAmpersandsStayText",
                     R"(<films><category name="a &nbsp; b & c &#; &#xZ;"/></films>)",
                     Lines({DeclarationLine, "<films>",
                            R"(  <category name="a &amp;nbsp; b &amp; c &amp;#; &amp;#xZ;"/>)", "</films>"})},
        TRewriteCase{"CommentCDataAndTextChildrenKeepTheirForm",
                     "<films>\r\n<!-- kept\r\n here -->\n<category name=\"A\"><![CDATA[a <b> c]]>\r\n  loose &amp; text \r\n</category></films>",
                     Lines({DeclarationLine, "<films>", "  <!-- kept", " here -->", R"(  <category name="A">)",
                            "    <![CDATA[a <b> c]]>", "    loose &amp; text", "  </category>", "</films>"})},
        TRewriteCase{"MissingAttributesStayMissing",
                     R"(<films><category name="A"><film name="F"><image name="I" filename="f.bmp"/></film></category></films>)",
                     Lines({DeclarationLine, "<films>", R"(  <category name="A">)", R"(    <film name="F">)",
                            R"(      <image name="I" filename="f.bmp"/>)", "    </film>", "  </category>",
                            "</films>"})},
        TRewriteCase{"LineBreaksAndBlanksInsideValuesStay",
                     "<films><category name=\" two  words \"><film name=\"F\"><image memo=\"one\r\ntwo\nthree\"/></film></category></films>",
                     Lines({DeclarationLine, "<films>", R"(  <category name=" two  words ">)",
                            R"(    <film name="F">)", "      <image memo=\"one\r\ntwo\nthree\"/>", "    </film>",
                            "  </category>", "</films>"})},
        TRewriteCase{"DeclarationKeepsVersionAndStandaloneYes",
                     R"(<?xml version='1.1' encoding='windows-1252' standalone='yes'?><films/>)",
                     Lines({R"(<?xml version="1.1" encoding="UTF-8" standalone="yes"?>)", "<films/>"})},
        TRewriteCase{"DeclarationTakesTheLibraryForm",
                     R"(<?XML Encoding='latin1' other='x' Version='1.1' standalone='YES'?><films/>)",
                     Lines({R"(<?xml version="1.1" encoding="UTF-8" standalone="yes"?>)", "<films/>"})},
        TRewriteCase{"StandaloneNoIsDropped", R"(<?xml version="1.0" standalone="no"?><films/>)",
                     Lines({DeclarationLine, "<films/>"})},
        TRewriteCase{"PrologItemsWithoutDeclarationComeFirst",
                     "<!-- by hand -->\n<?xml-stylesheet href=\"a.css\"?>\n<!DOCTYPE films [<!ELEMENT films ANY>]>\n<films/>",
                     Lines({"<!-- by hand -->", R"(<?xml-stylesheet href="a.css"?>)",
                            "<!DOCTYPE films [<!ELEMENT films ANY>]>", DeclarationLine, "<films/>"})},
        TRewriteCase{"BlankElementsBecomeEmptyElements",
                     "<films>\r\n  <category name=\"A\">\r\n  </category>\r\n</films>\r\n\r\n",
                     Lines({DeclarationLine, "<films>", R"(  <category name="A"/>)", "</films>"})}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.Name); });

TEST(LibraryReading, ValuesAreTheFileBytesLookedUpIgnoringCase) {
  TTempFolder folder;
  test::WriteBytes(folder / "config",
                   "<films><!-- note --><category NAME=\"Caf\xC3\xA9\"><film Name=\"Caf&#xE9; &#x80;\">"
                   "<image FileName=\"f.bmp\" NAME=\"I\" memo=\"a\r\nb\"/></film></category></films>");
  TFilmManager manager(folder / "config");
  const TXmlNode& root = manager.Document().Root;
  ASSERT_EQ(root.Children.size(), 2u) << "a comment counts as a child";
  const TXmlNode& category = root.Children[1];
  EXPECT_EQ(category.Attribute("name"), "Caf\xC3\xA9");
  EXPECT_EQ(AnsiToWide(category.Attribute("name")), u"Café") << "UTF-8 bytes";
  const TXmlNode& film = category.Children.at(0);
  EXPECT_EQ(film.Attribute("name"), "Caf\xE9 \x80");
  EXPECT_EQ(AnsiToWide(film.Attribute("name")), u"Café €") << "Windows-1252 bytes";
  const TXmlNode& image = film.Children.at(0);
  EXPECT_EQ(image.Attribute("name"), "I");
  EXPECT_EQ(image.Attribute("filename"), "f.bmp");
  EXPECT_EQ(image.Attribute("thumbnail"), "");
  EXPECT_EQ(image.Attribute("memo"), "a\r\nb");
}

struct TBrokenCase {
  const char* Name;
  std::string Input;
  const char* Message;
};

class BrokenLibrary : public ::testing::TestWithParam<TBrokenCase> {};

TEST_P(BrokenLibrary, IsReportedWithPathAndParserMessageAndLeftUntouched) {
  TTempFolder folder;
  const auto config = folder / "config";
  test::WriteBytes(config, GetParam().Input);
  try {
    TFilmManager manager(config);
    FAIL() << "the file was accepted";
  } catch (const ELibraryFileError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find(config.string()), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().Message), std::string::npos) << message;
    EXPECT_NE(message.find("(line "), std::string::npos) << message;
    EXPECT_EQ(error.Path(), config);
  }
  EXPECT_EQ(test::ReadBytes(config), GetParam().Input);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"config"});
}

INSTANTIATE_TEST_SUITE_P(
    Readings, BrokenLibrary,
    ::testing::Values(
        TBrokenCase{"TextBeforeTheRoot", "films <films/>", "Text before the root element"},
        TBrokenCase{"UnterminatedElement", "<films>\r\n  <category name=\"A\">\r\n", "Unterminated element <category>"},
        TBrokenCase{"CommentBreaksOff", "<films><!-- no end </films>", "Unterminated comment"},
        TBrokenCase{"DeclarationBreaksOff", "<?xml version=\"1.0\" <films/>", "Unterminated XML declaration"},
        TBrokenCase{"EndTagDoesNotMatch", "<films><category></film></films>", "does not match"},
        TBrokenCase{"ValueBreaksOff", "<films><category name=\"A/></films>", "Unterminated attribute value"},
        TBrokenCase{"UnquotedValue", "<films><category name=A/></films>", "Quoted attribute value expected"},
        TBrokenCase{"EmptyFile", "", "No root element"},
        TBrokenCase{"SecondRoot", "<films/>\r\n<films/>", "second root element"},
        TBrokenCase{"TextAfterTheRoot", "<films/>\r\nmore", "Text after the root element"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.Name); });

TEST(LibraryReading, NestingBeyondAnyLibraryIsRefusedNotOverflowed) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  for (int i = 0; i < 100000; ++i) deep += "</a>";
  try {
    ParseXml(deep);
    FAIL();
  } catch (const EXmlParseError& error) {
    EXPECT_NE(std::string(error.what()).find("nested too deeply"), std::string::npos) << error.what();
  }
}

TEST(LibraryReading, ErrorPositionCountsLinesAndColumns) {
  try {
    ParseXml("<films>\n  <category name=\"A\">\n    junk");
    FAIL();
  } catch (const EXmlParseError& error) {
    EXPECT_EQ(error.Line(), 2u);
    EXPECT_EQ(error.Column(), 3u);
  }
}

}  // namespace
}  // namespace kelta
