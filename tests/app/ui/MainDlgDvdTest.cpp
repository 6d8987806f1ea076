// The main window with DVDs authored at test time (see support/DvdFixture):
// the title chooser, opening a title from a folder and an image, chapter
// steps, and what an encrypted or damaged disc gets.
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <filesystem>

#include "app/ui/MainDlg.h"
#include "app/ui/PositionSlider.h"
#include "library/FilmManager.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryDocument.h"
#include "library/ui/NewCategoryDlg.h"
#include "library/ui/NewFilmDlg.h"
#include "support/DvdFixture.h"
#include "support/ui/ModalAnswer.h"
#include "video/DvdDisc.h"
#include "video/MPEG2Decoder.h"
#include "video/ui/DvdFileDialog.h"
#include "video/ui/DvdTitleDlg.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

namespace {

namespace fs = std::filesystem;

const QString ProgramDir = QStringLiteral(KELTA_PROGRAM_DIR);

int Counter(TVideoFrameBar& bar) {
  const TFastDIB& dib = bar.FrameDIB();
  return test::ReadFrameCounter(dib.Bits(), dib.Width(), dib.RowCount(), dib.RowStride());
}

// Answers the title chooser with Enter on the title in `row`.
void ChooseTitleRow(int row) {
  test::WhenModal<TDvdTitleDlg>([row](TDvdTitleDlg* dialog) {
    dialog->Titles()->setCurrentItem(dialog->Titles()->topLevelItem(row));
    QTest::keyClick(dialog->Titles(), Qt::Key_Return);
  });
}

QString Local(const std::string& path) { return QString::fromStdString(path); }

}  // namespace

class MainDlgDvdTest : public QObject {
  Q_OBJECT

  QTemporaryDir Dir_;
  std::string Folder_, Image_, Video_, SetupError_;

  // A changed copy of the authored disc.
  std::string CopyOfDisc(const std::string& name) {
    const std::string copy = Dir_.filePath(QString::fromStdString(name)).toStdString() + "/MY_DISC";
    fs::create_directories(copy);
    fs::copy(Folder_, copy, fs::copy_options::recursive);
    return copy;
  }

  // The counter of the frame at a chapter start, as the decoder shows it.
  static int ChapterFirstCounter(const TDvdTitle& title, std::size_t chapter) {
    TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
    decoder.OpenDvdCells(title.Cells, "title");
    decoder.Seek(title.Chapters.at(chapter).Position);
    return test::ReadFrameCounter(decoder.GetFrame(0));
  }

 private slots:
  void initTestCase() {
    SetDvdReaderFolder(KELTA_PROGRAM_DIR);
    QVERIFY(Dir_.isValid());
    Folder_ = Dir_.filePath(QStringLiteral("MY_DISC")).toStdString();
    Image_ = Dir_.filePath(QStringLiteral("my-disc.iso")).toStdString();
    test::DvdTitleSource shortTitle, longTitle;
    shortTitle.video.frames = 50;
    shortTitle.chapters = "0,1";
    longTitle.video.frames = 100;
    longTitle.chapters = "0,1,2.5";
    // A missing authoring tool fails the tests loudly.
    const std::vector<std::string> videos =
        test::AuthorDvd(Dir_.filePath(QStringLiteral("sources")).toStdString(), Folder_, {shortTitle, longTitle});
    test::MakeDiscImage(Folder_, Image_, "MY_DISC");
    Video_ = videos.front();
  }

  void chooserListsTheTitlesWithTheLongestSelected() {
    const TDvdDisc disc = ReadDvdDisc(Folder_);
    TDvdTitleDlg dialog(disc);
    QCOMPARE(dialog.Titles()->topLevelItemCount(), 2);
    const QStringList expected[2] = {{"Title 1", "0:00:02", "2", "720x576  4:3"},
                                     {"Title 2", "0:00:04", "3", "720x576  4:3"}};
    for (int row = 0; row < 2; ++row)
      for (int column = 0; column < 4; ++column)
        QCOMPARE(dialog.Titles()->topLevelItem(row)->text(column), expected[row][column]);
    QCOMPARE(dialog.Chosen(), std::size_t(1));
    dialog.show();
    QTest::keyClick(dialog.Titles(), Qt::Key_Up);
    QTest::keyClick(dialog.Titles(), Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Chosen(), std::size_t(0));
  }

  // A title opens from the folder and from the image alike, with its
  // chapters on the slider; PageDown and PageUp show each chapter's first
  // frame and the status line says which chapter it is.
  void opensTheChosenTitleAndStepsThroughItsChapters_data() {
    QTest::addColumn<bool>("image");
    QTest::newRow("folder") << false;
    QTest::newRow("image") << true;
  }
  void opensTheChosenTitleAndStepsThroughItsChapters() {
    QFETCH(bool, image);
    const QString disc = Local(image ? Image_ : Folder_);
    const TDvdTitle title = ReadDvdDisc(Folder_).Titles.at(1);
    TMainDlg dlg(nullptr, ProgramDir);
    ChooseTitleRow(1);
    dlg.RunCommand([&] { dlg.OpenDvd(disc); });
    // The title opens beside the window, which goes on meanwhile.
    QVERIFY(dlg.FrameBar->Opening());
    dlg.FrameBar->WaitForOpen();
    QVERIFY(dlg.FrameBar->FileOpened());
    QCOMPARE(dlg.FrameBar->FileName, QStringLiteral("MY_DISC \u2013 Title 2"));
    QCOMPARE(dlg.lbStatus->toolTip(), disc);
    QCOMPARE(dlg.Slider->Marks().size(), std::size_t(3));
    QVERIFY(dlg.tbiNextChapter->isEnabled());
    QCOMPARE(Counter(*dlg.FrameBar), 0);

    auto status = [&] { return dlg.lbStatus->text(); };
    QVERIFY2(status().startsWith(
                 QStringLiteral("MY_DISC \u2013 Title 2 - [720x576] - Chapter 1 / 3 - Time: 00:00:00.000")),
             qPrintable(status()));
    const int steps[] = {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_PageUp,
                         Qt::Key_PageUp};
    const std::size_t chapters[] = {1, 2, 2, 1, 0, 0};
    for (int i = 0; i < 6; ++i) {
      QTest::keyClick(&dlg, Qt::Key(steps[i]));
      const std::size_t chapter = chapters[i];
      QCOMPARE(Counter(*dlg.FrameBar), ChapterFirstCounter(title, chapter));
      QVERIFY2(status().contains(QStringLiteral(" - Chapter %1 / 3 - ").arg(chapter + 1)), qPrintable(status()));
    }
    dlg.tbiNextChapter->trigger();
    QVERIFY(status().contains(QStringLiteral(" - Chapter 2 / 3 - ")));
    QCOMPARE(test::UnansweredModals(), 0);
  }

  // What opens next starts with its own chapters: another title its own,
  // a plain file none.
  void eachOpenStartsWithItsOwnChapters() {
    TMainDlg dlg(nullptr, ProgramDir);
    ChooseTitleRow(1);
    dlg.RunCommand([&] { dlg.OpenDvd(Local(Folder_)); });
    dlg.FrameBar->WaitForOpen();
    QTest::keyClick(&dlg, Qt::Key_PageDown);
    QTest::keyClick(&dlg, Qt::Key_PageDown);
    QVERIFY2(dlg.lbStatus->text().contains(QStringLiteral(" - Chapter 3 / 3 - ")), qPrintable(dlg.lbStatus->text()));

    ChooseTitleRow(0);
    dlg.RunCommand([&] { dlg.OpenDvd(Local(Image_)); });
    // While the title opens, its first picture shows without the old chapter.
    QVERIFY2(!dlg.lbStatus->text().contains(QStringLiteral("Chapter")), qPrintable(dlg.lbStatus->text()));
    dlg.FrameBar->WaitForOpen();
    QVERIFY2(dlg.lbStatus->text().contains(QStringLiteral(" - Chapter 1 / 2 - ")), qPrintable(dlg.lbStatus->text()));
    QCOMPARE(dlg.Slider->Marks().size(), std::size_t(2));

    dlg.StartOpeningVideo(Local(Video_));
    QVERIFY(!dlg.lbStatus->text().contains(QStringLiteral("Chapter")));
    dlg.FrameBar->WaitForOpen();
    QCOMPARE(dlg.FrameBar->FileName, Local(Video_));
    QVERIFY2(!dlg.lbStatus->text().contains(QStringLiteral("Chapter")), qPrintable(dlg.lbStatus->text()));
    QVERIFY(dlg.Slider->Marks().empty());
    QVERIFY(!dlg.tbiNextChapter->isEnabled());
    const std::int64_t before = dlg.FrameBar->Position();
    QTest::keyClick(&dlg, Qt::Key_PageDown);
    QCOMPARE(dlg.FrameBar->Position(), before);
    QCOMPARE(test::UnansweredModals(), 0);
  }

  // Open DVD says under its list whether the folder on show is a DVD and
  // how to choose one; in a DVD's folder Open takes the disc at once.
  void openDvdSaysWhetherTheFolderIsADvd() {
    const QString holiday = Dir_.filePath(QStringLiteral("Holiday"));
    QVERIFY(QDir().mkpath(holiday + QStringLiteral("/Beach")));
    TDvdFileDialog dialog(nullptr, holiday);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QLabel* hint = dialog.FolderHint();
    QVERIFY(hint->isVisible());
    QVERIFY2(hint->text().startsWith(QStringLiteral("\u201CHoliday\u201D is not a DVD.")) &&
                 hint->text().contains(QStringLiteral("VIDEO_TS")),
             qPrintable(hint->text()));
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    name->setText(QStringLiteral("Beach"));
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(QFileInfo(dialog.directory().absolutePath()), QFileInfo(holiday + QStringLiteral("/Beach")));
    QVERIFY(dialog.isVisible());
    QVERIFY2(hint->text().startsWith(QStringLiteral("\u201CBeach\u201D is not a DVD.")), qPrintable(hint->text()));

    for (const QString& folder : {Local(Folder_), Local(Folder_) + QStringLiteral("/VIDEO_TS")}) {
      TDvdFileDialog inDisc(nullptr, folder);
      inDisc.show();
      QVERIFY(QTest::qWaitForWindowExposed(&inDisc));
      QVERIFY2(inDisc.FolderHint()->text().endsWith(QStringLiteral(" is a DVD: Open opens it.")),
               qPrintable(inDisc.FolderHint()->text()));
      QPushButton* open = inDisc.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
      QTRY_VERIFY(open->isEnabled());
      open->click();
      QCOMPARE(inDisc.result(), int(QDialog::Accepted));
      QCOMPARE(DvdLocation(QFile::encodeName(inDisc.Chosen()).toStdString()), DvdLocation(Folder_));
    }
  }

  void aDroppedDvdFolderOpens() {
    TMainDlg dlg(nullptr, ProgramDir);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Local(Folder_))});
    QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &enter);
    QVERIFY(enter.isAccepted());
    ChooseTitleRow(0);
    QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &drop);
    QTRY_VERIFY(dlg.FrameBar->FileOpened());
    QCOMPARE(dlg.FrameBar->FileName, QStringLiteral("MY_DISC \u2013 Title 1"));
  }

  // A DVD opened is listed under File > Recent Videos by the folder chosen,
  // in the next run too, and choosing it there opens the disc again.
  void aDvdIsAmongTheRecentVideos() {
    const QString listFile = Dir_.filePath(QStringLiteral("recent-dvds"));
    QFile::remove(listFile);
    {
      TMainDlg dlg(nullptr, ProgramDir);
      dlg.UseRecentVideosFile(listFile.toStdString());
      ChooseTitleRow(0);
      dlg.RunCommand([&] { dlg.OpenDvd(Local(Folder_)); });
      dlg.FrameBar->WaitForOpen();
      QVERIFY(dlg.FrameBar->FileOpened());
    }
    TMainDlg dlg(nullptr, ProgramDir);
    dlg.UseRecentVideosFile(listFile.toStdString());
    const QList<QAction*> items = dlg.tbRecent->actions();
    QCOMPARE(items.size(), 1);
    QCOMPARE(items[0]->data().toString(), Local(Folder_));
    QCOMPARE(items[0]->text(), QStringLiteral("&1 MY_DISC"));
    ChooseTitleRow(1);
    items[0]->trigger();
    QTRY_VERIFY(dlg.FrameBar->FileOpened());
    QCOMPARE(dlg.FrameBar->FileName, QStringLiteral("MY_DISC \u2013 Title 2"));
    QCOMPARE(test::UnansweredModals(), 0);
  }

  // An encrypted title is refused with its message, and the video on screen
  // stays as it was.
  void anEncryptedTitleLeavesTheOpenVideoAsItWas() {
    const std::string disc = CopyOfDisc("encrypted");
    test::SpoilSectors(disc + "/VIDEO_TS/VTS_01_1.VOB", test::SectorSpoil::Scrambled);
    TMainDlg dlg(nullptr, ProgramDir);
    dlg.OpenVideo(Local(Video_));
    dlg.FrameBar->FrameClick(&dlg.FrameBar->FrameRect(3));
    const int counter = Counter(*dlg.FrameBar);
    const QString status = dlg.lbStatus->text();
    ChooseTitleRow(1);
    test::TBoxSeen box;
    test::AnswerBox(box);
    dlg.RunCommand([&] { dlg.OpenDvd(Local(disc)); });
    dlg.FrameBar->WaitForOpen();
    QCOMPARE(box.Text, QStringLiteral("This DVD is encrypted; Kelta opens unencrypted DVD folders and disc images."));
    QCOMPARE(dlg.FrameBar->FileName, Local(Video_));
    QCOMPARE(Counter(*dlg.FrameBar), counter);
    QCOMPARE(dlg.lbStatus->text(), status);
    QVERIFY(dlg.Slider->Marks().empty());
  }

  // Without its title information a disc opens its video as one plain video
  // and says why there are no titles and chapters.
  void aDamagedDiscOpensItsPlainVideoAndSaysSo() {
    const std::string disc = CopyOfDisc("damaged");
    for (const char* file : {"/VIDEO_TS/VIDEO_TS.IFO", "/VIDEO_TS/VIDEO_TS.BUP"}) test::ZeroFile(disc + file);
    TMainDlg dlg(nullptr, ProgramDir);
    test::TBoxSeen box;
    test::AnswerBox(box);
    dlg.RunCommand([&] { dlg.OpenDvd(Local(disc)); });
    dlg.FrameBar->WaitForOpen();
    QVERIFY2(box.Text.contains(QStringLiteral("is damaged")), qPrintable(box.Text));
    QCOMPARE(box.Icon, QMessageBox::Warning);
    QVERIFY(dlg.FrameBar->FileOpened());
    QCOMPARE(dlg.FrameBar->FileName, QStringLiteral("MY_DISC \u2013 Title 1"));
    QVERIFY(dlg.Slider->Marks().empty());
    QVERIFY(!dlg.tbiNextChapter->isEnabled());
  }

  // A new film is offered the disc's volume name while a DVD title is on screen.
  void aNewFilmIsOfferedTheVolumeName() {
    const fs::path config = fs::path(Dir_.path().toStdString()) / "config";
    TFilmManager films(config);
    FilmManager = &films;
    {
      TMainDlg dlg(nullptr, ProgramDir);
      dlg.imageTree->setCurrentItem(dlg.imageTree->topLevelItem(0));
      test::WhenModal<TnewCategoryDlg>([](TnewCategoryDlg* dialog) {
        dialog->etCategoryName->setText(QStringLiteral("Films"));
        dialog->btOk->click();
      });
      dlg.tbiNewCategory->trigger();
      ChooseTitleRow(1);
      dlg.RunCommand([&] { dlg.OpenDvd(Local(Image_)); });
      dlg.FrameBar->WaitForOpen();
      dlg.imageTree->setCurrentItem(dlg.imageTree->topLevelItem(0)->child(0));
      QString offered;
      test::WhenModal<TnewFilmDlg>([&offered](TnewFilmDlg* dialog) {
        offered = dialog->etFilmName->text();
        dialog->btOk->click();
      });
      dlg.tbiNewFilm->trigger();
      QCOMPARE(offered, QStringLiteral("My Disc"));
      QVERIFY(dlg.imageTree->topLevelItem(0)->child(0)->child(0)->text(0).startsWith(QStringLiteral("My Disc")));
    }
    FilmManager = nullptr;
    QCOMPARE(test::UnansweredModals(), 0);
  }
};

}  // namespace kelta

QTEST_MAIN(kelta::MainDlgDvdTest)
#include "MainDlgDvdTest.moc"
