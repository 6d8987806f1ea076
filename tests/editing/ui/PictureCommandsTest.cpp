// The picture commands over a small library: captions, the viewer stepping
// through a film, missing pictures, and a crop saved back into the store.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "editing/EditingFixtures.h"
#include "editing/ui/ImageCropDlg.h"
#include "editing/ui/ImageResizeDlg.h"
#include "editing/ui/ImageViewDlg.h"
#include "editing/ui/ViewDlg.h"
#include "library/FilmManager.h"
#include "library/ui/LibraryHost.h"
#include "library/ui/ImageLibraryManager.h"
#include "output/ui/PrintPreviewDlg.h"
#include "support/ui/FakeLibraryHost.h"
#include "support/ui/LibraryTestBase.h"
#include "video/ui/VideoOutPanel.h"

using namespace kelta;
using kelta::test::TFakeLibraryHost;
using kelta::test::TLibraryTestBase;
using kelta::testing::FillPattern;
using kelta::testing::PatternPixel;
using kelta::testing::PixelXY;
using kelta::testing::SamePixels;
namespace fs = std::filesystem;

namespace {

// Runs `act` on the next modal window once it shows, then closes it.
template <typename Window>
void WhenShown(std::function<void(Window*)> act, bool* seen) {
  QTimer::singleShot(0, [act, seen] {
    auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
    if (!window) return;
    *seen = true;
    act(window);
    if (window->isVisible()) window->reject();
  });
}

}  // namespace

class PictureCommandsTest : public TLibraryTestBase {
  Q_OBJECT

  QTreeWidgetItem* Film() { return Tree->topLevelItem(0)->child(0)->child(0); }

  void WritePicture(const char* name, int w, int h) {
    TFastDIB picture;
    FillPattern(picture, w, h);
    QVERIFY(picture.SaveToFile((DataFolder / name).string()));
  }

 private slots:
  void init() {
    QVERIFY(SetUpLibrary());
    fs::create_directories(DataFolder);
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer 2005", 0});
    Films->AddImage(0, 0, {u"Beach", u"Kq3xZb7T_81234567.bmp", u"Kq3xZb7T_81234567_thumbnail.bmp", u"sunny"});
    Films->AddImage(0, 0, {u"Dunes", u"Dn4_12.bmp", u"Dn4_12_thumbnail.bmp", u""});
    Films->AddImage(0, 0, {u"Gone", u"Gn5_3.bmp", u"Gn5_3_thumbnail.bmp", u""});
    WritePicture("Kq3xZb7T_81234567.bmp", 120, 90);
    WritePicture("Kq3xZb7T_81234567_thumbnail.bmp", 40, 30);
    WritePicture("Dn4_12.bmp", 64, 48);
    OpenLibrary(*Host, &Host->MainWindow);
  }

  void cleanup() { TearDownLibrary(); }

  void libraryPathText() {
    QCOMPARE(TImageLibraryManager::LibraryPathText(Film()->child(0)),
             QString("~/library/Holidays/Summer 2005/Kq3xZb7T_81234567.bmp"));
  }

  void viewer_stepsThroughTheFilmAndStopsAtTheEnds() {
    Tree->setCurrentItem(Film()->child(0));
    Host->IsPlaying = true;
    bool seen = false;
    QStringList statuses, captions;
    WhenShown<TimageViewDlg>(
        [&](TimageViewDlg* viewer) {
          auto note = [&] {
            statuses << viewer->lbStatus()->text();
            captions << viewer->windowTitle();
          };
          note();
          viewer->tbiPreClick();  // first picture: nothing before it
          note();
          viewer->tbiNextClick();
          note();
          viewer->tbiNextClick();  // its file is missing: stays on Dunes
          note();
        },
        &seen);
    Manager->ViewImage();
    QVERIFY(seen);
    QCOMPARE(statuses, (QStringList{"1/3 - [120x90] - Beach", "1/3 - [120x90] - Beach", "2/3 - [64x48] - Dunes",
                                    "2/3 - [64x48] - Dunes"}));
    QCOMPARE(captions.first(), QString("View Image - ~/library/Holidays/Summer 2005/Kq3xZb7T_81234567.bmp"));
    QCOMPARE(captions.last(), QString("View Image - ~/library/Holidays/Summer 2005/Dn4_12.bmp"));
    QCOMPARE(Host->Pauses, 1);
    QCOMPARE(Host->Plays, 1);
  }

  void missingPicture_viewShowsNothingAndStaysPaused_cropRunsOn() {
    Tree->setCurrentItem(Film()->child(2));
    Host->IsPlaying = true;
    bool seen = false;
    WhenShown<QDialog>([](QDialog*) {}, &seen);
    Manager->ViewImage();
    QVERIFY(!seen);
    QVERIFY(!Host->IsPlaying);
    Host->IsPlaying = true;
    Manager->CropImage();
    QVERIFY(!seen);
    QVERIFY(Host->IsPlaying);
    QCoreApplication::processEvents();
  }

  void cropSaved_replacesPictureButNotThumbnail() {
    Tree->setCurrentItem(Film()->child(0));
    bool seen = false;
    QString caption, status;
    WhenShown<TimageCropDlg>(
        [&](TimageCropDlg* crop) {
          caption = crop->windowTitle();
          status = crop->lbStatus()->text();
          TImageControl* control = crop->Control();
          control->OnMouseDown(Qt::LeftButton, {}, 10, 20);
          control->OnMouseMove({}, 60, 50);
          control->OnMouseUp(Qt::LeftButton, {}, 60, 50);
          crop->tbiCropClick();
          crop->tbiSaveClick();
        },
        &seen);
    Manager->CropImage();
    QVERIFY(seen);
    QCOMPARE(caption, QString("Crop Image - ~/library/Holidays/Summer 2005/Kq3xZb7T_81234567.bmp"));
    QCOMPARE(status, QString("[120x90] - Beach"));
    TFastDIB saved, thumbnail;
    QVERIFY(saved.LoadFromFile((DataFolder / "Kq3xZb7T_81234567.bmp").string()));
    QCOMPARE(saved.Width(), 50);
    QCOMPARE(saved.RowCount(), 30);
    QVERIFY(PixelXY(saved, 0, 0) == PatternPixel(10, 20));
    QVERIFY(thumbnail.LoadFromFile((DataFolder / "Kq3xZb7T_81234567_thumbnail.bmp").string()));
    QCOMPARE(thumbnail.Width(), 40);
    QVERIFY(!fs::exists(DataFolder / "Kq3xZb7T_81234567.bmp.saving"));
  }

  void resizeClosedWithoutSaving_leavesPicture() {
    Tree->setCurrentItem(Film()->child(1));
    bool seen = false;
    QString edits;
    WhenShown<TimageResizeDlg>(
        [&](TimageResizeDlg* resize) {
          edits = resize->WidthEdit()->text() + "x" + resize->HeightEdit()->text();
          resize->WidthEdit()->setText("32");
          resize->tbiResizeClick();
          resize->ImageChanged = false;  // as if confirmed
        },
        &seen);
    Manager->ResizeImage();
    QVERIFY(seen);
    QCOMPARE(edits, QString("64x48"));
    TFastDIB kept;
    QVERIFY(kept.LoadFromFile((DataFolder / "Dn4_12.bmp").string()));
    QCOMPARE(kept.Width(), 64);
  }

  void frameWindows_haveSaveDisabledAndFrameSizes() {
    FillPattern(Host->Frame, 720, 576);
    bool seen = false;
    bool saveEnabled = true;
    WhenShown<TimageCropDlg>([&](TimageCropDlg* crop) { saveEnabled = crop->tbiSave()->isEnabled(); }, &seen);
    Manager->CropFrame();
    QVERIFY(seen);
    QVERIFY(!saveEnabled);
    seen = false;
    QString status;
    WhenShown<TimageResizeDlg>(
        [&](TimageResizeDlg* resize) {
          saveEnabled = resize->tbiSave()->isEnabled();
          status = resize->lbStatus()->text();
        },
        &seen);
    Manager->ResizeFrame();
    QVERIFY(seen);
    QVERIFY(!saveEnabled);
    QCOMPARE(status, QString("Original: [720x576] - Resize: [720x576]"));
    seen = false;
    QSize panel, client;
    WhenShown<TViewDlg>(
        [&](TViewDlg* view) {
          panel = view->Panel()->size();
          client = view->size();
        },
        &seen);
    Manager->ViewFrame();
    QVERIFY(seen);
    QCOMPARE(panel, QSize(731, 416));
    QCOMPARE(client, QSize(751, 436));
  }

  void print_captionAndRecord() {
    Tree->setCurrentItem(Film()->child(0));
    bool seen = false;
    QString caption;
    QRect image;
    WhenShown<TprintDlg>(
        [&](TprintDlg* print) {
          caption = print->windowTitle();
          image = print->PageGeometry().Image;
        },
        &seen);
    Manager->PrintImage(&Host->MainWindow);
    QVERIFY(seen);
    QCOMPARE(caption, QString("Print Preview - ~/library/Holidays/Summer 2005/Kq3xZb7T_81234567.bmp"));
    QCOMPARE(image.size(), QSize(624, 468));
  }
};

QTEST_MAIN(PictureCommandsTest)
#include "PictureCommandsTest.moc"
