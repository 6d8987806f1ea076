#pragma once
// `kelta capture`: stills without the window. It needs no display and never
// touches a running Kelta or its lock.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "capture/ContactSheet.h"

namespace kelta {

// Runs the command on the arguments after "capture"; the answer is the exit
// status: 0 every still written, 1 some failed, 2 bad arguments or a source
// that cannot be opened. `terminal`: standard error is a terminal, which
// then shows the progress.
// `writeSheet` writes a contact sheet; without it --sheet is refused.
int RunCaptureCommand(const std::vector<std::string>& arguments, const std::filesystem::path& programFolder,
                      std::ostream& out, std::ostream& err, bool terminal, const TSheetWriter& writeSheet = {});

}  // namespace kelta
