#pragma once
// What the program was asked to do on its command line: run (optionally
// opening one video), print its version or its usage, or refuse an unknown
// option.

#include <string>
#include <vector>

namespace kelta {

enum class TCommandLineAction { Run, PrintVersion, PrintHelp, Refuse };

struct TCommandLine {
  TCommandLineAction Action = TCommandLineAction::Run;
  // The video to open after start-up; empty for none.
  std::string Video;
  // Why the line was refused.
  std::string Error;
};

// Reads the arguments after the program name. Options: --version, --help
// (also -h); "--" ends the options, so a file may begin with a dash. More
// than one file is refused: the program opens one video at a time.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// "Kelta" and the version, one line.
std::string VersionText();
// The usage, one option a line.
std::string HelpText();

}  // namespace kelta
