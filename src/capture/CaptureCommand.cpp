#include "capture/CaptureCommand.h"

#include <chrono>
#include <cstdio>
#include <ostream>

#include "capture/CaptureManifest.h"
#include "capture/CaptureOptions.h"
#include "capture/CaptureRun.h"
#include "library/AtomicFileWrite.h"

namespace kelta {

namespace {

// "\r 45%  still 9 of 20, 0:12 left", redrawn in place.
TCaptureProgress ProgressLine(std::ostream& err) {
  const auto start = std::chrono::steady_clock::now();
  return [&err, start](std::size_t done, std::size_t total, const std::string& at) {
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long left = done > 0 ? long(elapsed / double(done) * double(total - done) + 0.5) : 0;
    char line[160];
    std::snprintf(line, sizeof line, "\r%3zu%%  %s, %ld:%02ld left   ", total ? done * 100 / total : 100, at.c_str(),
                  left / 60, left % 60);
    err << line << (done == total ? "\n" : "") << std::flush;
  };
}

}  // namespace

int RunCaptureCommand(const std::vector<std::string>& arguments, const std::filesystem::path& programFolder,
                      std::ostream& out, std::ostream& err, bool terminal, const TSheetWriter& writeSheet) {
  TCaptureOptions options;
  try {
    options = ParseCaptureOptions(arguments);
  } catch (const ECaptureUsage& error) {
    err << "kelta capture: " << error.what() << "\n" << CaptureUsageText();
    return 2;
  }
  if (options.Help) {
    out << CaptureUsageText();
    return 0;
  }
  try {
    if (options.ListTitles) {
      out << DvdTitleTable(options.Source, programFolder);
      return 0;
    }
    const TCaptureReport report = RunCapture(options, programFolder, terminal ? ProgressLine(err) : TCaptureProgress());
    const std::string manifest = CaptureManifestJson(report);
    if (options.Json) out << manifest;
    if (!options.ManifestFile.empty()) {
      try {
        WriteFileAtomically(options.ManifestFile, manifest);
      } catch (const std::exception& error) {
        err << "kelta capture: the manifest " << options.ManifestFile << " could not be written: " << error.what()
            << "\n";
        return 1;
      }
    }
    bool sheetWritten = true;
    if (!options.SheetFile.empty()) {
      try {
        if (!writeSheet) throw std::runtime_error("this program cannot draw contact sheets");
        writeSheet(report.Sheet, options.SheetFile);
      } catch (const std::exception& error) {
        err << "kelta capture: the contact sheet " << options.SheetFile << " could not be written: " << error.what()
            << "\n";
        sheetWritten = false;
      }
    }
    for (const TCapturedStill& still : report.Stills)
      if (!still.Error.empty()) err << "kelta capture: frame " << still.Frame + 1 << " (" << still.Asked << "): " << still.Error << "\n";
    return report.AllWritten() && sheetWritten ? 0 : 1;
  } catch (const ECaptureSource& error) {
    err << "kelta capture: " << error.what() << "\n";
    return 2;
  }
}

}  // namespace kelta
