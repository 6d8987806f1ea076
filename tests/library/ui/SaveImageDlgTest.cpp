// The save image dialog: neutral start, live preview of the adjustments,
// Reset, the name check and the choices handed back on Ok.

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "app/ui/Theme.h"
#include "imaging/BlackBars.h"
#include "support/LetterboxedFrame.h"
#include "support/SamePixels.h"
#include "support/ui/ModalAnswer.h"
#include "library/ui/SaveImageDlg.h"
#include "common/ui/VideoOutPanel.h"

using namespace kelta;
using namespace kelta::test;

namespace {

void FillPreview(TSaveImageDlg& dialog) {
  dialog.Preview.SetSize(TSaveImageDlg::PreviewWidth, TSaveImageDlg::PreviewHeight, 24);
  for (int y = 0; y < dialog.Preview.Height(); ++y)
    for (int x = 0; x < dialog.Preview.Width(); ++x) {
      std::uint8_t* p = dialog.Preview.PixelPtr(x, y);
      p[0] = std::uint8_t(x);
      p[1] = std::uint8_t(255 - y);
      p[2] = std::uint8_t(60 + (x * y) % 120);
    }
  dialog.AdjustedPreview.SetSize(dialog.Preview.Width(), dialog.Preview.Height(), 24);
  std::copy_n(dialog.Preview.Bits(), dialog.Preview.ImageSize(), dialog.AdjustedPreview.Bits());
}

// A 720 x 576 frame without a black pixel.
TFastDIB ColourfulFrame() {
  TFastDIB frame;
  frame.SetSize(720, 576, 24);
  for (int y = 0; y < 576; ++y)
    for (int x = 0; x < 720; ++x) {
      std::uint8_t* p = frame.PixelPtr(x, y);
      p[0] = std::uint8_t(40 + x % 160);
      p[1] = std::uint8_t(20 + y % 200);
      p[2] = std::uint8_t(230 - (x + y) % 150);
    }
  return frame;
}

// Where a buffer holds anything but black.
TRect PictureArea(const TFastDIB& dib) {
  TRect area{dib.Width(), dib.RowCount(), -1, -1};
  for (int y = 0; y < dib.RowCount(); ++y)
    for (int x = 0; x < dib.Width(); ++x) {
      const std::uint8_t* p = dib.PixelPtr(x, y);
      if (p[0] || p[1] || p[2]) {
        area = {std::min(area.Left, x), std::min(area.Top, y), std::max(area.Right, x + 1),
                std::max(area.Bottom, y + 1)};
      }
    }
  return area;
}

// The caption of the aspect choice that is checked.
QString CheckedChoice(const TSaveImageDlg& d) {
  for (const QRadioButton* button : d.AspectButtons())
    if (button->isChecked()) return button->text();
  return {};
}

QStringList ValueLabels(const TSaveImageDlg& d) {
  return {d.lbLightness->text(), d.lbContrast->text(), d.lbSaturation->text(),
          d.lbRed->text(),       d.lbGreen->text(),    d.lbBlue->text()};
}

}  // namespace

class SaveImageDlgTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { UnansweredModals() = 0; }
  void cleanup() { QCOMPARE(UnansweredModals(), 0); }

  void opensNeutralWithSquarePixelsChosen() {
    TSaveImageDlg d;
    QCOMPARE(d.windowTitle(), QString("Save to Image Library"));
    QCOMPARE(d.size(), QSize(774, 661));
    QCOMPARE(ValueLabels(d), QStringList({"0", "0", "255", "0", "0", "0"}));
    QCOMPARE(d.tbLightness->minimum(), -255);
    QCOMPARE(d.tbLightness->maximum(), 255);
    QCOMPARE(d.tbContrast->minimum(), -128);
    QCOMPARE(d.tbContrast->maximum(), 128);
    QCOMPARE(d.tbSaturation->minimum(), 0);
    QCOMPARE(d.tbSaturation->maximum(), 510);
    QCOMPARE(d.tbSaturation->value(), 255);
    QVERIFY(d.rbSquare()->isChecked());
    QVERIFY(!d.GroupBox5->isEnabled());
    QCOMPARE(d.GroupBox2->title(), QString("Lightness && Contrast"));
    QCOMPARE(d.PreviewPanel->geometry(), QRect((774 - 367) / 2, (226 - 206) / 2, 367, 206));
    QCOMPARE(d.PreviewPanel->Image, &d.AdjustedPreview);
  }

  void saturationZeroChangesThePreviewAndResetBringsItBack() {
    TSaveImageDlg d;
    FillPreview(d);
    d.tbSaturation->setValue(0);
    QCOMPARE(d.lbSaturation->text(), QString("0"));
    QVERIFY(!PixelsEqual(d.AdjustedPreview, d.Preview));
    const std::uint8_t* p = d.AdjustedPreview.PixelPtr(100, 50);
    QVERIFY(p[0] == p[1] && p[1] == p[2]);
    // The preview's source is never touched.
    QCOMPARE(d.Preview.PixelPtr(100, 50)[0], std::uint8_t(100));

    d.tbRed->setValue(-40);
    d.tbContrast->setValue(30);
    QCOMPARE(ValueLabels(d), QStringList({"0", "30", "0", "-40", "0", "0"}));
    d.btReset->click();
    QCOMPARE(ValueLabels(d), QStringList({"0", "0", "255", "0", "0", "0"}));
    QVERIFY(SamePixels(d.Preview, d.AdjustedPreview, "neutral preview"));
    QCOMPARE(d.Options.Saturation, 255);
    QCOMPARE(d.Options.Red, 0);
    QCOMPARE(d.Options.Contrast, 0);
  }

  void enterWithoutANameAsksForOne() {
    TSaveImageDlg d;
    TBoxSeen seen;
    bool stillOpen = false;
    WhenModal<TSaveImageDlg>([&](TSaveImageDlg* dlg) {
      AnswerBox(seen, QMessageBox::Ok);
      QTest::keyClick(dlg->etName, Qt::Key_Return);
      stillOpen = dlg->isVisible();
      QTest::keyClick(dlg, Qt::Key_Escape);
    });
    d.exec();
    QCOMPARE(seen.Text, QString("Please input a valid image name!"));
    QCOMPARE(seen.Title, QString("Information"));
    QCOMPARE(seen.Icon, QMessageBox::Information);
    QVERIFY(stillOpen);
    QVERIFY(!d.Accepted);
  }

  void okHandsBackEveryChoice_data() {
    QTest::addColumn<int>("aspect");
    QTest::newRow("original") << 0;
    QTest::newRow("4:3") << 1;
    QTest::newRow("16:9") << 2;
    QTest::newRow("1.85:1") << 3;
    QTest::newRow("square pixels") << 4;
    QTest::newRow("square pixels, ITU") << 5;
  }
  void okHandsBackEveryChoice() {
    QFETCH(int, aspect);
    TSaveImageDlg d;
    FillPreview(d);
    WhenModal<TSaveImageDlg>([&](TSaveImageDlg* dlg) {
      dlg->AspectButtons()[std::size_t(aspect)]->setChecked(true);
      dlg->tbLightness->setValue(-12);
      dlg->tbContrast->setValue(7);
      dlg->tbSaturation->setValue(300);
      dlg->tbRed->setValue(1);
      dlg->tbGreen->setValue(-2);
      dlg->tbBlue->setValue(3);
      dlg->moMemo->setPlainText("memo");
      QTest::keyClicks(dlg->etName, " Beach ");
      QTest::keyClick(dlg->etName, Qt::Key_Return);
    });
    d.exec();
    QVERIFY(d.Accepted);
    QCOMPARE(int(d.Options.AspectRatio), aspect);
    QCOMPARE(d.Options.Lightness, -12);
    QCOMPARE(d.Options.Contrast, 7);
    QCOMPARE(d.Options.Saturation, 300);
    QCOMPARE(d.Options.Red, 1);
    QCOMPARE(d.Options.Green, -2);
    QCOMPARE(d.Options.Blue, 3);
    QCOMPARE(d.Options.Name, std::u16string(u"Beach"));
    QCOMPARE(d.Options.Memo, std::u16string(u"memo"));
  }

  // Untouched, Ok keeps every line of the frame in the shape it is shown at,
  // whatever the shape, and a missing or garbled preference file is no
  // preference.
  void preselectsSquarePixelsUntilAnotherChoiceIsPicked_data() {
    QTest::addColumn<int>("aspectWidth");
    QTest::addColumn<int>("aspectHeight");
    QTest::addColumn<QByteArray>("file");  // the preference file's text; "-" none
    QTest::newRow("unknown shape") << 0 << 0 << QByteArray("-");
    QTest::newRow("4:3 stream") << 4 << 3 << QByteArray("-");
    QTest::newRow("16:9 stream") << 16 << 9 << QByteArray("-");
    QTest::newRow("square pixels already") << 5 << 4 << QByteArray("-");
    QTest::newRow("2.21:1 stream") << 221 << 100 << QByteArray("-");
    QTest::newRow("16:9, garbled file") << 16 << 9 << QByteArray("\xff\xfe" "16:9 or so\n");
  }
  void preselectsSquarePixelsUntilAnotherChoiceIsPicked() {
    QFETCH(int, aspectWidth);
    QFETCH(int, aspectHeight);
    QFETCH(QByteArray, file);
    QTemporaryDir dir;
    TSaveImageDlg d;
    d.AspectFile = dir.filePath("save-aspect").toStdString();
    if (file != "-") {
      QFile out(dir.filePath("save-aspect"));
      QVERIFY(out.open(QIODevice::WriteOnly));
      out.write(file);
    }
    d.SetPicture(ColourfulFrame(), TDisplayAspect{aspectWidth, aspectHeight});
    QVERIFY(d.rbSquare()->isChecked());
    QCOMPARE(d.rbSquare()->text(), QString("Square pixels"));
    WhenModal<TSaveImageDlg>([](TSaveImageDlg* dlg) {
      dlg->etName->setText("Beach");
      dlg->btOk->click();
    });
    d.exec();
    QVERIFY(d.Accepted);
    QCOMPARE(int(d.Options.AspectRatio), int(TAspectRatio::SquarePixels));
    // Nothing picked, nothing remembered: the file stays as it was.
    QCOMPARE(QFile::exists(dir.filePath("save-aspect")), file != "-");
  }

  // Another choice picked and saved is the next dialog's preselection; a
  // 4:3 or 16:9 picked for a video of that shape stands for the shape, so a
  // video of the other shape gets its own. Cancel remembers nothing.
  void remembersTheChoicePickedWithOk_data() {
    QTest::addColumn<int>("picked");  // on a 16:9 video, as the radio buttons
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("next4x3");  // preselected next for a 4:3 video
    QTest::addColumn<int>("next16x9");
    QTest::newRow("original") << 0 << true << 0 << 0;
    QTest::newRow("16:9 of a 16:9 video") << 2 << true << 1 << 2;
    QTest::newRow("4:3 of a 16:9 video") << 1 << true << 1 << 1;
    QTest::newRow("1.85:1") << 3 << true << 3 << 3;
    QTest::newRow("back to square pixels") << 4 << true << 4 << 4;
    QTest::newRow("square pixels, ITU") << 5 << true << 5 << 5;
    QTest::newRow("cancelled") << 0 << false << 4 << 4;
  }
  void remembersTheChoicePickedWithOk() {
    QFETCH(int, picked);
    QFETCH(bool, ok);
    QFETCH(int, next4x3);
    QFETCH(int, next16x9);
    QTemporaryDir dir;
    const std::filesystem::path file = dir.filePath("save-aspect").toStdString();
    if (picked == 4) SaveAspectPreference(file, TAspectPreference::AsCaptured);
    {
      TSaveImageDlg d;
      d.AspectFile = file;
      d.SetPicture(ColourfulFrame(), TDisplayAspect{16, 9});
      WhenModal<TSaveImageDlg>([picked, ok](TSaveImageDlg* dlg) {
        dlg->AspectButtons()[std::size_t(picked)]->setChecked(true);
        dlg->etName->setText("Beach");
        (ok ? dlg->btOk : dlg->btCancel)->click();
      });
      d.exec();
      QCOMPARE(d.Accepted, ok);
    }
    const std::pair<TDisplayAspect, int> next[] = {{{4, 3}, next4x3}, {{16, 9}, next16x9}};
    for (const auto& [aspect, expected] : next) {
      TSaveImageDlg d;
      d.AspectFile = file;
      d.SetPicture(ColourfulFrame(), aspect);
      QVERIFY2(d.AspectButtons()[std::size_t(expected)]->isChecked(), qPrintable(CheckedChoice(d)));
    }
  }

  // The preview shows the picture each choice stores, in its shape, between
  // black bars that the adjustments leave black. The frame is of a 16:9 video.
  void previewShowsTheStoredPictureInItsShape_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<QRect>("area");  // left, top, width, height in the 356 x 195 preview
    QTest::newRow("original 720 x 576") << 0 << QRect(56, 0, 244, 195);
    QTest::newRow("4:3 720 x 540") << 1 << QRect(48, 0, 260, 195);
    QTest::newRow("16:9 720 x 405") << 2 << QRect(4, 0, 347, 195);
    QTest::newRow("1.85:1 720 x 389") << 3 << QRect(0, 1, 356, 192);
    QTest::newRow("square pixels 1024 x 576") << 4 << QRect(4, 0, 347, 195);
    QTest::newRow("ITU shape 1048 x 576") << 5 << QRect(0, 0, 355, 195);
  }
  void previewShowsTheStoredPictureInItsShape() {
    QFETCH(int, choice);
    QFETCH(QRect, area);
    TSaveImageDlg d;
    d.SetPicture(ColourfulFrame(), TDisplayAspect{16, 9});
    const auto buttons = d.AspectButtons();
    // From another choice first: the preview follows every change.
    buttons[choice == 0 ? 1 : 0]->setChecked(true);
    buttons[std::size_t(choice)]->setChecked(true);
    QCOMPARE(d.Preview.Width(), TSaveImageDlg::PreviewWidth);
    QCOMPARE(d.Preview.RowCount(), TSaveImageDlg::PreviewHeight);
    const TRect expected{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
    QCOMPARE(PictureArea(d.Preview), expected);
    d.tbLightness->setValue(120);
    QCOMPARE(PictureArea(d.AdjustedPreview), expected);
    QVERIFY(!PixelsEqual(d.AdjustedPreview, d.Preview));
  }

  // Crop black bars looks for the bars once, when first checked, previews
  // what remains in its true shape and hands the part kept back on Ok; a
  // frame without bars says so on the box. The frame is of a 16:9 video,
  // saved at square pixels.
  void cropBlackBarsPreviewsAndKeepsWhatRemains_data() {
    QTest::addColumn<QRect>("picture");  // where the film lies in the 720 x 576 frame
    QTest::addColumn<QRect>("kept");     // handed back on Ok; empty: the whole frame
    QTest::addColumn<QRect>("area");     // where the stored picture lies in the 356 x 195 preview
    // 1024 x 432 and 768 x 576 at square pixels.
    QTest::newRow("letterbox") << QRect(0, 72, 720, 432) << QRect(0, 72, 720, 432) << QRect(0, 22, 356, 150);
    QTest::newRow("pillarbox") << QRect(90, 0, 540, 576) << QRect(90, 0, 540, 576) << QRect(48, 0, 260, 195);
    QTest::newRow("no bars") << QRect(0, 0, 720, 576) << QRect() << QRect(4, 0, 347, 195);
  }
  void cropBlackBarsPreviewsAndKeepsWhatRemains() {
    QFETCH(QRect, picture);
    QFETCH(QRect, kept);
    QFETCH(QRect, area);
    const TRect film{picture.left(), picture.top(), picture.left() + picture.width(), picture.top() + picture.height()};
    const TFastDIB frame = LetterboxedFrame(film, 5);
    TSaveImageDlg d;
    d.SetPicture(frame, TDisplayAspect{16, 9});
    int asked = 0;
    d.FindPictureArea = [&] {
      ++asked;
      const TFastDIB* frames[] = {&d.Picture};
      return AreaInsideBlackBars(frames);
    };
    QVERIFY(!d.ckCropBars->isChecked());
    QCOMPARE(asked, 0);
    d.ckCropBars->setChecked(true);
    d.ckCropBars->setChecked(false);
    d.ckCropBars->setChecked(true);
    QCOMPARE(asked, 1);
    const bool found = !kept.isEmpty();
    QCOMPARE(d.ckCropBars->isChecked(), found);
    QCOMPARE(d.ckCropBars->isEnabled(), found);
    QCOMPARE(d.ckCropBars->text(), found ? QString("Crop black bars") : QString("Crop black bars (none found)"));
    const TRect expected{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
    QCOMPARE(PictureArea(d.Preview), expected);
    WhenModal<TSaveImageDlg>([](TSaveImageDlg* dlg) {
      dlg->etName->setText("Wide");
      dlg->btOk->click();
    });
    d.exec();
    const TRect expectedKept =
        found ? TRect{kept.left(), kept.top(), kept.left() + kept.width(), kept.top() + kept.height()} : TRect{};
    QCOMPARE(d.Options.Kept, expectedKept);
    QCOMPARE(int(d.Options.AspectRatio), int(TAspectRatio::SquarePixels));
  }

  // A save that fails shows why and keeps the dialog open with the name, the
  // memo, the aspect and the adjustments, so that Ok tries again; each try
  // stores the frame as captured, whatever the failed one did to its copy.
  void aFailedSaveKeepsTheDialogForAnotherTry() {
    TSaveImageDlg d;
    d.SetPicture(ColourfulFrame(), TDisplayAspect{16, 9});
    std::vector<int> firstBlue;
    TImageSaveOptions stored;
    d.StorePicture = [&](TFastDIB& picture, const TImageSaveOptions& options) {
      firstBlue.push_back(picture.PixelPtr(0, 0)[0]);
      picture.Fill(TBGRColor{0, 0, 0});
      if (firstBlue.size() == 1) throw std::runtime_error("Cannot write the image file \"x.bmp\": No space left on device");
      stored = options;
    };
    TBoxSeen seen;
    bool openAfterTheError = false;
    QStringList kept;
    WhenModal<TSaveImageDlg>([&](TSaveImageDlg* dlg) {
      dlg->etName->setText("Beach");
      dlg->moMemo->setPlainText("memo");
      dlg->rb1851->setChecked(true);
      dlg->tbLightness->setValue(-12);
      AnswerBox(seen, QMessageBox::Ok);
      dlg->btOk->click();
      openAfterTheError = dlg->isVisible();
      kept << dlg->etName->text() << dlg->moMemo->toPlainText() << CheckedChoice(*dlg)
           << QString::number(dlg->tbLightness->value());
      dlg->btOk->click();
    });
    d.exec();
    QVERIFY(seen.Shown);
    QCOMPARE(seen.Title, QString("Kelta"));
    QCOMPARE(seen.Icon, QMessageBox::Critical);
    QVERIFY2(seen.Text.contains("No space left on device"), qPrintable(seen.Text));
    QVERIFY(openAfterTheError);
    QCOMPARE(kept, QStringList({"Beach", "memo", "1.85:1", "-12"}));
    QCOMPARE(firstBlue, (std::vector<int>{40, 40}));
    QVERIFY(d.Accepted);
    QCOMPARE(stored.Name, std::u16string(u"Beach"));
    QCOMPARE(stored.Memo, std::u16string(u"memo"));
    QCOMPARE(int(stored.AspectRatio), int(TAspectRatio::Ratio185));
    QCOMPARE(stored.Lightness, -12);
  }

  // After a refused name the name edit has the focus again; Return on a
  // slider presses Ok, as it does in the name edit.
  void keysAfterARefusalAndOnASlider() {
    TSaveImageDlg d;
    TBoxSeen seen;
    QWidget* focusAfterRefusal = nullptr;
    int accepted = -1;
    WhenModal<TSaveImageDlg>([&](TSaveImageDlg* dlg) {
      dlg->moMemo->setFocus();
      AnswerBox(seen, QMessageBox::Ok);
      dlg->btOk->click();
      focusAfterRefusal = dlg->focusWidget();
      dlg->etName->setText("Beach");
      dlg->tbContrast->setFocus();
      QTest::keyClick(dlg->tbContrast, Qt::Key_Return);
      accepted = dlg->Accepted;
      if (dlg->isVisible()) dlg->reject();
    });
    d.exec();
    QVERIFY(seen.Shown);
    QCOMPARE(focusAfterRefusal, static_cast<QWidget*>(d.etName));
    QCOMPARE(accepted, 1);
    QVERIFY(d.Accepted);
  }

  // Under the program's look a slider with the keyboard focus is drawn
  // otherwise than without it.
  void aSliderShowsTheKeyboardFocus() {
    const QString sheet = qApp->styleSheet();
    const QFont font = qApp->font();
    ApplyTheme(*qApp);
    QImage focused, unfocused;
    {
      TSaveImageDlg d;
      d.show();
      d.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&d));
      d.tbRed->setFocus();
      QTRY_VERIFY(d.tbRed->hasFocus());
      focused = d.tbRed->grab().toImage();
      d.tbGreen->setFocus();
      QTRY_VERIFY(!d.tbRed->hasFocus());
      unfocused = d.tbRed->grab().toImage();
    }
    qApp->setStyleSheet(sheet);
    qApp->setFont(font);
    QCOMPARE(focused.size(), unfocused.size());
    QVERIFY(focused != unfocused);
  }

  // Under the program's look every aspect caption is shown whole, the
  // longest one too.
  void theAspectCaptionsFitTheirButtons() {
    const QString sheet = qApp->styleSheet();
    const QFont font = qApp->font();
    ApplyTheme(*qApp);
    QStringList cut;
    {
      TSaveImageDlg d;
      d.show();
      for (const QRadioButton* button : d.AspectButtons())
        if (button->sizeHint().width() > button->width() ||
            button->geometry().right() >= d.GroupBox1->contentsRect().right())
          cut << button->text();
      QCOMPARE(d.rbSquareItu()->text(), QString("Square pixels (ITU, 704 active)"));
    }
    qApp->setStyleSheet(sheet);
    qApp->setFont(font);
    QCOMPARE(cut, QStringList());
  }

  void escapeClosesWithoutAccepting() {
    TSaveImageDlg d;
    WhenModal<TSaveImageDlg>([](TSaveImageDlg* dlg) {
      dlg->etName->setText("Beach");
      QTest::keyClick(dlg->moMemo, Qt::Key_Escape);
    });
    QCOMPARE(d.exec(), int(QDialog::Rejected));
    QVERIFY(!d.Accepted);
  }
};

QTEST_MAIN(SaveImageDlgTest)
#include "SaveImageDlgTest.moc"
