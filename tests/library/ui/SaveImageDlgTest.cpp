// The save image dialog: neutral start, live preview of the adjustments,
// Reset, the name check and the choices handed back on Ok.

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <algorithm>

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

  void opensNeutralWithSixteenNineChosen() {
    TSaveImageDlg d;
    QCOMPARE(d.windowTitle(), QString("Save to Image Library"));
    QCOMPARE(d.size(), QSize(710, 609));
    QCOMPARE(ValueLabels(d), QStringList({"0", "0", "255", "0", "0", "0"}));
    QCOMPARE(d.tbLightness->minimum(), -255);
    QCOMPARE(d.tbLightness->maximum(), 255);
    QCOMPARE(d.tbContrast->minimum(), -128);
    QCOMPARE(d.tbContrast->maximum(), 128);
    QCOMPARE(d.tbSaturation->minimum(), 0);
    QCOMPARE(d.tbSaturation->maximum(), 510);
    QCOMPARE(d.tbSaturation->value(), 255);
    QVERIFY(d.rb169->isChecked());
    QVERIFY(!d.GroupBox5->isEnabled());
    QCOMPARE(d.GroupBox2->title(), QString("Lightness && Contrast"));
    QCOMPARE(d.PreviewPanel->geometry(), QRect((710 - 367) / 2, (226 - 206) / 2, 367, 206));
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
  }
  void okHandsBackEveryChoice() {
    QFETCH(int, aspect);
    TSaveImageDlg d;
    FillPreview(d);
    WhenModal<TSaveImageDlg>([&](TSaveImageDlg* dlg) {
      QRadioButton* buttons[] = {dlg->rbOriginal, dlg->rb43, dlg->rb169, dlg->rb1851, dlg->rbSquare()};
      buttons[aspect]->setChecked(true);
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

  void preselectsTheChoiceThatMatchesTheVideo_data() {
    QTest::addColumn<int>("aspectWidth");
    QTest::addColumn<int>("aspectHeight");
    QTest::addColumn<int>("choice");
    QTest::newRow("unknown: 16:9 as always") << 0 << 0 << 2;
    QTest::newRow("4:3 stream") << 4 << 3 << 1;
    QTest::newRow("16:9 stream") << 16 << 9 << 2;
    QTest::newRow("square pixels already") << 5 << 4 << 0;
    QTest::newRow("2.21:1 stream") << 221 << 100 << 4;
  }
  void preselectsTheChoiceThatMatchesTheVideo() {
    QFETCH(int, aspectWidth);
    QFETCH(int, aspectHeight);
    QFETCH(int, choice);
    TSaveImageDlg d;
    d.SetPicture(ColourfulFrame(), TDisplayAspect{aspectWidth, aspectHeight});
    const QRadioButton* buttons[] = {d.rbOriginal, d.rb43, d.rb169, d.rb1851, d.rbSquare()};
    QVERIFY(buttons[choice]->isChecked());
    QCOMPARE(d.rbSquare()->text(), QString("Square pixels"));
    WhenModal<TSaveImageDlg>([](TSaveImageDlg* dlg) {
      dlg->etName->setText("Beach");
      dlg->btOk->click();
    });
    d.exec();
    QVERIFY(d.Accepted);
    QCOMPARE(int(d.Options.AspectRatio), choice);
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
  }
  void previewShowsTheStoredPictureInItsShape() {
    QFETCH(int, choice);
    QFETCH(QRect, area);
    TSaveImageDlg d;
    d.SetPicture(ColourfulFrame(), TDisplayAspect{16, 9});
    QRadioButton* buttons[] = {d.rbOriginal, d.rb43, d.rb169, d.rb1851, d.rbSquare()};
    // From another choice first: the preview follows every change.
    buttons[choice == 0 ? 1 : 0]->setChecked(true);
    buttons[choice]->setChecked(true);
    QCOMPARE(d.Preview.Width(), TSaveImageDlg::PreviewWidth);
    QCOMPARE(d.Preview.RowCount(), TSaveImageDlg::PreviewHeight);
    const TRect expected{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
    QCOMPARE(PictureArea(d.Preview), expected);
    d.tbLightness->setValue(120);
    QCOMPARE(PictureArea(d.AdjustedPreview), expected);
    QVERIFY(!PixelsEqual(d.AdjustedPreview, d.Preview));
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
