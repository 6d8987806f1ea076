#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace kelta {
namespace {

struct LineCase {
  const char* name;
  std::vector<std::string> arguments;
  TCommandLineAction action;
  std::string video;
};

class ParseCommandLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ParseCommandLineTest, ReadsWhatWasAsked) {
  const LineCase& c = GetParam();
  const TCommandLine line = ParseCommandLine(c.arguments);
  EXPECT_EQ(line.Action, c.action);
  EXPECT_EQ(line.Video, c.video);
  EXPECT_EQ(line.Error.empty(), c.action != TCommandLineAction::Refuse);
}

using enum TCommandLineAction;
INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCommandLineTest,
    ::testing::Values(LineCase{"Nothing", {}, Run, ""},
                      LineCase{"OneVideo", {"VTS_01_1.VOB"}, Run, "VTS_01_1.VOB"},
                      LineCase{"Version", {"--version"}, PrintVersion, ""},
                      LineCase{"VersionWinsOverAVideo", {"clip.vob", "--version"}, PrintVersion, ""},
                      LineCase{"Help", {"--help"}, PrintHelp, ""},
                      LineCase{"ShortHelp", {"-h"}, PrintHelp, ""},
                      LineCase{"UnknownOption", {"--fullscreen"}, Refuse, ""},
                      LineCase{"TwoVideos", {"a.vob", "b.vob"}, Refuse, ""},
                      LineCase{"EmptyName", {""}, Refuse, ""},
                      // After "--" a name may begin with a dash, and options are names.
                      LineCase{"DashNameAfterEnd", {"--", "-clip.vob"}, Run, "-clip.vob"},
                      LineCase{"OptionAfterEndIsAName", {"--", "--help"}, Run, "--help"},
                      // A lone dash is a file name as far as the line goes.
                      LineCase{"LoneDash", {"-"}, Run, "-"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(CommandLineTextTest, VersionIsTheProgramsOnOneLine) { EXPECT_EQ(VersionText(), "Kelta 3.0.1.0\n"); }

TEST(CommandLineTextTest, HelpNamesEveryOption) {
  for (const char* option : {"--version", "--help", "-h", "VIDEO"})
    EXPECT_NE(HelpText().find(option), std::string::npos) << option;
}

// The command line opens DVDs too, and says so.
TEST(CommandLineTextTest, HelpNamesEverythingVideoOpens) {
  for (const char* kind : {"VIDEO_TS", ".iso", "vts*.vob", "MPEG-2", "H.264", "HEVC", "Matroska", "MP4"})
    EXPECT_NE(HelpText().find(kind), std::string::npos) << kind;
}

}  // namespace
}  // namespace kelta
