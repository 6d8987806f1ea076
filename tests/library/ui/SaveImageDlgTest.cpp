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

bool SameBits(const TFastDIB& a, const TFastDIB& b) {
  return a.ImageSize() == b.ImageSize() && std::equal(a.Bits(), a.Bits() + a.ImageSize(), b.Bits());
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
    QVERIFY(!SameBits(d.AdjustedPreview, d.Preview));
    const std::uint8_t* p = d.AdjustedPreview.PixelPtr(100, 50);
    QVERIFY(p[0] == p[1] && p[1] == p[2]);
    // The preview's source is never touched.
    QCOMPARE(d.Preview.PixelPtr(100, 50)[0], std::uint8_t(100));

    d.tbRed->setValue(-40);
    d.tbContrast->setValue(30);
    QCOMPARE(ValueLabels(d), QStringList({"0", "30", "0", "-40", "0", "0"}));
    d.btReset->click();
    QCOMPARE(ValueLabels(d), QStringList({"0", "0", "255", "0", "0", "0"}));
    QVERIFY(SameBits(d.AdjustedPreview, d.Preview));
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
  }
  void okHandsBackEveryChoice() {
    QFETCH(int, aspect);
    TSaveImageDlg d;
    FillPreview(d);
    WhenModal<TSaveImageDlg>([&](TSaveImageDlg* dlg) {
      QRadioButton* buttons[] = {dlg->rbOriginal, dlg->rb43, dlg->rb169, dlg->rb1851};
      buttons[aspect]->setChecked(true);
      dlg->tbLightness->setValue(-12);
      dlg->tbContrast->setValue(7);
      dlg->tbSaturation->setValue(300);
      dlg->tbRed->setValue(1);
      dlg->tbGreen->setValue(-2);
      dlg->tbBlue->setValue(3);
      dlg->moMemo->setPlainText("memo");
      QTest::keyClicks(dlg->etName, " ");
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
    QCOMPARE(d.Options.Name, std::u16string(u" "));
    QCOMPARE(d.Options.Memo, std::u16string(u"memo"));
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
