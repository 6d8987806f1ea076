#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/InstanceLock.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/MainDlg.h"
#include "app/ui/PositionSlider.h"
#include "common/ui/ShowException.h"
#include "support/VideoFixture.h"
#include "support/ui/ModalAnswer.h"
#include "video/ui/VideoFrameBar.h"
#include "common/ui/VideoOutPanel.h"

namespace kelta {

namespace {

const QString ProgramDir = QStringLiteral(KELTA_PROGRAM_DIR);

int Counter(TVideoFrameBar& bar) {
  const TFastDIB& dib = bar.FrameDIB();
  return test::ReadFrameCounter(dib.Bits(), dib.Width(), dib.RowCount(), dib.RowStride());
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
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
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
    QVERIFY2(status.startsWith(Video_ + QStringLiteral(" - [720x576] - Time: ")), qPrintable(status));
    QVERIFY2(status.endsWith(QStringLiteral(" (-1.00 fps)")), qPrintable(status));
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
    QCOMPARE(box.Text, QStringLiteral("Unable to open video file: ") + bad + QStringLiteral("."));
    QCOMPARE(box.Icon, QMessageBox::Critical);
    QVERIFY(!dlg.btPlay->isEnabled());
    QVERIFY(!dlg.FrameBar->FileOpened());
    // The window stays usable: a good file opens afterwards.
    dlg.OpenVideo(Video_);
    QVERIFY(dlg.FrameBar->FileOpened());
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
    QVERIFY(dlg->lbStatus->text().contains(QStringLiteral(" fps)")));
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

  void trackClickAfterShortDragDoesNotSeek() {
    auto dlg = OpenWindow();
    dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    dlg->Slider->Dragging = true;
    dlg->Slider->setValue(5);
    dlg->SliderMouseUp();
    QVERIFY(!dlg->Slider->Dragging);
    const int shown = Counter(*dlg->FrameBar);
    const qint64 position = dlg->FrameBar->Position();
    QVERIFY(shown > 0);
    // A click on the track far from the pointer.
    const QPoint onTrack(dlg->Slider->width() - 5, dlg->Slider->height() / 2);
    QVERIFY(!dlg->Slider->OnPointer(onTrack));
    QTest::mouseClick(dlg->Slider, Qt::LeftButton, {}, onTrack);
    QVERIFY(dlg->Slider->value() != 5);
    QCOMPARE(Counter(*dlg->FrameBar), shown);
    QCOMPARE(dlg->FrameBar->Position(), position);
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

  void secondStartExitsAtOnce() {
    // This process holds the lock (or another Kelta does): the program must
    // end by itself, silently, before building any window.
    AlreadyRunning();
    QProcess kelta;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    kelta.setProcessEnvironment(env);
    kelta.start(ProgramDir + QStringLiteral("/kelta"), {});
    QVERIFY(kelta.waitForStarted(10000));
    const bool ended = kelta.waitForFinished(10000);
    if (!ended) kelta.kill();
    ReleaseInstance();
    QVERIFY2(ended, "the second start kept running");
    QCOMPARE(kelta.exitStatus(), QProcess::NormalExit);
    QCOMPARE(kelta.exitCode(), 0);
    QCOMPARE(kelta.readAllStandardOutput(), QByteArray());
    QCOMPARE(kelta.readAllStandardError(), QByteArray());
  }
};

}  // namespace kelta

QTEST_MAIN(kelta::MainDlgTest)
#include "MainDlgTest.moc"
