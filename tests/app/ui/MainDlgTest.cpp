#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstring>
#include <filesystem>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>

#include <string>
#include <vector>

#include "app/InstanceLock.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/InstanceChannel.h"
#include "app/ui/MainDlg.h"
#include "app/ui/PositionSlider.h"
#include "app/ui/SplashDlg.h"
#include "app/ui/Startup.h"
#include "app/ui/Theme.h"
#include "common/ui/ShowException.h"
#include "imaging/DisplayAspect.h"
#include "imaging/Resample.h"
#include "library/ui/ImageLibraryManager.h"
#include "support/SamePixels.h"
#include "support/VideoFixture.h"
#include "support/ui/Accelerators.h"
#include "support/ui/ImagePixels.h"
#include "support/ui/ModalAnswer.h"
#include "video/MPEG2Decoder.h"
#include "video/ui/ActualSizeDlg.h"
#include "video/ui/VideoFrameBar.h"
#include "common/ui/VideoOutPanel.h"

namespace kelta {

namespace {

const QString ProgramDir = QStringLiteral(KELTA_PROGRAM_DIR);

int Counter(TVideoFrameBar& bar) {
  const TFastDIB& dib = bar.FrameDIB();
  return test::ReadFrameCounter(dib.Bits(), dib.Width(), dib.RowCount(), dib.RowStride());
}

// The temporary folder (and with it the instance lock and socket) of this
// process and the programs it starts, for one test.
class TTemporaryFolderScope {
 public:
  explicit TTemporaryFolderScope(const QString& folder) : Old_(qgetenv("TMPDIR")) {
    QDir().mkpath(folder);
    qputenv("TMPDIR", QFile::encodeName(folder));
  }
  ~TTemporaryFolderScope() {
    ReleaseInstance();
    if (Old_.isEmpty())
      qunsetenv("TMPDIR");
    else
      qputenv("TMPDIR", Old_);
  }

 private:
  QByteArray Old_;
};

// The width the status line has on a window of the design size.
int DesignWidthOfText(const TMainDlg& dlg) { return TMainDlg::DesignWidth - 2 * dlg.lbStatus->x(); }

QProcessEnvironment ProgramEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  return env;
}

}  // namespace

class MainDlgTest : public QObject {
  Q_OBJECT

  QTemporaryDir Dir_;
  QString Video_;

  // A main window over the real plugin with the test video open.
  std::unique_ptr<TMainDlg> OpenWindow() {
    auto dlg = std::make_unique<TMainDlg>(nullptr, ProgramDir);
    dlg->OpenVideo(Video_);
    return dlg;
  }

 private slots:
  void initTestCase() {
    QVERIFY(Dir_.isValid());
    Video_ = Dir_.filePath(QStringLiteral("clip.vob"));
    test::Mpeg2StreamOptions options;  // 720 x 576 at 25 fps
    options.frames = 40;
    options.gopSize = 6;
    test::WriteMpeg2ProgramStream(Video_.toStdString(), options);
  }

  void initialState() {
    TMainDlg dlg(nullptr, ProgramDir);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Kelta"));
    // A new window has the design size and may grow from there.
    QCOMPARE(dlg.size(), QSize(TMainDlg::DesignWidth, TMainDlg::DesignHeight));
    QVERIFY(dlg.maximumWidth() > 2560 && dlg.maximumHeight() > 1600);
    for (QWidget* off : std::initializer_list<QWidget*>{dlg.btPlay, dlg.btPause, dlg.btSave, dlg.btView,
                                                        dlg.btResize, dlg.btCrop, dlg.btExport, dlg.Slider}) {
      QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
    }
    for (QWidget* on : std::initializer_list<QWidget*>{dlg.btOpen, dlg.btHelp, dlg.btUpdate}) {
      QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
    }
    QCOMPARE(dlg.Slider->maximum(), 100);
    QCOMPARE(dlg.Label1->text(), QStringLiteral("Image Library"));
    QCOMPARE(dlg.imageTree->topLevelItem(0)->text(0), QStringLiteral("My Library"));
    QVERIFY(dlg.pbParseVideo->isHidden());
    QCOMPARE(dlg.VideoPanel->geometry(), QRect(47, 21, 400, 225));
    QCOMPARE(dlg.FrameBar->geometry(), QRect(9, 321, 475, 65));
  }

  // Grown to 1280 x 800, the window gives the room to the picture: a 4:3
  // PAL frame shows more than 640 pixels wide in its shape, drawn afresh at
  // that size; the strip and the slider stay under it, whole.
  void aLargerWindowShowsALargerPicture() {
    auto dlg = OpenWindow();
    dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    dlg->FrameBar->ShowFrameAt(6 * 10240);
    dlg->resize(1280, 800);
    const QRect picture = dlg->VideoPanel->PictureRect();
    const TFastDIB& shown = *dlg->VideoPanel->Image;
    QCOMPARE(QSize(shown.Width(), shown.RowCount()), picture.size());
    // The picture's columns: not black in its middle row.
    int left = shown.Width(), right = -1;
    for (int x = 0; x < shown.Width(); ++x) {
      const std::uint8_t* p = shown.PixelPtr(x, shown.RowCount() / 2);
      if (p[0] + p[1] + p[2] > 30) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
    const int width = right - left + 1;
    QVERIFY2(width >= 640, qPrintable(QString::number(width)));
    QVERIFY(std::abs(width - shown.RowCount() * 4 / 3) <= 2);
    // The same picture as the frame bar draws at that size.
    TFastDIB expected;
    expected.SetSize(shown.Width(), shown.RowCount(), 24);
    expected.Fill(TBGRColor{0, 0, 0});
    ResampleBilinearInto(dlg->FrameBar->FrameDIB(), expected,
                         LetterboxRect(shown.Width(), shown.RowCount(), dlg->FrameBar->DisplayAspect()));
    QVERIFY(test::SamePixels(expected, shown, "large-window-picture"));
    const QRect area = dlg->FlatPanel1->rect();
    for (QWidget* below : std::initializer_list<QWidget*>{dlg->FrameBar, dlg->btView, dlg->btExport}) {
      QVERIFY(area.contains(below->geometry()));
      QVERIFY(below->geometry().top() > dlg->VideoPanel->geometry().bottom());
    }
    QCOMPARE(dlg->FrameBar->size(), QSize(475, 65));
  }

  // The splitter's drag sets the library pane's width, within what the
  // window allows.
  void theSplitterSetsTheLibraryWidth() {
    TMainDlg dlg(nullptr, ProgramDir);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.resize(1000, 600);
    auto* splitter = dlg.findChild<QWidget*>(QStringLiteral("PaneSplitter"));
    QVERIFY(splitter != nullptr);
    QCOMPARE(dlg.Panel3->width(), 245);
    const QPoint grip = splitter->rect().center();
    QTest::mousePress(splitter, Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip - QPoint(100, 0)), splitter->mapTo(&dlg, QPointF(grip - QPoint(100, 0))),
                     splitter->mapToGlobal(QPointF(grip - QPoint(100, 0))), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(splitter, &move);
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, grip - QPoint(100, 0));
    QCOMPARE(dlg.LibraryWidth(), 345);
    QCOMPARE(dlg.Panel3->width(), 345);
    QCOMPARE(dlg.LibraryWidth(), 345);
    QCOMPARE(dlg.FlatPanel1->geometry().right() + 11, dlg.Panel3->geometry().left());
    // A narrower window gives the pane less, and the person's width back later.
    dlg.resize(TMainLayout::MinimumWidth, 600);
    QVERIFY(dlg.Panel3->width() < 345);
    QVERIFY(dlg.FlatPanel1->width() >= 479);
    dlg.resize(1000, 600);
    QCOMPARE(dlg.Panel3->width(), 345);
  }

  // A name the library pane cuts shows whole in its tip; a short one has none.
  void aCutNameShowsWholeInItsTip() {
    TMainDlg dlg(nullptr, ProgramDir);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTreeWidgetItem* root = dlg.imageTree->topLevelItem(0);
    const auto tipAt = [&dlg](QTreeWidgetItem* item) {
      // A tip goes after a short while.
      QToolTip::hideText();
      if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000)) return QStringLiteral("(a tip stayed)");
      const QPoint at = dlg.imageTree->visualItemRect(item).center();
      QHelpEvent help(QEvent::ToolTip, at, dlg.imageTree->viewport()->mapToGlobal(at));
      QApplication::sendEvent(dlg.imageTree->viewport(), &help);
      return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tipAt(root), QString());
    const QString longName = QStringLiteral("A library whose name is far too long for the pane beside the picture");
    root->setText(0, longName);
    QCOMPARE(tipAt(root), longName);
    // Widened, the pane shows it whole.
    dlg.resize(1900, 700);
    dlg.SetLibraryWidth(1300);
    QCOMPARE(tipAt(root), QString());
    QToolTip::hideText();
  }

  // In a narrowed pane a library picture shrinks into the thumbnail box.
  void theThumbnailFitsANarrowPane() {
    TMainDlg dlg(nullptr, ProgramDir);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.resize(TMainLayout::MinimumWidth, 500);
    QImage picture(241, 128, QImage::Format_RGB32);
    picture.fill(Qt::red);
    dlg.SetThumbnail(picture);
    const QPixmap shown = dlg.imgThumb->pixmap();
    QVERIFY(dlg.imgThumb->width() < 241);
    QVERIFY(shown.width() <= dlg.imgThumb->width() && shown.height() <= dlg.imgThumb->height());
    QVERIFY(std::abs(shown.width() * 128 - shown.height() * 241) <= 241);
  }

  void clearThumbnail() {
    TMainDlg dlg(nullptr, ProgramDir);
    const QImage picture = dlg.imgThumb->pixmap().toImage();
    QCOMPARE(picture.size(), QSize(200, 113));
    QCOMPARE(picture.pixelColor(0, 0), QColor(Qt::white));
    QCOMPARE(picture.pixelColor(199, 112), QColor(Qt::white));
    QCOMPARE(picture.pixelColor(100, 0), QColor(Qt::white));
    QCOMPARE(picture.pixelColor(1, 1), QColor(Qt::black));
    QCOMPARE(picture.pixelColor(100, 56), QColor(Qt::black));
  }

  void openEnablesControlsAndSetsStatus() {
    auto dlg = OpenWindow();
    for (QWidget* on : std::initializer_list<QWidget*>{dlg->btPlay, dlg->btSave, dlg->btView, dlg->btExport,
                                                       dlg->btCrop, dlg->btResize, dlg->Slider}) {
      QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
    }
    QVERIFY(!dlg->btPause->isEnabled());
    QCOMPARE(qint64(dlg->Slider->maximum()), QFileInfo(Video_).size() / 10240);
    QCOMPARE(dlg->Slider->value(), 0);
    QVERIFY(dlg->imgMainView->isHidden());
    QVERIFY(dlg->pbParseVideo->isHidden());
    const QString status = dlg->lbStatus->text();
    // A paused frame says what was made of it; the size gives way to that.
    QVERIFY2(status.endsWith(QStringLiteral(" - Time: 00:00:00.000 - Frame 1 / 40 - progressive (25.00 fps)")),
             qPrintable(status));
    QCOMPARE(dlg->lbStatus->toolTip(), Video_);
  }

  // The time and the frame number are the shown frame's, after a click, a
  // step or a seek, and a newly opened video starts afresh with its own rate.
  void statusFollowsTheFrameOnScreen() {
    auto dlg = OpenWindow();
    auto timeShown = [&] {
      const QString status = dlg->lbStatus->text();
      const int at = status.indexOf(QStringLiteral("Time: "));
      return at < 0 ? QString() : status.mid(at + 6, 12);
    };
    auto frameTime = [&] { return VideoTimeText(std::int64_t(Counter(*dlg->FrameBar)) * 40); };
    auto frameShown = [&] {
      return dlg->lbStatus->text().contains(QStringLiteral(" - Frame %1 / 40 ").arg(Counter(*dlg->FrameBar) + 1));
    };

    dlg->FrameBar->FrameClick(&dlg->FrameBar->FrameRect(4));
    QVERIFY(Counter(*dlg->FrameBar) > 0);
    QCOMPARE(timeShown(), frameTime());
    QVERIFY2(frameShown(), qPrintable(dlg->lbStatus->text()));
    QTest::keyClick(dlg.get(), Qt::Key_D, Qt::ShiftModifier);
    QCOMPARE(timeShown(), frameTime());
    QVERIFY2(frameShown(), qPrintable(dlg->lbStatus->text()));
    QTest::keyClick(dlg.get(), Qt::Key_A, Qt::ShiftModifier);
    QCOMPARE(timeShown(), frameTime());
    QVERIFY2(frameShown(), qPrintable(dlg->lbStatus->text()));
    QTest::keyClick(dlg.get(), Qt::Key_A);
    QCOMPARE(timeShown(), frameTime());
    QVERIFY2(frameShown(), qPrintable(dlg->lbStatus->text()));

    const QString other = Dir_.filePath(QStringLiteral("ntsc.mpg"));
    const test::Mpeg2StreamOptions options{.width = 352, .height = 240, .fpsNum = 30000, .fpsDen = 1001, .frames = 10};
    test::WriteMpeg2ProgramStream(other.toStdString(), options);
    dlg->OpenVideo(other);
    QVERIFY2(dlg->lbStatus->text().endsWith(
                 QStringLiteral(" - Time: 00:00:00.000 - Frame 1 / 10 - progressive (29.97 fps)")),
             qPrintable(dlg->lbStatus->text()));
  }

  void openFailureShowsErrorReport() {
    TMainDlg dlg(nullptr, ProgramDir);
    const QString bad = Dir_.filePath(QStringLiteral("notes.vob"));
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a video at all\n");
    file.close();
    test::TBoxSeen box;
    test::AnswerBox(box);
    dlg.RunCommand([&] { dlg.OpenVideo(bad); });
    QCOMPARE(box.Title, QStringLiteral("Kelta"));
    QCOMPARE(box.Text, QStringLiteral("Unable to open video file: ") + bad + QStringLiteral(". It is not a video Kelta reads. Kelta opens DVD folders and disc images, VOB files and other "
                                                    "MPEG-1 and MPEG-2 program, transport and video streams, and MPEG-2, H.264 and HEVC "
                                                    "video in Matroska and MP4 files."));
    QCOMPARE(box.Icon, QMessageBox::Critical);
    QVERIFY(!dlg.btPlay->isEnabled());
    QVERIFY(!dlg.FrameBar->FileOpened());
    // The window stays usable: a good file opens afterwards.
    dlg.OpenVideo(Video_);
    QVERIFY(dlg.FrameBar->FileOpened());
  }

  // A rip opens like a VOB, its Matroska chapters shown like a DVD title's:
  // PageDown and PageUp show each chapter's first frame and the status line
  // says which chapter it is. A rip whose codec Kelta does not decode is
  // refused naming the codec.
  void aRipOpensWithItsChapters() {
    const QString meta = Dir_.filePath(QStringLiteral("chapters.txt"));
    {
      QFile file(meta);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=520\n"
                 "[CHAPTER]\nTIMEBASE=1/1000\nSTART=520\nEND=1200\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=1200\nEND=2000\n");
    }
    const QString rip = Dir_.filePath(QStringLiteral("rip.mkv")), other = Dir_.filePath(QStringLiteral("xvid.mkv"));
    const QStringList quiet = {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                               QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("testsrc2=size=320x240:rate=25")};
    QCOMPARE(QProcess::execute(QStringLiteral("ffmpeg"),
                               quiet + QStringList{"-i", meta, "-map", "0", "-map_chapters", "1", "-frames:v", "50",
                                                   "-c:v", "libx264", "-g", "12", rip}),
             0);
    QCOMPARE(QProcess::execute(QStringLiteral("ffmpeg"), quiet + QStringList{"-frames:v", "5", "-c:v", "mpeg4", other}),
             0);

    TMainDlg dlg(nullptr, ProgramDir);
    dlg.OpenVideo(rip);
    QVERIFY(dlg.FrameBar->FileOpened());
    QVERIFY(dlg.tbiNextChapter->isEnabled());
    // The slider marks where each chapter starts, as for a DVD title.
    const std::vector<int> marks = dlg.Slider->Marks();
    QCOMPARE(marks.size(), std::size_t(3));
    QVERIFY(marks[0] < marks[1] && marks[1] < marks[2]);
    auto status = [&] { return dlg.lbStatus->text(); };
    QVERIFY2(status().contains(QStringLiteral(" - Chapter 1 / 3 - ")), qPrintable(status()));
    const Qt::Key steps[] = {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_PageUp};
    // 0.52 s and 1.2 s at 25 frames a second.
    const std::int64_t frames[] = {13, 30, 30, 13, 0};
    for (int i = 0; i < 5; ++i) {
      QTest::keyClick(&dlg, steps[i]);
      QCOMPARE(dlg.FrameBar->FrameNumber(), frames[i]);
      QCOMPARE(int(dlg.FrameBar->Position()), marks[std::size_t(frames[i] == 0 ? 0 : frames[i] == 13 ? 1 : 2)]);
      const int chapter = frames[i] == 0 ? 1 : frames[i] == 13 ? 2 : 3;
      QVERIFY2(status().contains(QStringLiteral(" - Chapter %1 / 3 - ").arg(chapter)), qPrintable(status()));
    }

    test::TBoxSeen box;
    test::AnswerBox(box);
    dlg.RunCommand([&] { dlg.OpenVideo(other); });
    QCOMPARE(box.Text, QStringLiteral("Unable to open video file: ") + other +
                           QStringLiteral(". Its video is MPEG-4 part 2, which Kelta does not decode. Kelta decodes "
                                          "MPEG-1, MPEG-2, H.264 and HEVC video."));
    // The rip stays open with its chapters.
    QVERIFY2(status().contains(QStringLiteral(" - Chapter 1 / 3 - ")), qPrintable(status()));
  }

  // A video opens beside the running window: meanwhile the controls of the
  // open video rest and the progress bar shows with its Cancel button. Esc or
  // Cancel ends the open with the open video back as it was; the next open
  // completes and readies the window for the new video.
  void cancellingAnOpenKeepsTheOpenVideo_data() {
    QTest::addColumn<bool>("byEsc");
    QTest::newRow("Esc") << true;
    QTest::newRow("Cancel button") << false;
  }
  void cancellingAnOpenKeepsTheOpenVideo() {
    QFETCH(bool, byEsc);
    auto dlg = OpenWindow();
    dlg->FrameBar->ShowFrameAt(6 * 10240);
    dlg->Slider->setValue(6);
    const int counter = Counter(*dlg->FrameBar);
    const QString status = dlg->lbStatus->text();
    const QString other = Dir_.filePath(QStringLiteral("other.vob"));
    QFile::remove(other);
    QVERIFY(QFile::copy(Video_, other));
    const std::initializer_list<QWidget*> videoControls{dlg->btPlay, dlg->btSave, dlg->btView, dlg->btExport,
                                                        dlg->btCrop, dlg->btResize, dlg->Slider};

    dlg->OpenWhenFree(other);
    QVERIFY(dlg->FrameBar->Opening());
    QVERIFY(dlg->pbParseVideo->isVisibleTo(dlg.get()));
    QVERIFY(dlg->btCancelOpen->isVisibleTo(dlg.get()));
    for (QWidget* control : videoControls) QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    QVERIFY(!dlg->tbiForward->isEnabled());
    QVERIFY(!dlg->tbiCopyFrame->isEnabled());
    if (byEsc) {
      QTest::keyClick(dlg.get(), Qt::Key_Escape);
    } else {
      dlg->btCancelOpen->click();
    }
    QVERIFY(!dlg->FrameBar->Opening());
    QVERIFY(dlg->pbParseVideo->isHidden());
    QVERIFY(dlg->btCancelOpen->isHidden());
    for (QWidget* control : videoControls) QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    QCOMPARE(dlg->FrameBar->FileName, Video_);
    QCOMPARE(dlg->lbStatus->text(), status);
    QCOMPARE(Counter(*dlg->FrameBar), counter);
    QCOMPARE(dlg->Slider->value(), 6);

    dlg->OpenWhenFree(other);
    QTRY_VERIFY(!dlg->FrameBar->Opening());
    QCOMPARE(dlg->FrameBar->FileName, other);
    QCOMPARE(dlg->Slider->value(), 0);
    QCOMPARE(Counter(*dlg->FrameBar), 0);
    QVERIFY(dlg->btPlay->isEnabled());
    QVERIFY(dlg->pbParseVideo->isHidden());
    QCOMPARE(dlg->RecentVideos().Videos().front(), QFile::encodeName(other).toStdString());
  }

  // Without the decoder plugin the window still starts (after its tip), and
  // opening a video says why nothing opens instead of doing nothing.
  void openWithoutTheDecoderSaysSo() {
    test::TBoxSeen tip;
    test::AnswerBox(tip);
    TMainDlg dlg(nullptr, Dir_.path());
    QCOMPARE(tip.Title, QStringLiteral("Tip"));
    test::TBoxSeen box;
    test::AnswerBox(box);
    dlg.RunCommand([&] { dlg.OpenVideo(Video_); });
    QVERIFY2(box.Text.contains(QStringLiteral("decoder (codec.so) is missing")), qPrintable(box.Text));
    QVERIFY(!dlg.btPlay->isEnabled());
    QVERIFY(!dlg.tbiForward->isEnabled());
  }

  void errorReportText_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Error decoding video" << "Error decoding video.";
    QTest::newRow("full stop") << "Done." << "Done.";
    QTest::newRow("exclamation sorts before") << "Oops!" << "Oops!";
    QTest::newRow("bracket sorts before") << "code (5)" << "code (5)";
    QTest::newRow("slash sorts after") << "/tmp/" << "/tmp/.";
    QTest::newRow("digit sorts after") << "code 5" << "code 5.";
    QTest::newRow("empty") << "" << "";
  }

  void errorReportText() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(ErrorReportText(message), shown);
  }

  void keyAClampsAtZero() {
    auto dlg = OpenWindow();
    QCOMPARE(qRound(dlg->FrameBar->GetFrameRate()), 25);
    dlg->FrameBar->ShowFrameAt(3 * 10240);
    dlg->Slider->setValue(3);
    QVERIFY(Counter(*dlg->FrameBar) > 0);
    QTest::keyClick(dlg.get(), Qt::Key_A);
    QCOMPARE(dlg->Slider->value(), 0);
    QCOMPARE(Counter(*dlg->FrameBar), 0);
  }

  void keysMoveByRoundedRate_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("expected");  // before clamping to the slider's range
    QTest::newRow("D") << int(Qt::Key_D) << 0 << 10 << 35;
    QTest::newRow("Ctrl+A acts like A") << int(Qt::Key_A) << int(Qt::ControlModifier) << 30 << 5;
    QTest::newRow("S") << int(Qt::Key_S) << 0 << 30 << -170;
    QTest::newRow("Shift+W acts like W") << int(Qt::Key_W) << int(Qt::ShiftModifier) << 0 << 200;
  }

  void keysMoveByRoundedRate() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, start);
    QFETCH(int, expected);
    auto dlg = OpenWindow();
    QVERIFY(dlg->Slider->maximum() > 40);
    dlg->Slider->setValue(start);
    // Through the window's key preview: each key acts exactly once.
    QTest::keyClick(dlg.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(dlg->Slider->value(), std::clamp(expected, 0, dlg->Slider->maximum()));
    QVERIFY(!dlg->FrameBar->Playing());
  }

  void frameKeysNeedAVideo() {
    TMainDlg dlg(nullptr, ProgramDir);
    int saves = 0;
    dlg.Commands.SaveImage = [&] { ++saves; };
    QTest::keyClick(&dlg, Qt::Key_W);
    QTest::keyClick(&dlg, Qt::Key_W, Qt::ControlModifier);
    QTest::keyClick(&dlg, Qt::Key_Space);
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End}) QTest::keyClick(&dlg, key);
    QTest::keyClick(&dlg, Qt::Key_A, Qt::ShiftModifier);
    QCOMPARE(dlg.FrameBar->FrameNumber(), std::int64_t(-1));
    QCOMPARE(dlg.Slider->value(), 0);
    QCOMPARE(saves, 0);
    QVERIFY(!dlg.FrameBar->Playing());
  }

  void shiftDDuringPlaybackStopsAndSteps() {
    auto dlg = OpenWindow();
    dlg->btPlay->click();
    QVERIFY(dlg->FrameBar->Playing());
    QVERIFY(!dlg->btPlay->isEnabled());
    QVERIFY(dlg->btPause->isEnabled());
    QTest::qWait(150);
    QTest::keyClick(dlg.get(), Qt::Key_D, Qt::ShiftModifier);
    QVERIFY(!dlg->FrameBar->Playing());
    QVERIFY(dlg->FrameBar->Paused());
    QVERIFY(dlg->btPlay->isEnabled());
    QCOMPARE(qint64(dlg->Slider->value()), dlg->FrameBar->Position());
  }

  void forwardStepDuringPlaybackContinues() {
    auto dlg = OpenWindow();
    dlg->FrameBar->ShowFrameAt(0);
    dlg->tbiMoveStep->trigger();
    QCOMPARE(Counter(*dlg->FrameBar), 1);
    dlg->btPlay->click();
    QTest::qWait(100);
    dlg->tbiMoveStep->trigger();
    QVERIFY(dlg->FrameBar->Playing());
    dlg->FrameBar->Pause();
  }

  // Stepping back, by key or menu, shows the very frames stepping forward
  // showed, over the boundaries of the groups of pictures, and the slider
  // follows.
  void stepsBackLandOnTheFramesStepsForwardShowed_data() {
    QTest::addColumn<QString>("forward");
    QTest::addColumn<QString>("back");
    QTest::newRow("Shift+D and Shift+A") << "Shift+D" << "Shift+A";
    QTest::newRow("Right and Left") << "Right" << "Left";
    QTest::newRow("Forward Step and Backward Step") << "tbiMoveStep" << "tbiBackStep";
  }
  void stepsBackLandOnTheFramesStepsForwardShowed() {
    QFETCH(QString, forward);
    QFETCH(QString, back);
    auto dlg = OpenWindow();
    auto step = [&dlg](const QString& way) {
      if (way == QLatin1String("Shift+D")) QTest::keyClick(dlg.get(), Qt::Key_D, Qt::ShiftModifier);
      if (way == QLatin1String("Shift+A")) QTest::keyClick(dlg.get(), Qt::Key_A, Qt::ShiftModifier);
      if (way == QLatin1String("Right")) QTest::keyClick(dlg.get(), Qt::Key_Right);
      if (way == QLatin1String("Left")) QTest::keyClick(dlg.get(), Qt::Key_Left);
      if (way.startsWith(QLatin1String("tbi"))) dlg->findChild<QAction*>(way)->trigger();
    };
    QCOMPARE(dlg->FrameBar->FrameNumber(), std::int64_t(0));
    std::vector<TFastDIB> shown;
    for (int n = 0; n <= 14; ++n) {
      if (n > 0) step(forward);
      QCOMPARE(dlg->FrameBar->FrameNumber(), std::int64_t(n));
      QCOMPARE(Counter(*dlg->FrameBar), n);
      TFastDIB& copy = shown.emplace_back();
      copy.SetSize(dlg->FrameBar->FrameDIB().Width(), dlg->FrameBar->FrameDIB().RowCount(), 24);
      dlg->FrameBar->FrameDIB().Draw(copy, 0, 0);
    }
    for (int n = 13; n >= 0; --n) {
      step(back);
      QCOMPARE(dlg->FrameBar->FrameNumber(), std::int64_t(n));
      QVERIFY(test::SamePixels(shown[std::size_t(n)], dlg->FrameBar->FrameDIB(), "back-to-" + std::to_string(n)));
      QCOMPARE(qint64(dlg->Slider->value()), dlg->FrameBar->Position());
    }
    QVERIFY(!dlg->FrameBar->Playing());
  }

  // Home and End, and the menu items, show the first and the last frame.
  void firstAndLastFrame_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("frame");
    QTest::newRow("End") << "End" << 39;
    QTest::newRow("Home") << "Home" << 0;
    QTest::newRow("Last Frame") << "tbiLastFrame" << 39;
    QTest::newRow("First Frame") << "tbiFirstFrame" << 0;
  }
  void firstAndLastFrame() {
    QFETCH(QString, way);
    QFETCH(int, frame);
    auto dlg = OpenWindow();
    dlg->FrameBar->ShowFrameAt(dlg->FrameBar->Decoder()->FileSize() / 2);
    const std::int64_t middle = dlg->FrameBar->FrameNumber();
    QVERIFY(middle > 0 && middle < 39);
    if (way.startsWith(QLatin1String("tbi"))) {
      dlg->findChild<QAction*>(way)->trigger();
    } else {
      QTest::keyClick(dlg.get(), way == QLatin1String("End") ? Qt::Key_End : Qt::Key_Home);
    }
    QCOMPARE(dlg->FrameBar->FrameNumber(), std::int64_t(frame));
    QCOMPARE(Counter(*dlg->FrameBar), frame);
    QCOMPARE(qint64(dlg->Slider->value()), dlg->FrameBar->Position());
  }

  // Left, Right, Home and End step through the frames unless the library
  // tree or a text box has the keyboard focus: there they do their usual
  // work and the frame stays. A click on the picture takes the focus.
  void navigationKeysLeaveTheTreeAndTextBoxesAlone_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("steps");
    const std::pair<const char*, Qt::Key> keys[] = {
        {"Left", Qt::Key_Left}, {"Right", Qt::Key_Right}, {"Home", Qt::Key_Home}, {"End", Qt::Key_End}};
    for (const auto& [name, key] : keys) {
      QTest::addRow("%s, nothing focused", name) << "none" << int(key) << true;
      QTest::addRow("%s after a click on the picture", name) << "picture" << int(key) << true;
      QTest::addRow("%s in the library tree", name) << "tree" << int(key) << false;
      QTest::addRow("%s in a text box", name) << "text box" << int(key) << false;
    }
  }
  void navigationKeysLeaveTheTreeAndTextBoxesAlone() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, steps);
    auto dlg = OpenWindow();
    auto* box = new QLineEdit(QStringLiteral("a name of some length"), dlg.get());
    box->setGeometry(520, 480, 200, 18);
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    dlg->FrameBar->ShowFrameAt(dlg->FrameBar->Decoder()->FileSize() / 2);
    const std::int64_t before = dlg->FrameBar->FrameNumber();
    QVERIFY(before > 0 && before < 39);
    QWidget* target = dlg.get();
    if (focus == QLatin1String("tree")) target = dlg->imageTree;
    if (focus == QLatin1String("text box")) target = box;
    if (focus == QLatin1String("picture")) {
      // The tree has the focus first; the click takes it.
      dlg->imageTree->setFocus();
      QTest::mouseClick(dlg->VideoPanel, Qt::LeftButton, {}, QPoint(200, 100));
      target = dlg->VideoPanel;
      QCOMPARE(QApplication::focusWidget(), target);
    } else if (target == dlg.get()) {
      if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
    } else {
      target->setFocus();
      QCOMPARE(QApplication::focusWidget(), target);
    }
    box->setCursorPosition(5);
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(dlg->FrameBar->FrameNumber() != before, steps);
    if (target == box) QVERIFY2(box->cursorPosition() != 5, "the text box got the key");
  }

  // Playback > Still: the choice shows in the status line at once and is
  // kept beside the library for the next run; a choice that cannot be kept
  // still holds for this run.
  void stillChoiceIsKeptForTheNextRun() {
    const std::filesystem::path file = Dir_.filePath(QStringLiteral("still-mode")).toStdString();
    {
      std::unique_ptr<TMainDlg> dlg = OpenWindow();
      dlg->UseStillModeFile(file);
      QVERIFY(dlg->tbiStillClean->isChecked());
      QVERIFY2(dlg->lbStatus->text().contains(QStringLiteral(" - progressive")), qPrintable(dlg->lbStatus->text()));
      dlg->tbiStillBlend->trigger();
      QCOMPARE(dlg->FrameBar->StillMode(), TStillMode::Blend);
      QVERIFY2(dlg->lbStatus->text().contains(QStringLiteral(" - line blend")), qPrintable(dlg->lbStatus->text()));
    }
    TMainDlg next(nullptr, ProgramDir);
    next.UseStillModeFile(file);
    QVERIFY(next.tbiStillBlend->isChecked());
    QVERIFY(!next.tbiStillClean->isChecked());
    QCOMPARE(next.FrameBar->StillMode(), TStillMode::Blend);
    next.UseStillModeFile(Dir_.filePath(QStringLiteral("no-such-folder/still-mode")).toStdString());
    next.tbiStillWeave->trigger();
    QCOMPARE(next.FrameBar->StillMode(), TStillMode::Weave);
  }

  // Once a video opens, the picture has the keys, and shows that it has:
  // Right steps the video, not the library tree.
  void anOpenedVideoTakesTheKeys() {
    auto dlg = std::make_unique<TMainDlg>(nullptr, ProgramDir);
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    dlg->imageTree->setFocus();
    TFastDIB unfocused;
    dlg->VideoPanel->PaintTo(unfocused);
    dlg->OpenVideo(Video_);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg->VideoPanel));
    TFastDIB focused;
    dlg->VideoPanel->PaintTo(focused);
    QVERIFY(std::memcmp(focused.PixelPtr(1, 1), unfocused.PixelPtr(1, 1), 3) != 0);
    const std::int64_t before = dlg->FrameBar->FrameNumber();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QCOMPARE(dlg->FrameBar->FrameNumber(), before + 1);
  }

  // Alt and a letter reach every menu and item: no two share it.
  void menusHaveDistinctAccelerators() {
    TMainDlg dlg(nullptr, ProgramDir);
    test::ExpectDistinctAccelerators(&dlg);
  }

  // The menus show the keys of the playback commands.
  void playbackMenuShowsTheKeys() {
    TMainDlg dlg(nullptr, ProgramDir);
    for (QAction* action : dlg.tbPlayback->actions()) {
      // Separators and the Still choices' submenu have no key.
      if (action->isSeparator() || action->menu() != nullptr) continue;
      QVERIFY2(action->text().section(QLatin1Char('\t'), 1).size() > 0, qPrintable(action->objectName()));
    }
    QCOMPARE(dlg.tbiBackStep->text(), QStringLiteral("Backward Step\tShift+A, Left"));
    const QList<QAction*> items = dlg.tbPlayback->actions();
    QCOMPARE(items.indexOf(dlg.tbiBackStep) + 1, items.indexOf(dlg.tbiMoveStep));
  }

  // Tab walks the window's controls in the order they stand, each showing
  // the focus; Space presses the button it reached instead of playing.
  void tabWalksTheControls() {
    auto dlg = OpenWindow();
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg->VideoPanel));
    QList<QWidget*> reached;
    for (int i = 0; i < 13; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      reached.append(QApplication::focusWidget());
    }
    // Pause rests while nothing plays.
    const QList<QWidget*> expected = {dlg->btView,   dlg->btResize,  dlg->btCrop,   dlg->btExport, dlg->Slider,
                                      dlg->etSearch, dlg->imageTree, dlg->btOpen,   dlg->btPlay,   dlg->btSave,
                                      dlg->btHelp,   dlg->btUpdate,  dlg->VideoPanel};
    QCOMPARE(reached, expected);

    // A button with the focus looks so, in the program's theme.
    const QString plain = qApp->styleSheet();
    const QFont font = QApplication::font();
    ApplyTheme(*qApp);
    dlg->VideoPanel->setFocus(Qt::TabFocusReason);
    const QImage unfocused = dlg->btView->grab().toImage();
    dlg->btView->setFocus(Qt::TabFocusReason);
    const QImage focused = dlg->btView->grab().toImage();
    qApp->setStyleSheet(plain);
    QApplication::setFont(font);
    QVERIFY(focused.pixel(1, focused.height() / 2) != unfocused.pixel(1, unfocused.height() / 2));

    int views = 0;
    dlg->Commands.ViewFrame = [&views] { ++views; };
    QTest::keyClick(dlg->btView, Qt::Key_Space);
    QCOMPARE(views, 1);
    QVERIFY(!dlg->FrameBar->Playing());
    // On the slider the arrows step frames, and the slider follows the frame.
    dlg->Slider->setFocus(Qt::TabFocusReason);
    const std::int64_t before = dlg->FrameBar->FrameNumber();
    QTest::keyClick(dlg->Slider, Qt::Key_Right);
    QCOMPARE(dlg->FrameBar->FrameNumber(), before + 1);
    QCOMPARE(qint64(dlg->Slider->value()), dlg->FrameBar->Position());
  }

  // Letters, Space and Escape typed into the search field are text: the
  // video stays where it was and keeps still.
  void theSearchFieldTakesItsKeys() {
    auto dlg = OpenWindow();
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    dlg->FrameBar->ShowFrameAt(0);
    const std::int64_t before = dlg->FrameBar->Position();
    dlg->etSearch->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(dlg->etSearch, "wasd p");
    QCOMPARE(dlg->etSearch->text(), QStringLiteral("wasd p"));
    QCOMPARE(dlg->FrameBar->Position(), before);
    QVERIFY(!dlg->FrameBar->Playing());
    QTest::keyClick(dlg->etSearch, Qt::Key_Escape);
    QCOMPARE(dlg->etSearch->text(), QString());
  }

  // Tools holds the frame's commands with their keys, resting without a video.
  void toolsMenuRunsTheFrameCommands_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("View Frame") << "tbiViewFrame" << QKeySequence(Qt::CTRL | Qt::Key_Return);
    QTest::newRow("Crop Frame") << "tbiCropFrame" << QKeySequence(Qt::CTRL | Qt::Key_K);
    QTest::newRow("Resize Frame") << "tbiResizeFrame" << QKeySequence(Qt::CTRL | Qt::Key_R);
    QTest::newRow("Export Frame") << "tbiExportFrame" << QKeySequence(Qt::CTRL | Qt::Key_E);
    QTest::newRow("Save Image") << "tbiSaveImage" << QKeySequence(Qt::CTRL | Qt::Key_W);
  }
  void toolsMenuRunsTheFrameCommands() {
    QFETCH(QString, action);
    QFETCH(QKeySequence, keys);
    auto dlg = std::make_unique<TMainDlg>(nullptr, ProgramDir);
    auto* item = dlg->findChild<QAction*>(action);
    QVERIFY(item != nullptr);
    QVERIFY(dlg->tbTools->actions().contains(item));
    QVERIFY(!item->isEnabled());
    int runs = 0;
    const auto count = [&runs] { ++runs; };
    dlg->Commands.ViewFrame = dlg->Commands.CropFrame = dlg->Commands.ResizeFrame = dlg->Commands.ExportFrame =
        dlg->Commands.SaveImage = count;
    dlg->OpenVideo(Video_);
    QVERIFY(item->isEnabled());
    item->trigger();
    QCOMPARE(runs, 1);
    // The key, shown in the menu, does the same wherever the focus is.
    QVERIFY2(item->shortcut() == keys || item->text().endsWith(QLatin1Char('\t') + keys.toString()),
             qPrintable(item->text()));
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    dlg->imageTree->setFocus();
    QTest::keySequence(dlg->imageTree, keys);
    QCOMPARE(runs, 2);
  }

  // Z, Tools > Frame at 100 % and a double click on the picture show the
  // frame's decoded pixels one to one in a window of their own, playback
  // paused while it is open; without a video they rest.
  void theFrameAt100PercentOpens_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Z") << "Z";
    QTest::newRow("Tools menu") << "menu";
    QTest::newRow("double click") << "double click";
  }
  void theFrameAt100PercentOpens() {
    QFETCH(QString, how);
    auto dlg = std::make_unique<TMainDlg>(nullptr, ProgramDir);
    QVERIFY(dlg->tbTools->actions().contains(dlg->tbiActualSize));
    QCOMPARE(dlg->tbiActualSize->text(), QStringLiteral("Frame at &100 %"));
    QCOMPARE(dlg->tbiActualSize->shortcut(), QKeySequence(Qt::Key_Z));
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    const auto open = [&] {
      if (how == QLatin1String("Z")) {
        // Wherever the focus is in the window.
        dlg->imageTree->setFocus();
        QTest::keyClick(dlg->imageTree, Qt::Key_Z);
      } else if (how == QLatin1String("menu")) {
        dlg->tbiActualSize->trigger();
      } else {
        QTest::mouseDClick(dlg->VideoPanel, Qt::LeftButton, {}, dlg->VideoPanel->rect().center());
      }
    };
    QVERIFY(!dlg->tbiActualSize->isEnabled());
    QVERIFY(test::NoModalDuring(open));

    dlg->OpenVideo(Video_);
    QVERIFY(dlg->tbiActualSize->isEnabled());
    dlg->FrameBar->ShowFrameAt(6 * 10240);
    dlg->btPlay->click();
    bool seen = false, paused = false, samePixels = false;
    QString title, expectedTitle;
    test::WhenModal<TActualSizeDlg>([&](TActualSizeDlg* view) {
      seen = true;
      paused = !dlg->FrameBar->Playing();
      title = view->windowTitle();
      expectedTitle = QStringLiteral("Frame %1 at 100 %").arg(dlg->FrameBar->FrameNumber() + 1);
      QCoreApplication::processEvents();
      // 720 x 576 has room on the test screen: the view is the frame's size.
      const TFastDIB& frame = dlg->FrameBar->FrameDIB();
      const QSize device = view->View()->DeviceSize();
      if (device == QSize(frame.Width(), frame.RowCount())) {
        const TFastDIB shown = test::PixelsOf(view->View()->viewport()->grab().toImage());
        samePixels = test::SamePixels(frame, test::RegionOf(shown, 0, 0, device.width(), device.height()),
                                      "frame-at-100");
      }
      QTest::keyClick(view->View(), Qt::Key_Escape);
    });
    open();
    QVERIFY(seen);
    QVERIFY(paused);
    QCOMPARE(title, expectedTitle);
    QVERIFY(samePixels);
    // Playback goes on once the window is closed.
    QVERIFY(dlg->FrameBar->Playing());
    dlg->FrameBar->Pause();
  }

  void ctrlWSavesWithoutPausing() {
    auto dlg = OpenWindow();
    int saves = 0;
    bool playingDuringSave = false;
    dlg->Commands.SaveImage = [&] {
      ++saves;
      playingDuringSave = dlg->FrameBar->Playing();
    };
    dlg->btPlay->click();
    QTest::keyClick(dlg.get(), Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(saves, 1);
    QVERIFY(playingDuringSave);
    dlg->FrameBar->Pause();
  }

  void backwardMenuSendsKeyA() {
    auto dlg = OpenWindow();
    dlg->Slider->setValue(30);
    // The items read the keyboard's modifier state; earlier simulated keys
    // may have left one set, so a plain key clears it first.
    QTest::keyClick(dlg.get(), Qt::Key_Q);
    QCOMPARE(QApplication::queryKeyboardModifiers(), Qt::NoModifier);
    dlg->tbiBackward->trigger();
    QCOMPARE(dlg->Slider->value(), 5);
    dlg->tbiForwardMore->trigger();
    QCOMPARE(dlg->Slider->value(), std::min(205, dlg->Slider->maximum()));
  }

  void spaceAfterEndStartsOverAndPlayStartsOver() {
    auto dlg = OpenWindow();
    QTest::keyClick(dlg.get(), Qt::Key_Space);
    QVERIFY(dlg->FrameBar->Playing());
    QTRY_VERIFY_WITH_TIMEOUT(!dlg->FrameBar->Playing(), 20000);
    QVERIFY(!dlg->FrameBar->Paused());
    QVERIFY(dlg->btPlay->isEnabled());
    // The last frame, made a still (the nominal rate gives way to that).
    QVERIFY2(dlg->lbStatus->text().contains(QStringLiteral(" - Frame 40 / 40 - progressive")),
             qPrintable(dlg->lbStatus->text()));
    // Space after the end plays again from the first frame; P pauses.
    QTest::keyClick(dlg.get(), Qt::Key_Space);
    QVERIFY(dlg->FrameBar->Playing());
    QTest::keyClick(dlg.get(), Qt::Key_P);
    QVERIFY(!dlg->FrameBar->Playing());
    QVERIFY(Counter(*dlg->FrameBar) < 10);
    QTest::keyClick(dlg.get(), Qt::Key_P);
    QVERIFY(dlg->FrameBar->Playing());
    dlg->FrameBar->Pause();
    // Play with the slider at its end starts over from the first frame.
    dlg->Slider->setValue(dlg->Slider->maximum());
    dlg->btPlay->click();
    QVERIFY(dlg->FrameBar->Playing());
    QCOMPARE(dlg->Slider->value(), 0);
    dlg->FrameBar->Pause();
    QVERIFY(Counter(*dlg->FrameBar) < 10);
  }

  void sliderReleasedAtMaximumRewinds() {
    auto dlg = OpenWindow();
    dlg->btPlay->click();
    QTest::qWait(100);
    dlg->Slider->Dragging = true;
    dlg->SliderMouseDown();
    QVERIFY(dlg->WasPlaying);
    QVERIFY(!dlg->FrameBar->Playing());
    dlg->Slider->setValue(dlg->Slider->maximum());
    dlg->SliderMouseUp();
    QCOMPARE(dlg->Slider->value(), 0);
    QCOMPARE(Counter(*dlg->FrameBar), 0);
    QVERIFY(!dlg->FrameBar->Playing());
    QVERIFY(!dlg->WasPlaying);
  }

  void sliderDragResumesPlayback() {
    auto dlg = OpenWindow();
    dlg->btPlay->click();
    dlg->Slider->Dragging = true;
    dlg->SliderMouseDown();
    dlg->Slider->setValue(10);
    dlg->SliderMouseUp();
    QVERIFY(dlg->FrameBar->Playing());
    QVERIFY(!dlg->Slider->Dragging);
    QVERIFY(!dlg->WasPlaying);
    dlg->FrameBar->Pause();
  }

  // The picture follows a dragged slider: at once for the first move, then
  // the latest position once the pause is over; the release shows the same.
  void sliderDragScrubs() {
    auto dlg = OpenWindow();
    const int last = dlg->Slider->maximum();
    QVERIFY(last > 8);
    dlg->Slider->Dragging = true;
    dlg->SliderMouseDown();
    dlg->Slider->setValue(last / 2);
    const int first = Counter(*dlg->FrameBar);
    QVERIFY(first > 0);
    dlg->Slider->setValue(last / 2 + 1);
    dlg->Slider->setValue(last * 3 / 4);
    QCOMPARE(Counter(*dlg->FrameBar), first);
    QVERIFY(dlg->Scrubbing().Waiting());
    QTRY_VERIFY(!dlg->Scrubbing().Waiting());
    const int scrubbed = Counter(*dlg->FrameBar);
    QVERIFY2(scrubbed > first, qPrintable(QStringLiteral("%1 %2 %3").arg(first).arg(scrubbed).arg(last)));
    dlg->SliderMouseUp();
    QCOMPARE(Counter(*dlg->FrameBar), scrubbed);
    QVERIFY(!dlg->Slider->Dragging);
  }

  // A click on the track moves there and shows that frame, as a drag
  // released there does; playing goes on from there.
  void trackClickSeeksThere_data() {
    QTest::addColumn<bool>("playing");
    QTest::newRow("paused") << false;
    QTest::newRow("playing") << true;
  }
  void trackClickSeeksThere() {
    QFETCH(bool, playing);
    auto dlg = OpenWindow();
    dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    const QPoint onTrack(dlg->Slider->width() * 3 / 4, dlg->Slider->height() / 2);
    QVERIFY(!dlg->Slider->OnPointer(onTrack));
    const int target = dlg->Slider->ValueAt(onTrack.x());
    QVERIFY(target > dlg->Slider->maximum() / 2);
    if (playing) dlg->btPlay->click();
    QTest::mouseClick(dlg->Slider, Qt::LeftButton, {}, onTrack);
    QVERIFY(!dlg->Slider->Dragging);
    QCOMPARE(dlg->FrameBar->Playing(), playing);
    if (playing) dlg->FrameBar->Pause();
    else QCOMPARE(dlg->Slider->value(), target);

    // The same frame as a drag released at that value.
    auto dragged = OpenWindow();
    dragged->Slider->Dragging = true;
    dragged->SliderMouseDown();
    dragged->Slider->setValue(target);
    dragged->SliderMouseUp();
    if (!playing) QCOMPARE(Counter(*dlg->FrameBar), Counter(*dragged->FrameBar));
    else QVERIFY(Counter(*dlg->FrameBar) >= Counter(*dragged->FrameBar));
  }

  // A long name is shortened only where the line would not fit: without an
  // open going on, the status line has the whole bar.
  void statusLineUsesTheWholeBar() {
    TMainDlg dlg(nullptr, ProgramDir);
    const QFontMetrics metrics = dlg.lbStatus->fontMetrics();
    QString name = QStringLiteral("film");
    const QString tail =
        QStringLiteral(" - [720x576] - Time: 00:00:00.000 - Frame 1 / 40 - progressive (25.00 fps)");
    while (metrics.horizontalAdvance(Dir_.filePath(name + QStringLiteral("-x.vob")) + tail) < DesignWidthOfText(dlg))
      name += QStringLiteral("-x");
    const QString path = Dir_.filePath(name + QStringLiteral(".vob"));
    QVERIFY(metrics.horizontalAdvance(path + tail) > dlg.pbParseVideo->x());
    QVERIFY(QFile::copy(Video_, path));
    dlg.OpenVideo(path);
    QVERIFY2(dlg.lbStatus->text().startsWith(path + QStringLiteral(" - [720x576]")), qPrintable(dlg.lbStatus->text()));
    QVERIFY(QFile::remove(path));
  }

  void aboutWindow() {
    TaboutDlg about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Kelta"));
    QCOMPARE(about.lbVersion->text(), QStringLiteral("v3.0.1.0"));
    QCOMPARE(TaboutDlg::MailLink().toString(QUrl::FullyEncoded),
             QStringLiteral("mailto:support@kelta.example?subject=KELTA%20SUPPORT"));
    QCOMPARE(TaboutDlg::WebLink().path(), QStringLiteral("/kelta/"));
    QTimer::singleShot(50, &about, [&about] { QTest::keyClick(&about, Qt::Key_Escape); });
    QCOMPARE(about.exec(), int(QDialog::Rejected));
  }

  // A second start hands its request to the running instance and ends
  // silently: a video named relative to its own folder arrives as a full
  // path; without one, the request only asks for the window.
  void secondStartHandsItsRequestOver_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("request");
    QTest::newRow("with a video") << QStringList{QStringLiteral("clip.vob")} << Video_;
    QTest::newRow("without a video") << QStringList{} << QString();
  }
  void secondStartHandsItsRequestOver() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, request);
    TTemporaryFolderScope folder(Dir_.filePath(QStringLiteral("handover")));
    QVERIFY(!AlreadyRunning());  // this process is the running Kelta now
    TInstanceServer server;
    QStringList requests;
    server.OnRequest = [&requests](const QString& video) { requests << video; };
    QVERIFY(server.Listen(QString::fromStdString(InstanceSocketPath())));

    QProcess kelta;
    kelta.setProcessEnvironment(ProgramEnvironment());
    kelta.setWorkingDirectory(Dir_.path());
    kelta.start(ProgramDir + QStringLiteral("/kelta"), arguments);
    QVERIFY(kelta.waitForStarted(10000));
    const bool ended = kelta.waitForFinished(20000);
    if (!ended) kelta.kill();
    QVERIFY2(ended, "the second start kept running");
    QCOMPARE(kelta.exitStatus(), QProcess::NormalExit);
    QCOMPARE(kelta.exitCode(), 0);
    QCOMPARE(kelta.readAllStandardOutput(), QByteArray());
    QCOMPARE(kelta.readAllStandardError(), QByteArray());
    QTRY_COMPARE(requests, QStringList{request});
  }

  // The running window answers a hand-over: it opens the video, but only
  // once the dialog open over it has closed.
  void handedOverVideoWaitsForTheOpenDialog() {
    TMainDlg dlg(nullptr, ProgramDir);
    dlg.show();
    QDialog dialog(&dlg);
    dialog.setModal(true);
    dialog.show();
    dlg.HandOver(Video_);
    QTest::qWait(300);
    QVERIFY(!dlg.FrameBar->FileOpened());
    dialog.close();
    QTRY_VERIFY(dlg.FrameBar->FileOpened());
    QCOMPARE(dlg.FrameBar->FileName, Video_);
  }

  // --version and --help print and end before any window: with no display
  // to be had, a window would end the program with an error instead.
  void printingOptionsEndWithoutAWindow_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("printed");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("version") << "--version" << "Kelta " + ProgramVersion + "\n" << 0;
    QTest::newRow("help") << "--help" << "Usage: kelta [VIDEO]\n" << 0;
    QTest::newRow("unknown option") << "--fullscreen" << "" << 2;
  }
  void printingOptionsEndWithoutAWindow() {
    QFETCH(QString, option);
    QFETCH(QString, printed);
    QFETCH(int, exitCode);
    QProcess kelta;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("TMPDIR"), Dir_.filePath(QStringLiteral("printing")));
    QDir().mkpath(Dir_.filePath(QStringLiteral("printing")));
    kelta.setProcessEnvironment(env);
    kelta.start(ProgramDir + QStringLiteral("/kelta"), {option});
    QVERIFY(kelta.waitForFinished(10000));
    QCOMPARE(kelta.exitStatus(), QProcess::NormalExit);
    QCOMPARE(kelta.exitCode(), exitCode);
    const QString out = QString::fromUtf8(kelta.readAllStandardOutput());
    if (printed.isEmpty()) {
      // A refusal goes to the error stream with the usage.
      QCOMPARE(out, QString());
      QVERIFY(QString::fromUtf8(kelta.readAllStandardError()).startsWith("kelta: unknown option " + option));
    } else {
      QVERIFY2(out.startsWith(printed), qPrintable(out));
    }
  }

  // Ctrl+C (wherever the focus is in the window) and Tools > Copy Frame put
  // the frame on screen on the clipboard in the shape shown, as the picture
  // windows copy it; Ctrl+Shift+C and Copy Exact Pixels put its pixels as
  // decoded.
  void copyFramePutsTheFrameOnTheClipboard_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("exact");
    QTest::newRow("Ctrl+C") << "keys" << false;
    QTest::newRow("Ctrl+C in the library tree") << "keys in tree" << false;
    QTest::newRow("Tools menu") << "menu" << false;
    QTest::newRow("Ctrl+Shift+C") << "keys" << true;
    QTest::newRow("Ctrl+Shift+C in the library tree") << "keys in tree" << true;
    QTest::newRow("Tools menu, exact") << "menu" << true;
  }
  void copyFramePutsTheFrameOnTheClipboard() {
    QFETCH(QString, way);
    QFETCH(bool, exact);
    auto dlg = OpenWindow();
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    dlg->FrameBar->ShowFrameAt(6 * 10240);
    QVERIFY(Counter(*dlg->FrameBar) > 0);
    QGuiApplication::clipboard()->clear();
    if (way == QLatin1String("menu")) {
      (exact ? dlg->tbiCopyExactPixels : dlg->tbiCopyFrame)->trigger();
    } else {
      QWidget* target = way == QLatin1String("keys") ? static_cast<QWidget*>(dlg.get()) : dlg->imageTree;
      dlg->imageTree->setCurrentItem(dlg->imageTree->topLevelItem(0));
      target->setFocus();
      QTest::keyClick(target, Qt::Key_C, exact ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
    }
    const QImage copied = QGuiApplication::clipboard()->image();
    QVERIFY(!copied.isNull());
    TFastDIB shaped;
    ToSquarePixels(dlg->FrameBar->FrameDIB(), dlg->FrameBar->DisplayAspect(), shaped);
    // The 720 x 576 PAL frame at 4:3.
    QCOMPARE(shaped.Width(), 768);
    QVERIFY(test::SamePixels(exact ? dlg->FrameBar->FrameDIB() : shaped, test::PixelsOf(copied), "copied-frame"));
  }

  // The playback items and Copy Frame wait for a video.
  void videoCommandsFollowTheVideo_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("withVideo");
    for (const char* name : {"tbiPlay", "tbiBackward", "tbiForward", "tbiBackwardMore", "tbiForwardMore",
                             "tbiMoveStep", "tbiBackStep", "tbiFirstFrame", "tbiLastFrame", "tbiCopyFrame"})
      QTest::newRow(name) << name << true;
    // Pause waits for playback.
    QTest::newRow("tbiPause") << "tbiPause" << false;
  }
  void videoCommandsFollowTheVideo() {
    QFETCH(QString, action);
    QFETCH(bool, withVideo);
    TMainDlg dlg(nullptr, ProgramDir);
    auto* item = dlg.findChild<QAction*>(action);
    QVERIFY(item != nullptr);
    QVERIFY(!item->isEnabled());
    dlg.OpenVideo(Video_);
    QCOMPARE(item->isEnabled(), withVideo);
    dlg.btPlay->click();
    QCOMPARE(dlg.tbiPause->isEnabled(), true);
    QCOMPARE(dlg.tbiPlay->isEnabled(), false);
    dlg.FrameBar->Pause();
  }

  // A video file dropped on the window opens; anything else is refused at
  // the door.
  void dropOpensAVideoFileOnly_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("opens");
    QTest::newRow("video file") << "file" << true;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("web address") << "web" << false;
    QTest::newRow("plain text") << "text" << false;
  }
  void dropOpensAVideoFileOnly() {
    QFETCH(QString, kind);
    QFETCH(bool, opens);
    TMainDlg dlg(nullptr, ProgramDir);
    QMimeData data;
    if (kind == QLatin1String("file")) data.setUrls({QUrl::fromLocalFile(Video_)});
    if (kind == QLatin1String("folder")) data.setUrls({QUrl::fromLocalFile(Dir_.path())});
    if (kind == QLatin1String("web")) data.setUrls({QUrl(QStringLiteral("https://example.org/clip.vob"))});
    if (kind == QLatin1String("text")) data.setText(Video_);
    QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &enter);
    QCOMPARE(enter.isAccepted(), opens);
    QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &drop);
    if (opens) {
      QTRY_VERIFY(dlg.FrameBar->FileOpened());
      QCOMPARE(dlg.FrameBar->FileName, Video_);
    } else {
      QTest::qWait(50);
      QVERIFY(!dlg.FrameBar->FileOpened());
    }
  }

  // The videos opened are listed under File > Recent Videos in the next run
  // too, and the Open dialog starts in the last one's folder; a video gone
  // since is dropped with a word in the status line.
  void recentVideosOutliveTheRun() {
    const QString listFile = Dir_.filePath(QStringLiteral("recent-videos"));
    const QString gone = Dir_.filePath(QStringLiteral("gone.vob"));
    QFile::remove(listFile);
    QFile::remove(gone);
    QVERIFY(QFile::copy(Video_, gone));
    {
      TMainDlg dlg(nullptr, ProgramDir);
      dlg.UseRecentVideosFile(listFile.toStdString());
      QVERIFY(!dlg.tbRecent->menuAction()->isEnabled());
      dlg.OpenVideo(gone);
      dlg.OpenVideo(Video_);
    }
    TImageLibraryManager::RememberVideoFolder(QString());
    TMainDlg dlg(nullptr, ProgramDir);
    dlg.UseRecentVideosFile(listFile.toStdString());
    QCOMPARE(TImageLibraryManager::VideoFileStartFolder(), Dir_.path());
    QList<QAction*> items = dlg.tbRecent->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->data().toString(), Video_);
    QCOMPARE(items[1]->data().toString(), gone);
    QCOMPARE(items[0]->text(), QStringLiteral("&1 clip.vob"));

    QVERIFY(QFile::remove(gone));
    items[1]->trigger();
    QTest::qWait(50);
    QVERIFY(!dlg.FrameBar->FileOpened());
    QVERIFY2(dlg.lbStatus->text().contains(QStringLiteral("no longer there")), qPrintable(dlg.lbStatus->text()));
    QCOMPARE(dlg.tbRecent->actions().size(), 1);
    QVERIFY(!QString::fromUtf8([&] {
               QFile list(listFile);
               return list.open(QIODevice::ReadOnly) ? list.readAll() : QByteArray();
             }())
                 .contains(QStringLiteral("gone.vob")));

    dlg.tbRecent->actions().first()->trigger();
    QTRY_VERIFY(dlg.FrameBar->FileOpened());
    QCOMPARE(dlg.FrameBar->FileName, Video_);
  }

  // A message box shown during start-up (the missing decoder's tip) is not
  // hidden under the splash, which stays on top of other windows.
  void splashStepsAsideForAMessage() {
    TSplashDlg splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    bool splashVisible = true;
    test::WhenModal<QMessageBox>([&](QMessageBox* box) {
      splashVisible = splash.isVisible();
      box->accept();
    });
    QMessageBox::critical(nullptr, QStringLiteral("Tip"), QStringLiteral("Cannot find the decoder."));
    QVERIFY(!splashVisible);
  }

  // Every caption is the window's own: a display name set on the application
  // is what the window system appends to each ("Information — Kelta"). Last,
  // as it applies the program's theme to the test application.
  void captionsCarryNoAppendedName() {
    ConfigureApplication(*qApp);
    const QString name = QCoreApplication::applicationName();
    QCOMPARE(name, QStringLiteral("Kelta"));
    QCoreApplication::setApplicationName(QStringLiteral("Renamed"));
    const QString display = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(name);
    QCOMPARE(display, QStringLiteral("Renamed"));
  }
};

}  // namespace kelta

QTEST_MAIN(kelta::MainDlgTest)
#include "MainDlgTest.moc"
