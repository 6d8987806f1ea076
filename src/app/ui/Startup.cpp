#include "app/ui/Startup.h"

#include <chrono>
#include <memory>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>

#include "app/InstanceLock.h"
#include "app/WindowPlacement.h"
#include "app/ui/MainDlg.h"
#include "imaging/ui/ShowException.h"
#include "app/ui/SplashDlg.h"
#include "app/ui/Theme.h"

namespace kelta {

namespace {

constexpr int SplashMilliseconds = 1000;

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

void CentreOnWorkArea(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  const QRect work = screen->availableGeometry();
  // Measured from the screen origin, not from the work area's own corner.
  const QSize size = window.frameGeometry().size();
  const TPoint at = CenteredPosition(work.x() + work.width(), work.y() + work.height(), size.width(), size.height());
  window.move(at.X, at.Y);
}

}  // namespace

int RunKelta(int argc, char** argv, const TLibraryDocumentHooks& library) {
  // A second start ends here, silently: no window, no message.
  if (AlreadyRunning()) return 0;

  int exitCode = 0;
  std::unique_ptr<QApplication> app;
  std::unique_ptr<TMainDlg> mainDlg;
  {
    TLibraryDocumentScope document(library);
    app = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    QApplication::setApplicationDisplayName(ApplicationTitle);
    ApplyTheme(*app);

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
    CentreOnWorkArea(*mainDlg);
    mainDlg->show();
    mainDlg->raise();
    mainDlg->repaint();
    splash->hide();
    splash.reset();
    QTimer::singleShot(0, mainDlg.get(), &TMainDlg::OfferUnreferencedPictures);

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
