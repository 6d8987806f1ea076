// Damaged DVDs opened through the main window as a person opens them: copies
// of an authored disc with their IFO and BUP files, or a disc image's UDF and
// IFO sectors, damaged in many ways (support/DiscDamage). Every case must end
// in the title chooser, the plain-video fallback or a clear message, within
// the DVD reader's time limit, with no reader process left behind and the
// window still answering. A title that is listed is opened too, so the
// decoder plugin reads the damaged disc inside this process.
//
// KELTA_DAMAGED_DVD_CASES sets the cases of each kind (folder, image); the
// test command runs the default, a longer run prints the counts it saw.
#include <sys/wait.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "app/ui/MainDlg.h"
#include "support/DiscDamage.h"
#include "support/DvdFixture.h"
#include "video/DvdDisc.h"
#include "video/ui/DvdTitleDlg.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

namespace {

const QString ProgramDir = QStringLiteral(KELTA_PROGRAM_DIR);
constexpr int DefaultCases = 20;
// Short, so that a reader that hangs costs the test little.
constexpr std::chrono::milliseconds ReaderLimit{5000};

int CasesOfEachKind() {
  const char* value = std::getenv("KELTA_DAMAGED_DVD_CASES");
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : DefaultCases;
}

// How an open of a damaged disc ended, as the person saw it.
struct TSeen {
  bool Chooser = false;
  QStringList Messages;
};

// Opens the disc through the window, accepting the title chooser and every
// message, and waits for the title's open to end.
TSeen OpenThroughWindow(TMainDlg& dlg, const QString& disc) {
  TSeen seen;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&seen] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      seen.Messages << box->text();
      box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
    } else if (auto* chooser = qobject_cast<TDvdTitleDlg*>(modal)) {
      seen.Chooser = true;
      chooser->accept();
    } else if (auto* other = qobject_cast<QDialog*>(modal)) {
      seen.Messages << QStringLiteral("unexpected window ") + other->metaObject()->className();
      other->reject();
    }
  });
  poll.start();
  dlg.RunCommand([&] { dlg.OpenDvd(disc); });
  dlg.FrameBar->WaitForOpen();
  // The window answers the messages of the open's end.
  QTest::qWait(20);
  return seen;
}

// No helper process left: the reader has ended and was waited for.
bool NoChildLeft() {
  int status = 0;
  return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

}  // namespace

class DamagedDvdTest : public QObject {
  Q_OBJECT

  QTemporaryDir Dir_;
  std::string Folder_, Image_;
  std::map<QString, int> Outcomes_;

  // What an open of case `name` ended in; fails the test on anything else.
  void Check(const QString& name, const std::string& damage, const TSeen& seen, qint64 ms) {
    const QString what = name + QStringLiteral(" (") + QString::fromStdString(damage) + QStringLiteral("): ") +
                         seen.Messages.join(QStringLiteral(" | "));
    const bool fallback = !seen.Messages.filter(QStringLiteral("titles and chapters are unknown")).isEmpty();
    const bool damaged = seen.Messages.contains(QString::fromUtf8(DamagedDvdMessage));
    // Refused as no DVD, as holding no video, or as a disc image whose video
    // cannot be read.
    const bool refused = !seen.Messages.filter(QStringLiteral("Unable to open the DVD")).isEmpty();
    QVERIFY2(seen.Chooser || fallback || damaged || refused, qPrintable(what));
    QVERIFY2(seen.Messages.filter(QStringLiteral("unexpected window")).isEmpty(), qPrintable(what));
    QVERIFY2(seen.Messages.filter(QStringLiteral("DVD reader")).isEmpty(), qPrintable(what));
    // Two reader runs at most (the titles, then the title sets), and the probe.
    QVERIFY2(ms < 3 * ReaderLimit.count() + 10000, qPrintable(what));
    QVERIFY2(NoChildLeft(), qPrintable(what));
    ++Outcomes_[seen.Chooser ? QStringLiteral("titles listed")
                : fallback   ? QStringLiteral("plain-video fallback")
                : damaged    ? QStringLiteral("damaged-structure message")
                             : QStringLiteral("refused: no DVD, no video, or video unreadable")];
  }

  void Run(bool image) {
    TMainDlg dlg(nullptr, ProgramDir);
    const int cases = CasesOfEachKind();
    for (int i = 0; i < cases; ++i) {
      const auto seed = std::uint32_t(image ? 100000 + i : i);
      const QString name = QStringLiteral("%1 %2").arg(image ? "image" : "folder").arg(seed);
      const std::string copy = Dir_.filePath(QStringLiteral("case")).toStdString() + (image ? ".iso" : "");
      const std::string damage = image ? test::DamageDiscImage(Image_, copy, seed)
                                       : test::DamageDiscFolder(Folder_, copy + "/DAMAGED", seed);
      QElapsedTimer clock;
      clock.start();
      const TSeen seen = OpenThroughWindow(dlg, QString::fromStdString(image ? copy : copy + "/DAMAGED"));
      Check(name, damage, seen, clock.elapsed());
      if (QTest::currentTestFailed()) return;
    }
  }

 private slots:
  void initTestCase() {
    SetDvdReaderPlace(TDvdReaderPlace{std::string(KELTA_PROGRAM_DIR) + "/kelta-dvd-reader", ReaderLimit});
    QVERIFY(Dir_.isValid());
    Folder_ = Dir_.filePath(QStringLiteral("MY_DISC")).toStdString();
    Image_ = Dir_.filePath(QStringLiteral("my-disc.iso")).toStdString();
    // Two small titles with chapters: title information worth damaging.
    test::DvdTitleSource first, second;
    for (test::DvdTitleSource* title : {&first, &second}) {
      title->video.width = 352;
      title->video.height = 288;
      title->video.frames = 25;
      title->chapters = "0,0.5";
    }
    test::AuthorDvd(Dir_.filePath(QStringLiteral("sources")).toStdString(), Folder_, {first, second});
    test::MakeDiscImage(Folder_, Image_, "MY_DISC");
  }

  void damagedFoldersEndInTitlesTheFallbackOrAMessage() { Run(false); }
  void damagedImagesEndInTitlesTheFallbackOrAMessage() { Run(true); }

  // The healthy disc still lists its titles after all that.
  void theWindowStillOpensAHealthyDisc() {
    TMainDlg dlg(nullptr, ProgramDir);
    const TSeen seen = OpenThroughWindow(dlg, QString::fromStdString(Folder_));
    QVERIFY(seen.Chooser);
    QVERIFY2(seen.Messages.isEmpty(), qPrintable(seen.Messages.join(QStringLiteral(" | "))));
    QVERIFY(dlg.FrameBar->FileOpened());
  }

  void cleanupTestCase() {
    for (const auto& [outcome, count] : Outcomes_)
      std::printf("damaged DVDs: %4d  %s\n", count, qPrintable(outcome));
  }
};

}  // namespace kelta

QTEST_MAIN(kelta::DamagedDvdTest)
#include "DamagedDvdTest.moc"
