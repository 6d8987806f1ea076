// Subtitles through the main window, on a DVD authored at test time
// (support/SubtitledDvd.h): the title chooser's languages, Playback >
// Subtitles ("Off" at first), the chosen stream over the paused frame, each
// step and every frame played, each disc's choice kept for the next time,
// and a plain file's streams in their fallback colours.
#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

#include "app/ui/MainDlg.h"
#include "support/SubtitledDvd.h"
#include "support/ui/ModalAnswer.h"
#include "video/DvdDisc.h"
#include "video/SubtitleChoice.h"
#include "video/ui/DvdTitleDlg.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

namespace {

const QString ProgramDir = QStringLiteral(KELTA_PROGRAM_DIR);

QString Local(const std::string& path) { return QString::fromStdString(path); }

std::int64_t FrameAt(double seconds) { return std::lround(seconds * test::SubtitledDvdFramesPerSecond); }

// Playback > Subtitles as the window fills it when it opens.
QList<QAction*> SubtitleItems(TMainDlg& dlg) {
  emit dlg.tbSubtitles->aboutToShow();
  return dlg.tbSubtitles->actions();
}
QStringList Captions(TMainDlg& dlg) {
  QStringList captions;
  for (QAction* action : SubtitleItems(dlg)) captions << action->text();
  return captions;
}
int CheckedRow(TMainDlg& dlg) {
  const QList<QAction*> items = SubtitleItems(dlg);
  for (int row = 0; row < items.size(); ++row)
    if (items[row]->isChecked()) return row;
  return -1;
}
void Choose(TMainDlg& dlg, int row) { SubtitleItems(dlg).at(row)->trigger(); }

TFastDIB Copy(const TFastDIB& frame) {
  TFastDIB copy;
  copy.SetSize(frame.Width(), frame.Height(), 24);
  std::memcpy(copy.Bits(), frame.Bits(), frame.ImageSize());
  return copy;
}

void ShowFrame(TMainDlg& dlg, std::int64_t number) {
  dlg.FrameBar->ShowFirstFrame();
  while (dlg.FrameBar->FrameNumber() < number) dlg.FrameBar->StepForward();
}

}  // namespace

class MainDlgSubtitleTest : public QObject {
  Q_OBJECT

  QTemporaryDir Dir_;
  test::SubtitledDvd Dvd_;
  std::vector<std::uint32_t> Palette_;

  void Open(TMainDlg& dlg, const std::string& disc) {
    dlg.RunCommand([&] { dlg.OpenDvd(Local(disc)); });
    dlg.FrameBar->WaitForOpen();
    QVERIFY(dlg.FrameBar->FileOpened());
  }
  // A frame shown against the subtitle's composite over `plain`.
  void ExpectComposite(const TFastDIB& shown, const TFastDIB& plain, const test::SubtitleArt& art) {
    const test::SubtitleMatch match =
        test::CompareWithComposite(shown.Bits(), plain.Bits(), shown.RowCount(), shown.RowStride(), art, Palette_);
    QVERIFY2(match.psnr >= 40.0, qPrintable(QString::number(match.psnr)));
    QVERIFY2(match.opaqueError <= 1.0, qPrintable(QString::number(match.opaqueError)));
  }

 private slots:
  void initTestCase() {
    SetDvdReaderFolder(KELTA_PROGRAM_DIR);
    QVERIFY(Dir_.isValid());
    Dvd_ = test::AuthorSubtitledDvd(Dir_.path().toStdString());
    Palette_ = ReadDvdDisc(Dvd_.folder).Titles.at(0).Palette;
    QCOMPARE(Palette_.size(), std::size_t(16));
  }

  void chooserListsTheSubtitleLanguages() {
    TDvdTitleDlg withSubtitles(ReadDvdDisc(Dvd_.folder));
    QCOMPARE(withSubtitles.Titles()->headerItem()->text(4), QStringLiteral("Subtitles"));
    QCOMPARE(withSubtitles.Titles()->topLevelItem(0)->text(4), QStringLiteral("en, fr"));
    TDvdTitleDlg without(ReadDvdDisc(Dvd_.plain));
    QCOMPARE(without.Titles()->topLevelItem(0)->text(4), QStringLiteral("\u2013"));
  }

  void theChosenStreamShowsOnScreenAndInStillsAndIsKeptPerDisc() {
    const std::filesystem::path choices = Dir_.filePath(QStringLiteral("subtitle-choices")).toStdString();
    {
      TMainDlg dlg(nullptr, ProgramDir);
      dlg.UseSubtitleChoiceFile(choices);
      Open(dlg, Dvd_.folder);
      QCOMPARE(Captions(dlg), QStringList({QStringLiteral("&Off"), QStringLiteral("Stream 1: English (en)"),
                                           QStringLiteral("Stream 2: French (fr)")}));
      QCOMPARE(CheckedRow(dlg), 0);

      // The paused frame is made again with the stream chosen.
      ShowFrame(dlg, FrameAt(0.8));
      const TFastDIB plain = Copy(dlg.FrameBar->FrameDIB());
      Choose(dlg, 1);
      QCOMPARE(dlg.FrameBar->Subtitle(), 0);
      QCOMPARE(CheckedRow(dlg), 1);
      QCOMPARE(dlg.FrameBar->FrameNumber(), FrameAt(0.8));
      ExpectComposite(dlg.FrameBar->FrameDIB(), plain, test::LowSubtitle());
      const TBGRColor orange = dlg.FrameBar->FrameDIB().PixelAt(
          dlg.FrameBar->FrameDIB().MemoryRow(test::LowSubtitle().y + 2), test::LowSubtitle().x + 2);

      // A step keeps the stream: the next frame, then the same without it.
      Choose(dlg, 2);
      dlg.FrameBar->StepForward();
      const TFastDIB stepped = Copy(dlg.FrameBar->FrameDIB());
      Choose(dlg, 0);
      QCOMPARE(dlg.FrameBar->Subtitle(), SubtitlesOff);
      QCOMPARE(dlg.FrameBar->FrameNumber(), FrameAt(0.8) + 1);
      ExpectComposite(stepped, dlg.FrameBar->FrameDIB(), test::HighSubtitle());

      // Every frame played shows the subtitle while it is on, and only then.
      Choose(dlg, 1);
      dlg.FrameBar->ShowFirstFrame();
      int withLine = 0, withoutLine = 0, wrong = 0;
      const auto heard = dlg.FrameBar->OnPositionChange;
      dlg.FrameBar->OnPositionChange = [&](QObject* sender) {
        const std::int64_t n = dlg.FrameBar->FrameNumber();
        const TFastDIB& frame = dlg.FrameBar->FrameDIB();
        const TBGRColor seen = frame.PixelAt(frame.MemoryRow(test::LowSubtitle().y + 2), test::LowSubtitle().x + 2);
        const bool orangeSeen = seen == orange;
        if (dlg.FrameBar->Playing() && n >= FrameAt(0.5) && n <= FrameAt(1.1)) orangeSeen ? ++withLine : ++wrong;
        if (dlg.FrameBar->Playing() && n >= 0 && n <= FrameAt(0.3)) orangeSeen ? ++wrong : ++withoutLine;
        if (heard) heard(sender);
      };
      dlg.FrameBar->Play();
      QTRY_VERIFY_WITH_TIMEOUT(!dlg.FrameBar->Playing(), 10000);
      dlg.FrameBar->OnPositionChange = heard;
      QVERIFY(withLine > 0);
      QVERIFY(withoutLine > 0);
      QCOMPARE(wrong, 0);
    }
    {
      // The same disc from its image comes back with its stream; another
      // disc starts with none.
      TMainDlg dlg(nullptr, ProgramDir);
      dlg.UseSubtitleChoiceFile(choices);
      Open(dlg, Dvd_.image);
      QCOMPARE(dlg.FrameBar->Subtitle(), 0);
      QCOMPARE(CheckedRow(dlg), 1);
      Open(dlg, Dvd_.plain);
      QCOMPARE(dlg.FrameBar->Subtitle(), SubtitlesOff);
      QCOMPARE(Captions(dlg), QStringList({QStringLiteral("&Off")}));
    }
  }

  // A plain file offers the streams found in it, marked as drawn without
  // the disc's palette; it starts with none.
  void aPlainFileOffersItsStreamsInFallbackColours() {
    TMainDlg dlg(nullptr, ProgramDir);
    dlg.StartOpeningVideo(Local(Dvd_.video));
    dlg.FrameBar->WaitForOpen();
    QCOMPARE(Captions(dlg),
             QStringList({QStringLiteral("&Off"), QStringLiteral("Stream 1 \u2013 fallback greys, no disc palette"),
                          QStringLiteral("Stream 2 \u2013 fallback greys, no disc palette")}));
    QCOMPARE(CheckedRow(dlg), 0);
    ShowFrame(dlg, FrameAt(0.8));
    const TFastDIB plain = Copy(dlg.FrameBar->FrameDIB());
    Choose(dlg, 1);
    QCOMPARE(dlg.FrameBar->Subtitle(), 0);
    const TFastDIB& shown = dlg.FrameBar->FrameDIB();
    const TBGRColor line = shown.PixelAt(shown.MemoryRow(test::LowSubtitle().y + 2), test::LowSubtitle().x + 2);
    QCOMPARE(line.Red, line.Green);
    QCOMPARE(line.Green, line.Blue);
    QVERIFY(std::memcmp(shown.Bits(), plain.Bits(), shown.ImageSize()) != 0);
    QCOMPARE(test::UnansweredModals(), 0);
  }
};

}  // namespace kelta

QTEST_MAIN(kelta::MainDlgSubtitleTest)
#include "MainDlgSubtitleTest.moc"
