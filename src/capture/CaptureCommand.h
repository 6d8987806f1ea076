#pragma once
// `kelta capture`: stills without the window. It needs no display and never
// touches a running Kelta or its lock.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace kelta {

// Runs the command on the arguments after "capture"; the answer is the exit
// status: 0 every still written, 1 some failed, 2 bad arguments or a source
// that cannot be opened. `terminal`: standard error is a terminal, which
// then shows the progress.
int RunCaptureCommand(const std::vector<std::string>& arguments, const std::filesystem::path& programFolder,
                      std::ostream& out, std::ostream& err, bool terminal);

}  // namespace kelta
