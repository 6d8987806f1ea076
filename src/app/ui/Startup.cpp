#include "app/ui/Startup.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include "app/CommandLine.h"
#include "app/InstanceLock.h"
#include "app/ui/MainWindowPlace.h"
#include "app/ui/AppIcon.h"
#include "app/ui/InstanceChannel.h"
#include "app/ui/MainDlg.h"
#include "common/ui/ShowException.h"
#include "app/ui/SplashDlg.h"
#include "app/ui/Theme.h"
#include "library/LibraryPaths.h"

namespace kelta {

namespace {

constexpr int SplashMilliseconds = 1000;
// How long a second start keeps trying to reach the running instance, which
// may still be starting, before it gives up.
constexpr int HandOverMilliseconds = 10000;

// Runs the destroy hook on every way out once the document exists.
class TLibraryDocumentScope {
 public:
  explicit TLibraryDocumentScope(const TLibraryDocumentHooks& hooks) : Hooks_(hooks) {
    if (Hooks_.Create) Hooks_.Create();
  }
  ~TLibraryDocumentScope() { Close(); }
  void Close() {
    if (Open_ && Hooks_.Destroy) Hooks_.Destroy();
    Open_ = false;
  }

 private:
  const TLibraryDocumentHooks& Hooks_;
  bool Open_ = true;
};


// The video named on the command line as an absolute path: the running
// instance that may receive it works in another folder.
QString AbsoluteVideo(const std::string& video) {
  if (video.empty()) return {};
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(video, error);
  return QFile::decodeName(QByteArray::fromStdString(error ? video : absolute.string()));
}

// True when this process is the one instance. Otherwise the request went to
// the running instance (or could not reach it) and this start ends. The lock
// alone decides: a start that finds it free while handing over runs itself.
bool BecomeTheInstance(int argc, char** argv, const QString& video) {
  QElapsedTimer trying;
  trying.start();
  while (AlreadyRunning()) {
    {
      int count = argc;
      QCoreApplication hand(count, argv);
      if (SendToRunningInstance(QString::fromStdString(InstanceSocketPath()), video, 1000)) return false;
    }
    // The running instance may not listen yet, or may have just ended.
    if (trying.elapsed() > HandOverMilliseconds) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

}  // namespace

void ConfigureApplication(QApplication& app) {
  QApplication::setApplicationName(ApplicationTitle);
  // No display name: the window system would append it to every caption.
  QGuiApplication::setDesktopFileName(QStringLiteral("kelta"));
  QApplication::setWindowIcon(AppIcon());
  ApplyTheme(app);
}

int RunKelta(int argc, char** argv, const TLibraryDocumentHooks& library) {
  const TCommandLine line = ParseCommandLine(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
  switch (line.Action) {
    case TCommandLineAction::PrintVersion:
      std::cout << VersionText();
      return 0;
    case TCommandLineAction::PrintHelp:
      std::cout << HelpText();
      return 0;
    case TCommandLineAction::Refuse:
      std::cerr << "kelta: " << line.Error << "\n" << HelpText();
      return 2;
    case TCommandLineAction::Run:
      break;
  }
  const QString video = AbsoluteVideo(line.Video);
  // A second start hands its video (or just its wish to see Kelta) to the
  // running instance and ends without a window.
  if (!BecomeTheInstance(argc, argv, video)) return 0;

  int exitCode = 0;
  std::unique_ptr<QApplication> app;
  std::unique_ptr<TMainDlg> mainDlg;
  {
    TLibraryDocumentScope document(library);
    app = std::make_unique<QApplication>(argc, argv);
    ConfigureApplication(*app);

    // Later starts are heard from now on; what they ask waits for the window.
    std::optional<QString> handedOver;
    TInstanceServer server;
    server.OnRequest = [&mainDlg, &handedOver](const QString& request) {
      if (mainDlg) {
        mainDlg->HandOver(request);
      } else if (!handedOver || !request.isEmpty()) {
        handedOver = request;
      }
    };
    server.Listen(QString::fromStdString(InstanceSocketPath()));

    auto splash = std::make_unique<TSplashDlg>();
    QElapsedTimer shown;
    shown.start();
    splash->show();
    // The splash stays responsive for the whole second: the events run in a
    // loop that sleeps in the window system's wait, not in a busy loop.
    {
      QEventLoop wait;
      QTimer::singleShot(SplashMilliseconds, &wait, &QEventLoop::quit);
      wait.exec();
    }
    while (shown.elapsed() < SplashMilliseconds) QApplication::processEvents(QEventLoop::AllEvents, 10);

    mainDlg = std::make_unique<TMainDlg>();
    mainDlg->UseRecentVideosFile(RecentVideosPath());
    mainDlg->UseStillModeFile(StillModePath());
    mainDlg->UseSubtitleChoiceFile(SubtitleChoicePath());
    ShowMainWindow(*mainDlg, WindowPlacePath());
    KeepPlaceOnClose(*mainDlg, WindowPlacePath());
    mainDlg->raise();
    mainDlg->repaint();
    splash->hide();
    splash.reset();
    QTimer::singleShot(0, mainDlg.get(), &TMainDlg::OfferUnreferencedPictures);
    if (!video.isEmpty()) QTimer::singleShot(0, mainDlg.get(), [&mainDlg, video] { mainDlg->OpenWhenFree(video); });
    if (handedOver) QTimer::singleShot(0, mainDlg.get(), [&mainDlg, handedOver] { mainDlg->HandOver(*handedOver); });

    exitCode = QApplication::exec();
    document.Close();
  }
  ReleaseInstance();
  // The main window and all it owns go as the process ends.
  mainDlg.reset();
  app.reset();
  return exitCode;
}

}  // namespace kelta
