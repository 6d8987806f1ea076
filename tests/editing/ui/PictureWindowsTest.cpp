#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMap>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <vector>

#include "editing/EditingFixtures.h"
#include "editing/ui/ImageControl.h"
#include "editing/ui/ImageCropDlg.h"
#include "imaging/PixelScale.h"
#include "editing/ui/ImageResizeDlg.h"
#include "editing/ui/ImageViewDlg.h"
#include "editing/ui/ViewDlg.h"
#include "imaging/ui/DibImage.h"
#include "output/ui/PrintPreviewDlg.h"
#include "common/ui/Cursors.h"
#include "common/ui/VideoOutPanel.h"
#include "support/ui/Accelerators.h"
#include "support/ui/ModalAnswer.h"

using namespace kelta;
using kelta::test::ExpectDistinctAccelerators;
using kelta::testing::FillPattern;
using kelta::testing::PatternPixel;
using kelta::testing::PixelXY;
using kelta::testing::SamePixels;

namespace {

// Answers the next modal message box with the given button; remembers its text.
struct MessageAnswer {
  QString Text;
  bool Asked = false;
  void Arm(QMessageBox::StandardButton answer) {
    QTimer::singleShot(0, [this, answer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      Asked = true;
      Text = box->text() + "|" + box->windowTitle();
      box->button(answer)->click();
    });
  }
};

// Answers the next question before a window closes by the button of that
// caption (none: Escape), after `meanwhile`; remembers its text, title and
// buttons (captions without their accelerator marks, sorted).
struct CloseQuestion {
  bool Asked = false;
  QString Text;
  QStringList Buttons;
  void Answer(const QString& caption, std::function<void()> meanwhile = {}) {
    test::WhenModal<QMessageBox>([this, caption, meanwhile](QMessageBox* box) {
      Asked = true;
      Text = box->text() + "|" + box->windowTitle();
      Buttons.clear();
      QAbstractButton* chosen = nullptr;
      for (QAbstractButton* button : box->buttons()) {
        const QString shown = button->text().remove('&');
        Buttons << shown;
        if (shown == caption) chosen = button;
      }
      Buttons.sort();
      if (meanwhile) meanwhile();
      if (chosen)
        chosen->click();
      else
        QTest::keyClick(box, Qt::Key_Escape);
    });
  }
};

void LoadPattern(TImageControl* control, int w, int h) {
  FillPattern(control->WorkImage(), w, h);
  QVERIFY(control->ImageLoaded());
}

QImage ClipboardImage() { return QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB888); }

void Drag(QWidget* w, QPoint from, QPoint to) {
  QTest::mousePress(w, Qt::LeftButton, {}, from);
  QTest::mouseMove(w, to);
  QTest::mouseRelease(w, Qt::LeftButton, {}, to);
}

}  // namespace

class PictureWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void box_centresSmallAndScrollsLarge_data();
  void box_centresSmallAndScrollsLarge();
  void box_emptyPictureChangesNothing();
  void box_loadsBmpFileAndReverts();
  void cursors_haveTheirHotSpots();
  void crop_mouseSelectsAndCropCutsWithStatus();
  void crop_withoutSelectionLeavesStatus();
  void crop_closeAsksToSaveChanges();
  void resize_frameCloseOffersDiscardOnly();
  void crop_saveAndExportAndFrameMode();
  void resize_constrainAndStatus();
  void resize_halfEvenAndSameSize();
  void viewer_statusAndSteppingKeys();
  void frameView_sizes();
  void accelerators_uniqueInEveryWindow();
  void altE_opensTheExportMenu();
  void copy_putsThePictureShownOnTheClipboard();
  void crop_showsTheSelectionWhileDragging();
  void crop_handlesContrastWithThePicture();
  void crop_outlineIsWholeScreenPixelsAtEveryScale();
  void resize_refusesSizesThatCannotBeMade_data();
  void resize_refusesSizesThatCannotBeMade();
  void save_failureIsReportedAndKeepsTheWindow();
};

void PictureWindowsTest::box_centresSmallAndScrollsLarge_data() {
  QTest::addColumn<int>("w");
  QTest::addColumn<int>("h");
  QTest::addColumn<bool>("centredX");
  QTest::addColumn<bool>("hBar");
  QTest::newRow("smaller") << 200 << 100 << true << false;
  QTest::newRow("exactly as wide") << 400 << 100 << false << false;
  QTest::newRow("larger") << 900 << 700 << false << true;
}

void PictureWindowsTest::box_centresSmallAndScrollsLarge() {
  QFETCH(int, w);
  QFETCH(int, h);
  QFETCH(bool, centredX);
  QFETCH(bool, hBar);
  TImageControlBox box;
  box.resize(400, 300);
  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  TImageControl* control = box.Control();
  TImageDrawTool tool(control);
  LoadPattern(control, w, h);
  QCoreApplication::processEvents();
  QCOMPARE(control->size(), QSize(w, h));
  const int client = box.viewport()->width();
  QCOMPARE(control->x(), centredX ? (client - w) / 2 : 0);
  QCOMPARE(box.horizontalScrollBar()->isVisible(), hBar);
  if (h < box.viewport()->height()) QCOMPARE(control->y(), (box.viewport()->height() - h) / 2);
  // Growing past the area and shrinking back re-centres.
  control->SetBounds(1000, 800);
  QCoreApplication::processEvents();
  QCOMPARE(control->pos(), QPoint(0, 0));
  QVERIFY(box.horizontalScrollBar()->isVisible());
  control->SetBounds(100, 50);
  QCoreApplication::processEvents();
  QCOMPARE(control->x(), (box.viewport()->width() - 100) / 2);
  QVERIFY(!box.horizontalScrollBar()->isVisible());
}

void PictureWindowsTest::box_emptyPictureChangesNothing() {
  TImageControlBox box;
  TImageControl* control = box.Control();
  LoadPattern(control, 30, 20);
  int loaded = 0;
  control->OnImageLoaded = [&] { ++loaded; };
  control->WorkImage().SetSize(0, 10, 24);
  QVERIFY(!control->ImageLoaded());
  QCOMPARE(loaded, 0);
  QCOMPARE(control->size(), QSize(30, 20));
  QCOMPARE(control->LoadedImage().Width(), 30);
}

void PictureWindowsTest::box_loadsBmpFileAndReverts() {
  QTemporaryDir dir;
  TFastDIB picture;
  FillPattern(picture, 64, 40);
  const std::string file = dir.filePath("p.bmp").toStdString();
  QVERIFY(picture.SaveToFile(file));
  TImageControlBox box;
  TImageControl* control = box.Control();
  int loaded = 0;
  control->OnImageLoaded = [&] { ++loaded; };
  QVERIFY(control->LoadFromFile(file));
  QCOMPARE(loaded, 1);
  QCOMPARE(control->FileName(), file);
  QCOMPARE(control->size(), QSize(64, 40));
  control->WorkImage().SetSize(10, 10, 24);
  control->RevertToLoaded();
  QVERIFY(SamePixels(control->WorkImage(), picture));
  // A missing file keeps what is shown.
  QVERIFY(!control->LoadFromFile(dir.filePath("missing.bmp").toStdString()));
  QCOMPARE(loaded, 1);
  QCOMPARE(control->WorkImage().Width(), 64);
}

void PictureWindowsTest::cursors_haveTheirHotSpots() {
  QCOMPARE(KeltaCursor(253).hotSpot(), QPoint(15, 16));
  QCOMPARE(KeltaCursor(254).hotSpot(), QPoint(8, 8));
  QCOMPARE(KeltaCursor(256).hotSpot(), QPoint(2, 2));
  QCOMPARE(KeltaCursor(251).pixmap().size(), QSize(32, 32));
  QVERIFY(!KeltaCursor(252).pixmap().toImage().isNull());
}

void PictureWindowsTest::crop_mouseSelectsAndCropCutsWithStatus() {
  TimageCropDlg dlg;
  dlg.ImageName = "Scene";
  LoadPattern(dlg.Control(), 720, 576);
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  TImageControl* control = dlg.Control();
  // The right button is ignored; the left one draws up-left.
  Drag(control, {100, 100}, {400, 300});
  QTest::mousePress(control, Qt::RightButton, {}, {10, 10});
  QTest::mouseRelease(control, Qt::RightButton, {}, {10, 10});
  QCOMPARE(dlg.Tool()->Editor().CropRect(), (TRect{100, 100, 400, 300}));
  // Hovering over the inside shows the move cursor.
  QTest::mouseMove(control, {200, 200});
  QCOMPARE(control->cursor().hotSpot(), KeltaCursor(251).hotSpot());
  dlg.tbiCropClick();
  QVERIFY(dlg.ImageChanged);
  QCOMPARE(dlg.lbStatus()->text(), QString("[300x200] - Scene"));
  QCOMPARE(control->size(), QSize(300, 200));
  QVERIFY(PixelXY(control->WorkImage(), 0, 0) == PatternPixel(100, 100));
  // The control is centred in the box again.
  QCOMPARE(control->x(), (dlg.Box()->viewport()->width() - 300) / 2);
  dlg.tbiResetClick();
  QVERIFY(!dlg.ImageChanged);
  QCOMPARE(dlg.lbStatus()->text(), QString("[720x576] - Scene"));
  MessageAnswer answer;
  answer.Arm(QMessageBox::Yes);
  dlg.close();
  QVERIFY(!answer.Asked);
  QVERIFY(!dlg.isVisible());
}

void PictureWindowsTest::crop_withoutSelectionLeavesStatus() {
  TimageCropDlg dlg;
  LoadPattern(dlg.Control(), 100, 80);
  dlg.lbStatus()->setText("before");
  dlg.tbiCropClick();
  QCOMPARE(dlg.lbStatus()->text(), QString("before"));
  QVERIFY(!dlg.ImageChanged);
}

// Closing a changed picture asks whether to save it: Cancel (or Escape)
// keeps the window, Save writes the picture and closes, or keeps the window
// when the write fails, and Discard closes without writing.
void PictureWindowsTest::crop_closeAsksToSaveChanges() {
  TimageCropDlg dlg;
  dlg.ImageName = "Beach";
  LoadPattern(dlg.Control(), 200, 150);
  int writes = 0;
  bool writable = false;
  dlg.SavePicture = [&](const TFastDIB& picture) {
    ++writes;
    QCOMPARE(picture.Width(), 50);
    if (!writable) throw std::runtime_error("Cannot write the image file \"b.bmp\": No space left on device");
  };
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  Drag(dlg.Control(), {10, 10}, {60, 50});
  dlg.tbiCropClick();

  CloseQuestion cancel;
  cancel.Answer("Cancel");
  dlg.close();
  QCOMPARE(cancel.Text, QString("Save changes to Beach before closing?|Kelta"));
  QCOMPARE(cancel.Buttons, QStringList({"Cancel", "Discard", "Save"}));
  CloseQuestion escape;
  escape.Answer({});
  QTest::keyClick(&dlg, Qt::Key_Escape);
  QVERIFY(escape.Asked);
  QVERIFY(dlg.isVisible());
  QCOMPARE(writes, 0);

  CloseQuestion save;
  test::TBoxSeen error;
  save.Answer("Save", [&error] { test::AnswerBox(error); });
  dlg.close();
  QCOMPARE(writes, 1);
  QVERIFY2(error.Text.contains("No space left on device"), qPrintable(error.Text));
  QVERIFY(dlg.isVisible());
  QVERIFY(dlg.ImageChanged);
  QCOMPARE(dlg.Control()->WorkImage().Width(), 50);
  writable = true;
  save.Answer("Save");
  dlg.close();
  QCOMPARE(writes, 2);
  QVERIFY(!dlg.isVisible());
  QVERIFY(dlg.SaveRequested);

  TimageCropDlg other;
  LoadPattern(other.Control(), 200, 150);
  other.SavePicture = dlg.SavePicture;
  other.show();
  QVERIFY(QTest::qWaitForWindowExposed(&other));
  Drag(other.Control(), {10, 10}, {60, 50});
  other.tbiCropClick();
  CloseQuestion discard;
  discard.Answer("Discard");
  other.close();
  QCOMPARE(discard.Text, QString("Save changes to this picture before closing?|Kelta"));
  QVERIFY(!other.isVisible());
  QVERIFY(!other.SaveRequested);
  QCOMPARE(writes, 2);
}

// A video frame cannot be saved: closing it changed offers Discard and Cancel.
void PictureWindowsTest::resize_frameCloseOffersDiscardOnly() {
  TimageResizeDlg dlg;
  LoadPattern(dlg.Control(), 64, 48);
  dlg.DisableSaving();
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  dlg.SetEdits(32, 24);
  dlg.tbiResizeClick();
  QVERIFY(dlg.ImageChanged);
  CloseQuestion cancel;
  cancel.Answer("Cancel");
  dlg.close();
  QCOMPARE(cancel.Text, QString("Discard the changes to this picture?|Kelta"));
  QCOMPARE(cancel.Buttons, QStringList({"Cancel", "Discard"}));
  QVERIFY(dlg.isVisible());
  CloseQuestion discard;
  discard.Answer("Discard");
  dlg.close();
  QVERIFY(!dlg.isVisible());
  QVERIFY(!dlg.SaveRequested);
}

void PictureWindowsTest::crop_saveAndExportAndFrameMode() {
  {
    TimageCropDlg dlg;
    LoadPattern(dlg.Control(), 200, 150);
    dlg.show();
    dlg.tbiSaveClick();  // nothing changed: closes without asking or saving
    QVERIFY(!dlg.isVisible());
    QVERIFY(!dlg.SaveRequested);
  }
  TimageCropDlg dlg;
  LoadPattern(dlg.Control(), 200, 150);
  std::vector<int> tags;
  dlg.ExportImageAs = [&](int tag, QWidget* owner, const TFastDIB& picture) {
    QCOMPARE(owner, static_cast<QWidget*>(&dlg));
    QCOMPARE(&picture, &dlg.Control()->WorkImage());
    tags.push_back(tag);
  };
  for (const char* name : {"tbiBmp", "tbiJpeg", "tbiPng", "tbiGif", "tbiPdf"})
    dlg.findChild<QAction*>(name)->trigger();
  QCOMPARE(tags, (std::vector<int>{0, 1, 2, 3, 4}));
  dlg.show();
  Drag(dlg.Control(), {10, 10}, {60, 50});
  dlg.tbiCropClick();
  dlg.tbiSaveClick();
  QVERIFY(dlg.SaveRequested);
  QVERIFY(!dlg.ImageChanged);
  QVERIFY(!dlg.isVisible());
  DisableSaveItem(dlg.ToolBar(), dlg.tbiSave());
  QVERIFY(!dlg.tbiSave()->isEnabled());
}

void PictureWindowsTest::resize_constrainAndStatus() {
  TimageResizeDlg dlg;
  LoadPattern(dlg.Control(), 720, 576);
  dlg.SetEdits(720, 576);
  dlg.UpdateStatus(720, 576);
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  QVERIFY(dlg.ckbConstrain()->isChecked());
  dlg.WidthEdit()->clear();
  QTest::keyClicks(dlg.WidthEdit(), "360");
  QCOMPARE(dlg.HeightEdit()->text(), QString("288"));
  QTest::keyClicks(dlg.WidthEdit(), "123456");  // five digits at most
  QCOMPARE(dlg.WidthEdit()->text(), QString("36012"));
  dlg.WidthEdit()->setText("360");
  dlg.tbiResizeClick();
  QCOMPARE(dlg.Control()->size(), QSize(360, 288));
  QVERIFY(dlg.ImageChanged);
  QCOMPARE(dlg.lbStatus()->text(), QString("Original: [720x576] - Resize: [360x288]"));
  // Unconstrained, the height edit is taken as typed.
  dlg.ckbConstrain()->setChecked(false);
  dlg.HeightEdit()->setText("100");
  dlg.tbiResizeClick();
  QCOMPARE(dlg.Control()->WorkImage().RowCount(), 100);
  // Checking again keeps the proportions of the picture the window opened
  // with, not of the 360 x 100 one shown now.
  dlg.WidthEdit()->setText("180");
  dlg.ckbConstrain()->setChecked(true);
  QCOMPARE(dlg.HeightEdit()->text(), QString("144"));
  // Typing the height drives the width.
  dlg.HeightEdit()->clear();
  QTest::keyClicks(dlg.HeightEdit(), "25");
  QCOMPARE(dlg.WidthEdit()->text(), QString("31"));  // 31.25
  // Made 1 x 1, the picture has no proportions left; the opened one has.
  dlg.WidthEdit()->clear();
  QTest::keyClicks(dlg.WidthEdit(), "1");
  QCOMPARE(dlg.HeightEdit()->text(), QString("1"));  // 0.8
  dlg.tbiResizeClick();
  QCOMPARE(dlg.Control()->size(), QSize(1, 1));
  dlg.WidthEdit()->clear();
  QTest::keyClicks(dlg.WidthEdit(), "360");
  QCOMPARE(dlg.HeightEdit()->text(), QString("288"));
  dlg.tbiResizeClick();
  QCOMPARE(dlg.Control()->size(), QSize(360, 288));
  QCOMPARE(dlg.lbStatus()->text(), QString("Original: [720x576] - Resize: [360x288]"));
  dlg.tbiResetClick();
  QCOMPARE(dlg.WidthEdit()->text(), QString("720"));
  QCOMPARE(dlg.HeightEdit()->text(), QString("576"));
  QVERIFY(SamePixels(dlg.Control()->WorkImage(), dlg.Control()->LoadedImage()));
  QVERIFY(!dlg.ImageChanged);
}

void PictureWindowsTest::resize_halfEvenAndSameSize() {
  struct Case {
    int w, h, typed;
    QString expected;
  };
  for (const Case& c : {Case{720, 405, 100, "56"}, Case{200, 3, 100, "2"}, Case{200, 5, 100, "2"},
                        Case{200, 7, 100, "4"}}) {
    TimageResizeDlg dlg;
    LoadPattern(dlg.Control(), c.w, c.h);
    dlg.WidthEdit()->setText(QString::number(c.typed));
    dlg.ckbConstrain()->setChecked(false);
    dlg.ckbConstrain()->setChecked(true);
    QCOMPARE(dlg.HeightEdit()->text(), c.expected);
  }
  TimageResizeDlg dlg;
  LoadPattern(dlg.Control(), 64, 48);
  dlg.SetEdits(64, 48);
  dlg.tbiResizeClick();
  QVERIFY(!dlg.ImageChanged);
  QCOMPARE(dlg.lbStatus()->text(), QString());
}

void PictureWindowsTest::viewer_statusAndSteppingKeys() {
  TimageViewDlg dlg;
  LoadPattern(dlg.Control(), 720, 576);
  dlg.ViewRecord.Index = 3;
  dlg.ViewRecord.Count = 7;
  dlg.ViewRecord.Name = "Scene";
  dlg.UpdateStatus();
  QCOMPARE(dlg.lbStatus()->text(), QString("3/7 - [720x576] - Scene"));
  int previous = 0, next = 0;
  dlg.ShowPreviousImage = [&] { ++previous; };
  dlg.ShowNextImage = [&] { ++next; };
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  QTest::keyClick(&dlg, Qt::Key_A);
  QTest::keyClick(&dlg, Qt::Key_A, Qt::ShiftModifier);
  QTest::keyClick(&dlg, Qt::Key_Left);
  QTest::keyClick(&dlg, Qt::Key_Left, Qt::KeypadModifier);
  QCOMPARE(previous, 3);
  QTest::keyClick(&dlg, Qt::Key_D);
  QTest::keyClick(&dlg, Qt::Key_D, Qt::ShiftModifier);
  QTest::keyClick(&dlg, Qt::Key_Right);
  QTest::keyClick(&dlg, Qt::Key_Right, Qt::KeypadModifier);
  QTest::keyClick(&dlg, Qt::Key_6, Qt::KeypadModifier);
  dlg.findChild<QAction*>("tbiNext")->trigger();
  QCOMPARE(next, 4);
  QTest::keyClick(&dlg, Qt::Key_Escape);
  QVERIFY(!dlg.isVisible());
}

void PictureWindowsTest::frameView_sizes() {
  TViewDlg dlg;
  TFastDIB frame;
  FillPattern(frame, 720, 576);
  dlg.SetVideoFrame(frame);
  QCOMPARE(dlg.Frame.Width(), 720);
  QCOMPARE(dlg.Frame.RowCount(), 405);
  QCOMPARE(dlg.Panel()->size(), QSize(731, 416));
  QCOMPARE(dlg.Panel()->pos(), QPoint(10, 10));
  QCOMPARE(dlg.size(), QSize(751, 436));
  QCOMPARE(dlg.Panel()->Image, &dlg.Frame);
  int exported = -1;
  dlg.ExportImageAs = [&](int tag, QWidget*, const TFastDIB& picture) {
    QCOMPARE(&picture, &dlg.Frame);
    exported = tag;
  };
  dlg.findChild<QAction*>("pmiGif")->trigger();
  QCOMPARE(exported, 3);
  dlg.show();
  QTest::mouseDClick(dlg.Panel(), Qt::LeftButton, {}, {50, 50});
  QVERIFY(!dlg.isVisible());
}

void PictureWindowsTest::accelerators_uniqueInEveryWindow() {
  TimageCropDlg crop;
  TimageResizeDlg resize;
  TimageViewDlg viewer;
  TViewDlg frame;
  TprintDlg print;
  for (QWidget* window : std::initializer_list<QWidget*>{&crop, &resize, &viewer, &frame, &print})
    ExpectDistinctAccelerators(window);
}

void PictureWindowsTest::altE_opensTheExportMenu() {
  TimageCropDlg crop;
  TimageResizeDlg resize;
  TimageViewDlg viewer;
  for (QDialog* window : std::initializer_list<QDialog*>{&crop, &resize, &viewer}) {
    LoadPattern(window->findChild<TImageControlBox*>()->Control(), 40, 30);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QString opened;
    QTimer::singleShot(50, [&opened] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        opened = menu->title();
        menu->close();
      }
    });
    QTest::keyClick(window, Qt::Key_E, Qt::AltModifier);
    QTRY_COMPARE(opened, QString("&Export"));
    window->hide();
  }
}

void PictureWindowsTest::copy_putsThePictureShownOnTheClipboard() {
  // The crop window copies the picture after its crop, by item and by Ctrl+C.
  TimageCropDlg crop;
  LoadPattern(crop.Control(), 90, 70);
  crop.show();
  QVERIFY(QTest::qWaitForWindowActive(&crop));
  Drag(crop.Control(), {10, 20}, {60, 50});
  crop.tbiCropClick();
  QGuiApplication::clipboard()->clear();
  crop.findChild<QAction*>("tbiCopy")->trigger();
  QCOMPARE(ClipboardImage(), DibToImage(crop.Control()->WorkImage()).convertToFormat(QImage::Format_RGB888));
  QCOMPARE(ClipboardImage().size(), QSize(50, 30));
  QCOMPARE(ClipboardImage().pixelColor(0, 0).red(), int(PatternPixel(10, 20).Red));
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(&crop, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(ClipboardImage().size(), QSize(50, 30));
  crop.ImageChanged = false;
  crop.close();

  // The resize window copies the resized picture; the viewer and the frame view what they show.
  TimageResizeDlg resize;
  LoadPattern(resize.Control(), 64, 48);
  resize.SetEdits(32, 24);
  resize.tbiResizeClick();
  resize.findChild<QAction*>("tbiCopy")->trigger();
  QCOMPARE(ClipboardImage(), DibToImage(resize.Control()->WorkImage()).convertToFormat(QImage::Format_RGB888));
  TimageViewDlg viewer;
  LoadPattern(viewer.Control(), 33, 17);
  viewer.findChild<QAction*>("tbiCopy")->trigger();
  QCOMPARE(ClipboardImage(), DibToImage(viewer.Control()->WorkImage()).convertToFormat(QImage::Format_RGB888));
  TViewDlg frame;
  TFastDIB video;
  FillPattern(video, 64, 48);
  frame.SetVideoFrame(video);
  frame.findChild<QAction*>("miCopy")->trigger();
  QCOMPARE(ClipboardImage(), DibToImage(frame.Frame).convertToFormat(QImage::Format_RGB888));
}

void PictureWindowsTest::crop_showsTheSelectionWhileDragging() {
  TimageCropDlg dlg;
  dlg.ImageName = "Scene";
  LoadPattern(dlg.Control(), 720, 576);
  dlg.UpdateStatus();
  TImageControl* control = dlg.Control();
  control->OnMouseDown(Qt::LeftButton, {}, 400, 300);
  control->OnMouseMove({}, 100, 100);
  // Still dragging, drawn up and left.
  QCOMPARE(dlg.lbStatus()->text(), QString("[720x576] - Scene - Selection: [300x200] at (100, 100)"));
  control->OnMouseUp(Qt::LeftButton, {}, 100, 100);
  // Moving it follows too.
  control->OnMouseDown(Qt::LeftButton, {}, 200, 200);
  control->OnMouseMove({}, 210, 205);
  QCOMPARE(dlg.lbStatus()->text(), QString("[720x576] - Scene - Selection: [300x200] at (110, 105)"));
  control->OnMouseUp(Qt::LeftButton, {}, 210, 205);
  // A click outside drops it, and its part of the line.
  control->OnMouseDown(Qt::LeftButton, {}, 700, 560);
  control->OnMouseUp(Qt::LeftButton, {}, 700, 560);
  QCOMPARE(dlg.lbStatus()->text(), QString("[720x576] - Scene"));
}

void PictureWindowsTest::crop_handlesContrastWithThePicture() {
  for (int grey : {0, 128, 255}) {
    TimageCropDlg dlg;
    TFastDIB& work = dlg.Control()->WorkImage();
    work.SetSize(200, 150, 24);
    std::memset(work.Bits(), grey, work.ImageSize());
    QVERIFY(dlg.Control()->ImageLoaded());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    Drag(dlg.Control(), {50, 40}, {150, 110});
    const QImage shown = dlg.Control()->grab().toImage();
    // The bottom-right handle square (150..158 x 110..118): black rim, white inside.
    QCOMPARE(shown.pixelColor(150, 110), QColor(Qt::black));
    QCOMPARE(shown.pixelColor(154, 114), QColor(Qt::white));
    // The outline shows both black and white along its top edge.
    bool black = false, white = false;
    for (int x = 60; x < 140; ++x) {
      black |= shown.pixelColor(x, 40) == QColor(Qt::black);
      white |= shown.pixelColor(x, 40) == QColor(Qt::white);
    }
    QVERIFY(black && white);
  }
}

void PictureWindowsTest::crop_outlineIsWholeScreenPixelsAtEveryScale() {
  TimageCropDlg dlg;
  TFastDIB& work = dlg.Control()->WorkImage();
  work.SetSize(200, 150, 24);
  std::memset(work.Bits(), 128, work.ImageSize());
  QVERIFY(dlg.Control()->ImageLoaded());
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  Drag(dlg.Control(), {50, 40}, {151, 111});
  const QColor picture(128, 128, 128);
  const TRect outline = dlg.Tool()->Editor().OutlineRect();
  for (double ratio : {1.0, 1.25, 1.5, 2.0}) {
    const TPixelScale scale{ratio};
    QImage shown(scale.At(dlg.Control()->width()), scale.At(dlg.Control()->height()), QImage::Format_RGB32);
    shown.setDevicePixelRatio(ratio);
    {
      QPainter painter(&shown);
      dlg.Tool()->Paint(painter);
    }
    // Across each edge of the outline, in the middle of the edge: how many
    // pixels are not the picture. Every edge is the same whole width.
    const TRect box = scale.Of(outline);
    const int row = (box.Top + box.Bottom) / 2;
    const int column = (box.Left + box.Right) / 2;
    const auto across = [&](int x, int y, int dx, int dy) {
      int run = 0;
      while (shown.pixelColor(x + dx * run, y + dy * run) != picture) ++run;
      return run;
    };
    const int widths[4] = {across(box.Left, row, 1, 0), across(box.Right - 1, row, -1, 0),
                           across(column, box.Top, 0, 1), across(column, box.Bottom - 1, 0, -1)};
    const QString at = QStringLiteral("scale %1: edges %2 %3 %4 %5")
                           .arg(ratio).arg(widths[0]).arg(widths[1]).arg(widths[2]).arg(widths[3]);
    for (int width : widths) QVERIFY2(width == scale.Line(), qPrintable(at));
    QVERIFY2(shown.pixelColor(box.Left - 1, row) == picture, qPrintable(at));
    QVERIFY2(shown.pixelColor(box.Right, row) == picture, qPrintable(at));
    // Every handle: a black rim as wide as the outline around white.
    for (const TRect& handle : dlg.Tool()->Editor().HandleRects()) {
      const TRect square = scale.Of(handle);
      const int middle = (square.Top + square.Bottom) / 2;
      for (int k = 0; k < scale.Line(); ++k) {
        QVERIFY2(shown.pixelColor(square.Left + k, middle) == QColor(Qt::black), qPrintable(at));
        QVERIFY2(shown.pixelColor(square.Right - 1 - k, middle) == QColor(Qt::black), qPrintable(at));
      }
      QVERIFY2(shown.pixelColor(square.Left + scale.Line(), middle) == QColor(Qt::white), qPrintable(at));
      QVERIFY2(shown.pixelColor(square.Right - 1 - scale.Line(), middle) == QColor(Qt::white), qPrintable(at));
    }
  }
}

void PictureWindowsTest::resize_refusesSizesThatCannotBeMade_data() {
  QTest::addColumn<QString>("width");
  QTest::addColumn<QString>("height");
  QTest::addColumn<bool>("constrain");
  QTest::newRow("zero width") << "0" << "100" << false;
  QTest::newRow("empty height") << "100" << "" << false;
  QTest::newRow("too large both ways") << "99999" << "99999" << false;
  QTest::newRow("too many pixels") << "20000" << "20000" << false;
  QTest::newRow("constrained to no rows") << "1" << "" << true;
}

void PictureWindowsTest::resize_refusesSizesThatCannotBeMade() {
  QFETCH(QString, width);
  QFETCH(QString, height);
  QFETCH(bool, constrain);
  TimageResizeDlg dlg;
  LoadPattern(dlg.Control(), 720, 100);
  dlg.SetEdits(720, 100);
  dlg.UpdateStatus(720, 100);
  dlg.ckbConstrain()->setChecked(constrain);
  dlg.WidthEdit()->setText(width);
  dlg.HeightEdit()->setText(height);
  MessageAnswer answer;
  answer.Arm(QMessageBox::Ok);
  dlg.tbiResizeClick();
  QVERIFY(answer.Asked);
  QVERIFY2(answer.Text.contains("cannot be made") && answer.Text.endsWith("|Information"), qPrintable(answer.Text));
  QVERIFY(!dlg.ImageChanged);
  QVERIFY(SamePixels(dlg.Control()->WorkImage(), dlg.Control()->LoadedImage()));
  QCOMPARE(dlg.Control()->size(), QSize(720, 100));
  QCOMPARE(dlg.lbStatus()->text(), QString("Original: [720x100] - Resize: [720x100]"));
}

void PictureWindowsTest::save_failureIsReportedAndKeepsTheWindow() {
  TimageResizeDlg dlg;
  LoadPattern(dlg.Control(), 64, 48);
  int saves = 0;
  dlg.SavePicture = [&](const TFastDIB& picture) {
    ++saves;
    QCOMPARE(picture.Width(), 32);
    throw std::runtime_error("Cannot write the image file \"x.bmp\": No space left on device");
  };
  dlg.show();
  dlg.SetEdits(32, 24);
  dlg.tbiResizeClick();
  MessageAnswer answer;
  answer.Arm(QMessageBox::Ok);
  dlg.tbiSaveClick();
  QCOMPARE(saves, 1);
  QVERIFY(answer.Asked);
  QCOMPARE(answer.Text, QString("Cannot write the image file \"x.bmp\": No space left on device.|Kelta"));
  QVERIFY(dlg.isVisible());
  QVERIFY(dlg.ImageChanged);
  QVERIFY(!dlg.SaveRequested);
  // Written at the second try: the window closes as saved.
  dlg.SavePicture = [&](const TFastDIB&) { ++saves; };
  dlg.tbiSaveClick();
  QCOMPARE(saves, 2);
  QVERIFY(dlg.SaveRequested);
  QVERIFY(!dlg.isVisible());
}

QTEST_MAIN(PictureWindowsTest)
#include "PictureWindowsTest.moc"
