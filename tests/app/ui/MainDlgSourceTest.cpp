// Every still knows where it came from: captures from a file and from a DVD
// title record their source, Go to Source opens it again on the same frame
// after a restart (by frame number and by pixels), and a moved file or disc
// is found again through the dialog and remembered.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <cstring>
#include <filesystem>

#include "app/ui/MainDlg.h"
#include "imaging/FastDIB.h"
#include "library/FilmManager.h"
#include "library/LibraryPaths.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryDocument.h"
#include "library/ui/SaveImageDlg.h"
#include "support/DvdFixture.h"
#include "support/SamePixels.h"
#include "support/VideoFixture.h"
#include "support/ui/ModalAnswer.h"
#include "video/DvdDisc.h"
#include "video/ui/DvdFileDialog.h"
#include "video/ui/DvdTitleDlg.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

namespace {

namespace fs = std::filesystem;

const QString ProgramDir = QStringLiteral(KELTA_PROGRAM_DIR);

TFastDIB Copy(const TFastDIB& picture) {
  TFastDIB copy;
  copy.SetSize(picture.Width(), picture.Height(), std::uint8_t(picture.BitCount()));
  std::memcpy(copy.Bits(), picture.Bits(), picture.ImageSize());
  return copy;
}

int Counter(TVideoFrameBar& bar) {
  const TFastDIB& dib = bar.FrameDIB();
  return test::ReadFrameCounter(dib.Bits(), dib.Width(), dib.RowCount(), dib.RowStride());
}

// A library with one category and one film, the window's document.
struct TLibrary {
  explicit TLibrary(const fs::path& config) : Films(config) {
    if (Films.Document().Root.Children.empty()) {
      Films.AddCategory(u"Films");
      Films.AddFilm(0, {u"Trip", 0});
    }
    FilmManager = &Films;
  }
  ~TLibrary() { FilmManager = nullptr; }
  TFilmManager Films;
};

QTreeWidgetItem* Node(TMainDlg& window, std::initializer_list<int> path) {
  QTreeWidgetItem* node = window.imageTree->topLevelItem(0);
  for (int index : path) node = node->child(index);
  return node;
}

// Saves the frame on screen into the film as `name`.
void SaveFrame(TMainDlg& window, const QString& name) {
  window.imageTree->setCurrentItem(Node(window, {0, 0}));
  test::WhenModal<TSaveImageDlg>([name](TSaveImageDlg* dialog) {
    dialog->etName->setText(name);
    dialog->btOk->click();
  });
  window.RunCommand(window.Commands.SaveImage);
}

// Go to Source on the image through the Image menu, to the end of the open.
void GoToSourceOf(TMainDlg& window, int image) {
  window.imageTree->setCurrentItem(Node(window, {0, 0, image}));
  emit window.pmImage->aboutToShow();
  QVERIFY(window.pmiGoToSource->isEnabled());
  window.pmiGoToSource->trigger();
  window.FrameBar->WaitForOpen();
}

void RemoveStoredFiles(const TFilmManager& films) {
  for (const TXmlNode& image : films.Document().Root.Children.at(0).Children.at(0).Children)
    for (const char* name : {"filename", "thumbnail"}) fs::remove(DataFolderPath() / image.Attribute(name));
}

}  // namespace

class MainDlgSourceTest : public QObject {
  Q_OBJECT

  QTemporaryDir Dir_;

 private slots:
  void initTestCase() {
    SetDvdReaderFolder(KELTA_PROGRAM_DIR);
    QVERIFY(Dir_.isValid());
  }

  void aFileCaptureGoesBackToItsFrameAfterARestartAndAfterTheFileMoved() {
    const QString video = Dir_.filePath(QStringLiteral("trip.vob"));
    test::Mpeg2StreamOptions options;  // 720 x 576 at 25 fps
    options.frames = 40;
    options.gopSize = 6;
    test::WriteMpeg2ProgramStream(video.toStdString(), options);
    const fs::path config = fs::path(Dir_.filePath(QStringLiteral("file-config")).toStdString());

    TFastDIB captured;
    {
      TLibrary library(config);
      TMainDlg window(nullptr, ProgramDir);
      window.OpenVideo(video);
      QVERIFY(window.FrameBar->FrameNavigation());
      for (int i = 0; i < 17; ++i) window.FrameBar->StepForward();
      QCOMPARE(window.FrameBar->FrameNumber(), std::int64_t(17));
      QCOMPARE(Counter(*window.FrameBar), 17);
      captured = Copy(window.FrameBar->FrameDIB());
      SaveFrame(window, QStringLiteral("Pier"));
      const std::optional<TCaptureSource> source = library.Films.ImageSource(0, 0, 0);
      QVERIFY(source.has_value());
      QCOMPARE(QString::fromStdString(source->Video), video);
      QCOMPARE(source->Frame, std::int64_t(17));
      QCOMPARE(source->TimeMs, std::int64_t(680));
      QCOMPARE(source->FrameRate, 25.0);
      QCOMPARE(QString::fromStdString(source->Timecode()), QStringLiteral("00:00:00:17"));
      QVERIFY(source->Aspect.Known());
      QVERIFY(!source->Captured.empty());
    }

    // A restart: a new document read from the file and a new window, no video open.
    {
      TLibrary library(config);
      TMainDlg window(nullptr, ProgramDir);
      GoToSourceOf(window, 0);
      QVERIFY(window.FrameBar->FileOpened());
      QCOMPARE(window.FrameBar->FileName, video);
      QCOMPARE(window.FrameBar->FrameNumber(), std::int64_t(17));
      QVERIFY(test::SamePixels(captured, window.FrameBar->FrameDIB(), "frame after Go to Source"));
    }

    // The video moved: the message offers Find, the dialog finds it, and
    // the library remembers the new place.
    const QString moved = Dir_.filePath(QStringLiteral("moved trip.vob"));
    QVERIFY(QFile::rename(video, moved));
    {
      TLibrary library(config);
      TMainDlg window(nullptr, ProgramDir);
      QString said;
      test::WhenModal<QMessageBox>([&said, moved](QMessageBox* box) {
        said = box->text();
        for (QAbstractButton* button : box->buttons())
          if (button->text().contains(QStringLiteral("Find"))) {
            test::WhenModal<QFileDialog>([moved](QFileDialog* dialog) {
              dialog->selectFile(moved);
              static_cast<QDialog*>(dialog)->accept();
            });
            button->click();
          }
      });
      GoToSourceOf(window, 0);
      QVERIFY2(said.contains(video) && said.contains(QStringLiteral("moved")), qPrintable(said));
      QCOMPARE(window.FrameBar->FileName, moved);
      QCOMPARE(window.FrameBar->FrameNumber(), std::int64_t(17));
      QVERIFY(test::SamePixels(captured, window.FrameBar->FrameDIB(), "frame of the moved video"));
      QCOMPARE(QString::fromStdString(library.Films.ImageSource(0, 0, 0)->Video), moved);
      RemoveStoredFiles(library.Films);
    }
    QCOMPARE(test::UnansweredModals(), 0);
  }

  void aDvdCaptureRecordsItsTitleAndChapterAndGoesBackToItsFrame() {
    const std::string folder = Dir_.filePath(QStringLiteral("MY_DISC")).toStdString();
    const QString image = Dir_.filePath(QStringLiteral("my-disc.iso"));
    test::DvdTitleSource first, second;
    first.video.frames = 25;
    second.video.frames = 75;
    second.chapters = "0,1";
    test::AuthorDvd(Dir_.filePath(QStringLiteral("sources")).toStdString(), folder, {first, second});
    test::MakeDiscImage(folder, image.toStdString(), "MY_DISC");
    const fs::path config = fs::path(Dir_.filePath(QStringLiteral("dvd-config")).toStdString());

    TFastDIB captured;
    std::int64_t frame = -1;
    {
      TLibrary library(config);
      TMainDlg window(nullptr, ProgramDir);
      test::WhenModal<TDvdTitleDlg>([](TDvdTitleDlg* dialog) {
        dialog->Titles()->setCurrentItem(dialog->Titles()->topLevelItem(1));
        QTest::keyClick(dialog->Titles(), Qt::Key_Return);
      });
      window.OpenVideo(image);
      QVERIFY(window.DvdTitle() != nullptr);
      QVERIFY(window.FrameBar->FrameNavigation());
      for (int i = 0; i < 40; ++i) window.FrameBar->StepForward();
      frame = window.FrameBar->FrameNumber();
      QCOMPARE(frame, std::int64_t(40));
      window.ShowVideoStatus();
      captured = Copy(window.FrameBar->FrameDIB());
      SaveFrame(window, QStringLiteral("Boat"));
      const std::optional<TCaptureSource> source = library.Films.ImageSource(0, 0, 0);
      QVERIFY(source.has_value());
      QVERIFY(source->IsDvd());
      QCOMPARE(source->DvdVolume, std::string("MY_DISC"));
      QCOMPARE(QString::fromStdString(source->DvdLocation), image);
      QCOMPARE(source->Title, 2);
      QCOMPARE(source->Chapter, 2);
      QCOMPARE(source->Frame, frame);
      QVERIFY(source->Video.empty());
    }
    {
      TLibrary library(config);
      TMainDlg window(nullptr, ProgramDir);
      GoToSourceOf(window, 0);
      QVERIFY(window.DvdTitle() != nullptr);
      QCOMPARE(window.DvdTitle()->Number, 2);
      QCOMPARE(window.FrameBar->FrameNumber(), frame);
      QVERIFY(test::SamePixels(captured, window.FrameBar->FrameDIB(), "DVD frame after Go to Source"));
    }
    // The disc image moved: found through the DVD dialog by its volume name.
    const QString moved = Dir_.filePath(QStringLiteral("discs/my-disc.iso"));
    QVERIFY(QDir().mkpath(Dir_.filePath(QStringLiteral("discs"))));
    QVERIFY(QFile::rename(image, moved));
    {
      TLibrary library(config);
      TMainDlg window(nullptr, ProgramDir);
      QString said;
      test::WhenModal<QMessageBox>([&said, moved](QMessageBox* box) {
        said = box->text();
        for (QAbstractButton* button : box->buttons())
          if (button->text().contains(QStringLiteral("Find"))) {
            test::WhenModal<TDvdFileDialog>([moved](TDvdFileDialog* dialog) {
              dialog->selectFile(moved);
              dialog->accept();
            });
            button->click();
          }
      });
      GoToSourceOf(window, 0);
      QVERIFY2(said.contains(QStringLiteral("MY_DISC")), qPrintable(said));
      QCOMPARE(window.FrameBar->FrameNumber(), frame);
      QVERIFY(test::SamePixels(captured, window.FrameBar->FrameDIB(), "DVD frame of the moved disc"));
      QCOMPARE(QString::fromStdString(library.Films.ImageSource(0, 0, 0)->DvdLocation), moved);
      RemoveStoredFiles(library.Films);
    }
    QCOMPARE(test::UnansweredModals(), 0);
  }

  // An image saved before sources were kept cannot go anywhere: the item rests.
  void anImageWithoutASourceLeavesTheItemResting() {
    const fs::path config = fs::path(Dir_.filePath(QStringLiteral("old-config")).toStdString());
    TLibrary library(config);
    library.Films.AddImage(0, 0, {u"Old", u"gone.bmp", u"gone_thumbnail.bmp", u""});
    TMainDlg window(nullptr, ProgramDir);
    window.imageTree->setCurrentItem(Node(window, {0, 0, 0}));
    emit window.pmImage->aboutToShow();
    QVERIFY(!window.pmiGoToSource->isEnabled());
    QVERIFY(test::NoModalDuring([&] { window.RunCommand(window.Commands.GoToSource); }));
    QVERIFY(!window.FrameBar->FileOpened());
  }
};

}  // namespace kelta

QTEST_MAIN(kelta::MainDlgSourceTest)
#include "MainDlgSourceTest.moc"
