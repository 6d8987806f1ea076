#include "app/CommandLine.h"

namespace kelta {

namespace {

TCommandLine Refused(std::string why) {
  TCommandLine line;
  line.Action = TCommandLineAction::Refuse;
  line.Error = std::move(why);
  return line;
}

}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  TCommandLine line;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument == "--version") {
      return TCommandLine{TCommandLineAction::PrintVersion, {}, {}};
    } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
      return TCommandLine{TCommandLineAction::PrintHelp, {}, {}};
    } else if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
      return Refused("unknown option " + argument);
    } else if (argument.empty()) {
      return Refused("an empty file name");
    } else if (!line.Video.empty()) {
      return Refused("more than one video given");
    } else {
      line.Video = argument;
    }
  }
  return line;
}

std::string VersionText() { return std::string("Kelta ") + KELTA_VERSION + "\n"; }

std::string HelpText() {
  return "Usage: kelta [VIDEO]\n"
         "       kelta capture SOURCE [options]   stills without the window\n"
         "                                        (kelta capture --help tells more)\n"
         "Captures still images from DVD video into your image library.\n"
         "\n"
         "  VIDEO       what to open: a DVD folder (one that holds VIDEO_TS, or VIDEO_TS\n"
         "              itself), a DVD disc image (.iso), a DVD video object file\n"
         "              (vts*.vob), an MPEG-2 stream, or an MPEG-2, H.264 or HEVC\n"
         "              rip in Matroska or MP4; when Kelta already runs, it opens\n"
         "              it there\n"
         "  --version   print the version and exit\n"
         "  -h, --help  print this help and exit\n";
}

}  // namespace kelta
