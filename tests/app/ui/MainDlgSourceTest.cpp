// Every still knows where it came from: captures from a file and from a DVD
// title record their source, Go to Source opens it again on the same frame
// after a restart (by frame number and by pixels), and a moved file or disc
// is found again through the dialog and remembered.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include <cstring>
#include <filesystem>

#include "app/ui/MainDlg.h"
#include "imaging/FastDIB.h"
#include "library/ui/LibraryTreeFilter.h"
#include "library/FilmManager.h"
#include "editing/ui/ImageCropDlg.h"
#include "editing/ui/ImageViewDlg.h"
#include "library/LibraryPaths.h"
#include "library/LibraryStoreChanges.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryDocument.h"
#include "library/ui/NameTemplateDlg.h"
#include "output/FileNameTemplate.h"
#include "output/ui/ExportForm.h"
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
      // The search finds the image by where it came from: its video's file
      // and its timecode are in neither its name, its memo nor its film's.
      QTreeWidgetItem* image = Node(window, {0, 0, 0});
      auto* search = window.etSearch->findChild<TLibraryTreeFilter*>();
      QVERIFY(search);
      for (const char* words : {"vob", "00:00:00:17", "pier 00:00:00.680"}) {
        window.etSearch->setText(QString::fromLatin1(words));
        QCOMPARE(search->FirstHit(), image);
      }
      window.etSearch->setText(QStringLiteral("lagoon"));
      QCOMPARE(search->FirstHit(), static_cast<QTreeWidgetItem*>(nullptr));
      window.etSearch->clear();
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

  // Where a person looks: the tree's tip, the thumbnail box's tip and the
  // picture windows' status lines say where the image came from, and the
  // windows offer Go to Source, which closes them and goes there.
  void theTipsAndThePictureWindowsShowTheSource() {
    const fs::path config = fs::path(Dir_.filePath(QStringLiteral("tip-config")).toStdString());
    TLibrary library(config);
    TCaptureSource source;
    source.Video = Dir_.filePath(QStringLiteral("gone/trip.vob")).toStdString();
    source.Frame = 17;
    source.TimeMs = 680;
    source.FrameRate = 25;
    TFastDIB picture;
    picture.SetSize(64, 48, 24);
    std::memset(picture.Bits(), 0x80, picture.ImageSize());
    StorePicture(library.Films, DataFolderPath(), picture, 0, 0, {u"Pier", u"", u"", u""}, source);
    StorePicture(library.Films, DataFolderPath(), picture, 0, 0, {u"Old", u"", u"", u""});
    const QString sourceLine = QStringLiteral("Source: ") + QString::fromStdString(source.Video);
    const QString timeLine = QStringLiteral("Timecode: 00:00:00.680 (SMPTE 00:00:00:17), frame 18");
    const QString brief = QString::fromStdString(source.Video) + QStringLiteral(" \u00B7 00:00:00:17");

    TMainDlg window(nullptr, ProgramDir);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.imageTree->expandAll();
    const auto tipAt = [&window](QTreeWidgetItem* item) {
      QToolTip::hideText();
      if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000)) return QStringLiteral("(a tip stayed)");
      const QPoint at = window.imageTree->visualItemRect(item).center();
      QHelpEvent help(QEvent::ToolTip, at, window.imageTree->viewport()->mapToGlobal(at));
      QApplication::sendEvent(window.imageTree->viewport(), &help);
      return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tipAt(Node(window, {0, 0, 0})), sourceLine + '\n' + timeLine);
    QCOMPARE(tipAt(Node(window, {0, 0, 1})), QString());
    QToolTip::hideText();

    window.imageTree->setCurrentItem(Node(window, {0, 0, 0}));
    QCOMPARE(window.imgThumb->toolTip(), sourceLine + '\n' + timeLine);
    window.imageTree->setCurrentItem(Node(window, {0, 0, 1}));
    QCOMPARE(window.imgThumb->toolTip(), QString());

    // The crop window: the source in its status line, and Go to Source.
    window.imageTree->setCurrentItem(Node(window, {0, 0, 0}));
    QString cropStatus;
    bool offered = false;
    test::WhenModal<TimageCropDlg>([&](TimageCropDlg* crop) {
      cropStatus = crop->lbStatus()->text();
      offered = crop->tbiGoToSource()->isVisible();
      crop->close();
    });
    window.RunCommand(window.Commands.CropImage);
    QVERIFY2(cropStatus.endsWith(QStringLiteral(" - ") + brief), qPrintable(cropStatus));
    QVERIFY(offered);

    // The viewer: its status line, and Go to Source, which closes it and
    // goes to the video; here the video is gone, which is said.
    QString viewStatus, said;
    test::WhenModal<TimageViewDlg>([&](TimageViewDlg* viewer) {
      viewStatus = viewer->lbStatus()->text();
      test::WhenModal<QMessageBox>([&said](QMessageBox* box) {
        said = box->text();
        box->button(QMessageBox::Cancel)->click();
      });
      viewer->tbiGoToSource()->trigger();
    });
    window.RunCommand(window.Commands.ViewImage);
    QVERIFY2(viewStatus.endsWith(QStringLiteral("Pier - ") + brief), qPrintable(viewStatus));
    QVERIFY2(said.contains(QString::fromStdString(source.Video)), qPrintable(said));
    QVERIFY(!window.FrameBar->FileOpened());

    // An image without a source offers nothing to go to.
    window.imageTree->setCurrentItem(Node(window, {0, 0, 1}));
    bool oldOffered = true;
    test::WhenModal<TimageViewDlg>([&](TimageViewDlg* viewer) {
      oldOffered = viewer->tbiGoToSource()->isVisible();
      viewStatus = viewer->lbStatus()->text();
      viewer->close();
    });
    window.RunCommand(window.Commands.ViewImage);
    QVERIFY(!oldOffered);
    QVERIFY2(viewStatus.endsWith(QStringLiteral("- Old")), qPrintable(viewStatus));
    RemoveStoredFiles(library.Films);
    QCOMPARE(test::UnansweredModals(), 0);
  }

  // Save As and the frame export name their files from the source by the
  // template, which Tools > File Names changes (and {name} takes back to the
  // names of before); the exported file carries the source inside.
  void exportedFilesAreNamedAndDescribedByTheirSource() {
    const QString video = Dir_.filePath(QStringLiteral("trip.mpg"));
    test::Mpeg2StreamOptions options;
    options.frames = 30;
    test::WriteMpeg2ProgramStream(video.toStdString(), options);
    const fs::path config = fs::path(Dir_.filePath(QStringLiteral("names-config")).toStdString());
    const fs::path templateFile = ProgramFolder() / NameTemplateFileName;
    fs::remove(templateFile);
    TLibrary library(config);
    TMainDlg window(nullptr, ProgramDir);
    window.OpenVideo(video);
    for (int i = 0; i < 17; ++i) window.FrameBar->StepForward();
    SaveFrame(window, QStringLiteral("Pier"));
    window.imageTree->setCurrentItem(Node(window, {0, 0, 0}));

    const auto saveAsName = [&window](const QString& folder) {
      QString suggested;
      test::WhenModal<QFileDialog>([&suggested, folder](QFileDialog* dialog) {
        suggested = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
        if (folder.isEmpty()) {
          dialog->reject();
          return;
        }
        dialog->setDirectory(folder);
        dialog->selectFile(suggested);
        static_cast<QDialog*>(dialog)->accept();
      });
      window.Commands.ExportImage(2);  // PNG
      return suggested;
    };
    const auto frameExportName = [&window] {
      QString suggested;
      test::WhenModal<TExportDlg>([&suggested](TExportDlg* dialog) {
        suggested = dialog->etPdf->text();
        dialog->reject();
      });
      window.RunCommand(window.Commands.ExportFrame);
      return suggested;
    };

    const QString named = saveAsName(Dir_.path());
    QCOMPARE(named, QStringLiteral("Trip - 00.00.00.680 - frame 18.png"));
    QCOMPARE(frameExportName(), QStringLiteral("trip - 00.00.00.680 - frame 18.pdf"));
    QProcess exiftool;
    exiftool.start(QStringLiteral("exiftool"), {QStringLiteral("-s3"), QStringLiteral("-XMP-kelta:Frame"),
                                                QStringLiteral("-XMP-kelta:Video"), Dir_.filePath(named)});
    QVERIFY(exiftool.waitForFinished(20000));
    QCOMPARE(QString::fromUtf8(exiftool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
             QStringList({QStringLiteral("18"), video}));

    test::WhenModal<TNameTemplateDlg>([](TNameTemplateDlg* dialog) {
      dialog->cbTemplate->setEditText(QString::fromUtf8(PlainNameTemplate.data(), qsizetype(PlainNameTemplate.size())));
      dialog->btOk->click();
    });
    window.findChild<QAction*>(QStringLiteral("tbiFileNames"))->trigger();
    QCOMPARE(saveAsName(QString()), QStringLiteral("Pier.png"));
    QCOMPARE(frameExportName(), QString::number(window.FrameBar->Position()) + QStringLiteral(".pdf"));
    fs::remove(templateFile);
    RemoveStoredFiles(library.Films);
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
