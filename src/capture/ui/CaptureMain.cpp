#include "capture/ui/CaptureMain.h"

#include <unistd.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "capture/CaptureCommand.h"
#include "capture/ui/ContactSheetPainter.h"
#include "library/LibraryPaths.h"

namespace kelta {

namespace {
// The command says what went wrong in its own words; Qt's notes on the
// offscreen platform (no runtime folder, say) are no concern of its user.
void OnlyQtsErrors(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << "\n";
}
}  // namespace

int RunCapture(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 2, argv + argc);
  // Fonts for a contact sheet's text need a Qt application; the offscreen
  // platform gives one without a display. Made only when it is needed.
  std::unique_ptr<QGuiApplication> fonts;
  const TSheetWriter writeSheet = [&](const TContactSheet& sheet, const std::string& file) {
    if (!fonts && !QGuiApplication::instance()) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
      qInstallMessageHandler(OnlyQtsErrors);
      static int count = 1;
      static char name[] = "kelta";
      static char* names[] = {name, nullptr};
      fonts = std::make_unique<QGuiApplication>(count, names);
    }
    WriteContactSheet(sheet, file);
  };
  return RunCaptureCommand(arguments, ProgramFolder(), std::cout, std::cerr, isatty(STDERR_FILENO) != 0, writeSheet);
}

}  // namespace kelta
