#include <FreeImage.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QtTest>

#include <filesystem>

#include "support/SamePixels.h"
#include "support/ui/ModalAnswer.h"
#include "output/OutputTestSupport.h"
#include "library/ui/SingleImageExport.h"
#include "output/ui/ExportForm.h"
#include "video/ui/VideoOutPanel.h"

namespace fs = std::filesystem;
using namespace kelta;

namespace {

int FileType(const std::string& file) { return FreeImage_GetFileType(file.c_str()); }

unsigned FileBpp(const std::string& file) {
  FIBITMAP* dib = FreeImage_Load(FreeImage_GetFileType(file.c_str()), file.c_str());
  if (!dib) return 0;
  const unsigned bpp = FreeImage_GetBPP(dib);
  FreeImage_Unload(dib);
  return bpp;
}

// Chooses a filter entry and a name in the next save dialog, recording the preselection.
void AnswerSaveDialog(QString* preselected, int entry, const std::string& file) {
  test::WhenModal<QFileDialog>([=](QFileDialog* dialog) {
    if (preselected) *preselected = dialog->selectedNameFilter();
    if (entry > 0) dialog->selectNameFilter(ExportImageFilters().value(entry - 1));
    dialog->selectFile(QString::fromStdString(file));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, by virtual call
  });
}

}  // namespace

class OutputUiTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { test::UnansweredModals() = 0; }
  void cleanup() { QCOMPARE(test::UnansweredModals(), 0); }

  void exportExtensionTable_data() {
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("jpeg keeps another jpeg spelling apart") << 2 << "photo.jpeg" << "photo.jpeg.jpg";
    QTest::newRow("upper-case extension stays") << 2 << "photo.JPG" << "photo.JPG";
    QTest::newRow("pdf typed") << 5 << "shot.pdf" << "shot.pdf";
    QTest::newRow("pdf appended") << 5 << "shot" << "shot.pdf";
    QTest::newRow("bmp after another format") << 1 << "shot.png" << "shot.png.bmp";
    QTest::newRow("gif appended") << 4 << "anim" << "anim.gif";
    QTest::newRow("png typed") << 3 << "a.b.png" << "a.b.png";
    QTest::newRow("dot in the folder only") << 3 << "/tmp/dir.x/pic" << "/tmp/dir.x/pic.png";
  }
  void exportExtensionTable() {
    QFETCH(int, entry);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QCOMPARE(QString::fromStdString(ExportImageFileName(entry, typed.toStdString())), written);
  }

  void exportFiltersInFormatOrder() {
    const QStringList f = ExportImageFilters();
    QCOMPARE(f.size(), 5);
    QVERIFY(f[0].startsWith("BMP (") && f[1].startsWith("JPEG (") && f[2].startsWith("PNG (") &&
            f[3].startsWith("GIF (") && f[4].startsWith("PDF ("));
  }

  void exportImageAsUsesTheEntryFinallyChosen() {
    test::TempDir dir;
    const TFastDIB picture = test::QuadrantPicture(40, 30);
    QWidget owner;
    QString preselected;
    // GIF preselected, switched to BMP, typed with a PNG name: a bitmap under .png.bmp.
    AnswerSaveDialog(&preselected, 1, dir.File("shot.png"));
    ExportImageAs(eifGif, &owner, picture);
    QCOMPARE(preselected, ExportImageFilters()[3]);
    QVERIFY(!fs::exists(dir.File("shot.png")));
    QCOMPARE(FileType(dir.File("shot.png.bmp")), int(FIF_BMP));

    // GIF entry, name typed without extension: an 8-bit palette GIF.
    AnswerSaveDialog(nullptr, 4, dir.File("anim"));
    ExportImageAs(eifGif, &owner, picture);
    QCOMPARE(FileType(dir.File("anim.gif")), int(FIF_GIF));
    QCOMPARE(FileBpp(dir.File("anim.gif")), 8u);

    // PDF entry through the exporter.
    AnswerSaveDialog(&preselected, 0, dir.File("doc"));
    ExportImageAs(eifPdf, &owner, picture);
    QCOMPARE(preselected, ExportImageFilters()[4]);
    QCOMPARE(test::Run("qpdf --check '" + dir.File("doc.pdf") + "'"), 0);

    // JPEG entry, upper-case extension kept.
    AnswerSaveDialog(nullptr, 2, dir.File("photo.JPG"));
    ExportImageAs(eifPng, &owner, picture);
    QCOMPARE(FileType(dir.File("photo.JPG")), int(FIF_JPEG));
    QVERIFY(!fs::exists(dir.File("photo.JPG.jpg")));
  }

  void exportImageAsCancelledWritesNothing() {
    test::TempDir dir;
    const std::string file = dir.File("x.bmp");
    test::WhenModal<QFileDialog>([file](QFileDialog* dialog) {
      dialog->selectFile(QString::fromStdString(file));
      dialog->reject();
    });
    ExportImageAs(eifBmp, nullptr, test::QuadrantPicture(4, 4));
    QVERIFY(fs::is_empty(dir.Path()));
  }

  void exportImageAsReportsPdfErrors() {
    test::TempDir dir;
    test::WriteFile(dir.File("plain"), "x");
    fs::create_directory(dir.File("sub"));
    test::TBoxSeen seen;
    // The dialog sits in a real folder; the name points below a plain file.
    test::WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      dialog->setDirectory(QString::fromStdString(dir.File("sub")));
      dialog->selectFile(QString::fromStdString(dir.File("plain") + "/x"));
      test::AnswerBox(seen);
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, by virtual call
    });
    ExportImageAs(eifPdf, nullptr, test::QuadrantPicture(4, 4));
    QVERIFY(seen.Shown);
    QCOMPARE(seen.Title, QString("Kelta"));
    QCOMPARE(seen.Icon, QMessageBox::Critical);
    QVERIFY2(seen.Text.contains("plain/x.pdf"), qPrintable(seen.Text));
    QVERIFY(!fs::exists(dir.File("plain") + "/x.pdf"));
  }

  void exportDialogSizesAndNames_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("panelHeight");
    QTest::newRow("PAL frame") << 720 << 576 << 471;      // 589 * 576 / 720 = 471.2
    QTest::newRow("exact half to even") << 1178 << 1 << 0;  // 589 / 1178 = 0.5
    QTest::newRow("exact half up to even") << 1178 << 3 << 2;  // 1.5
  }
  void exportDialogSizesAndNames() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, panelHeight);
    test::TempDir dir;
    TExportDlg dlg(dir.Path().string());
    QCOMPARE(dlg.windowTitle(), QString("Export Video Frame"));
    dlg.PrepareForFrame(test::QuadrantPicture(width, height), 1234);
    QCOMPARE(dlg.FPreviewPanel->size(), QSize(589, panelHeight));
    QCOMPARE(dlg.FPreviewPanel->pos(), QPoint(10, 10));
    if (panelHeight > 11) {
      QCOMPARE(dlg.Preview().Width(), 578);
      QCOMPARE(dlg.Preview().RowCount(), panelHeight - 11);
    }
    QCOMPARE(dlg.Panel1->size(), QSize(609, panelHeight + 20));
    QCOMPARE(dlg.size(), QSize(619, panelHeight + 20 + 111 + 10));
    QCOMPARE(dlg.etBmp->text(), QString("1234.bmp"));
    QCOMPARE(dlg.etPdf->text(), QString("1234.pdf"));
    QCOMPARE(dlg.etColorHtml->text(), QString("1234_color.html"));
    QCOMPARE(dlg.etGrayHtml->text(), QString("1234_gray.html"));
    QCOMPARE(dlg.FPreviewPanel->Image, &dlg.Preview());
  }

  void exportDialogBoxesEnableTheirEdits() {
    TExportDlg dlg("/nonexistent");
    dlg.PrepareForFrame(test::QuadrantPicture(8, 8), 0);
    const std::pair<QCheckBox*, QLineEdit*> pairs[] = {
        {dlg.ckbBmp, dlg.etBmp}, {dlg.ckbPdf, dlg.etPdf}, {dlg.ckbColorHtml, dlg.etColorHtml},
        {dlg.ckbGrayHtml, dlg.etGrayHtml}};
    for (auto [box, edit] : pairs) {
      QVERIFY(!box->isChecked());
      QVERIFY(!edit->isEnabled());
      box->click();
      QVERIFY(edit->isEnabled());
      box->click();
      QVERIFY(!edit->isEnabled());
    }
  }

  void exportDialogPutsTheExtensionBack() {
    TExportDlg dlg("/nonexistent");
    dlg.PrepareForFrame(test::QuadrantPicture(8, 8), 0);
    dlg.ckbBmp->setChecked(true);
    dlg.etBmp->setText("123");
    QTest::keyClick(dlg.etBmp, Qt::Key_4);
    QCOMPARE(dlg.etBmp->text(), QString("1234.bmp"));  // the extension came back before the key
    dlg.etBmp->setText("123");
    QTest::keyClick(dlg.etBmp, Qt::Key_Backspace);
    QCOMPARE(dlg.etBmp->text(), QString("12"));  // deleting keys leave the name alone

    dlg.ckbColorHtml->setChecked(true);
    dlg.etColorHtml->setText("12_color.html");
    dlg.etColorHtml->setCursorPosition(2);
    QTest::keyClick(dlg.etColorHtml, Qt::Key_X);
    QCOMPARE(dlg.etColorHtml->text(), QString("12x_color.html"));
    dlg.etColorHtml->setText("12_color");
    QTest::keyClick(dlg.etColorHtml, Qt::Key_End);
    QCOMPARE(dlg.etColorHtml->text(), QString("12_color.html"));

    dlg.ckbPdf->setChecked(true);
    dlg.etPdf->setText("frame.PDF");
    QTest::keyClick(dlg.etPdf, Qt::Key_Right);
    QCOMPARE(dlg.etPdf->text(), QString("frame.PDF"));
  }

  void exportDialogWritesAllFourFiles() {
    test::TempDir dir;
    const TFastDIB frame = test::QuadrantPicture(722, 576);  // 722 / 4 = 180 columns
    TExportDlg dlg(dir.Path().string());
    dlg.PrepareForFrame(frame, 77);
    for (QCheckBox* box : {dlg.ckbBmp, dlg.ckbPdf, dlg.ckbColorHtml, dlg.ckbGrayHtml}) box->setChecked(true);
    dlg.btOkClick();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.ProgressBar1->maximum(), 40);
    QCOMPARE(dlg.ProgressBar1->value(), 40);
    const fs::path out = dir.Path() / "export";

    TFastDIB bmp;
    QVERIFY(bmp.LoadFromFile((out / "77.bmp").string()));
    QCOMPARE(bmp.Width(), 722);
    QVERIFY(test::SamePixels(frame, bmp, "exported-bitmap"));
    QCOMPARE(test::Run("qpdf --check '" + (out / "77.pdf").string() + "'"), 0);

    for (const char* name : {"77_color.html", "77_gray.html"}) {
      const std::string page = test::ReadFile((out / name).string());
      QVERIFY(page.starts_with("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"><html><head><title>"
                               "Generated by Kelta</title></head><body bgcolor=\"#000000\"><table border=\"0\" "
                               "cellpadding=\"0\" cellspacing=\"0\" align=\"center\" bgcolor=\"#000000\"><tr><td><TT>"));
      QVERIFY(page.ends_with("</TT></td></tr></table></body></html>\r\n"));
      QCOMPARE(page.find('\n'), page.size() - 1);  // one line
      // The first text row holds 180 characters.
      const std::string body = page.substr(0, page.find("<BR>"));
      std::size_t chars = 0;
      bool inTag = false;
      for (std::size_t i = body.find("<TT>") + 4; i < body.size(); ++i) {
        if (body[i] == '<') inTag = true;
        else if (body[i] == '>') inTag = false;
        else if (!inTag) ++chars;
      }
      QCOMPARE(chars, std::size_t(180));
    }
    const std::string grey = test::ReadFile((out / "77_gray.html").string());
    QRegularExpression tag("COLOR=\"#([0-9A-F]{2})([0-9A-F]{2})([0-9A-F]{2})\"");
    for (auto it = tag.globalMatch(QString::fromStdString(grey)); it.hasNext();) {
      const auto m = it.next();
      QVERIFY(m.captured(1) == m.captured(2) && m.captured(2) == m.captured(3));
    }
  }

  void exportDialogStopsAtAnInvalidName() {
    test::TempDir dir;
    TExportDlg dlg(dir.Path().string());
    dlg.PrepareForFrame(test::QuadrantPicture(16, 8), 5);
    dlg.ckbBmp->setChecked(true);
    dlg.ckbPdf->setChecked(true);
    dlg.ckbColorHtml->setChecked(true);
    dlg.etPdf->setText("a.txt");
    test::TBoxSeen seen;
    test::AnswerBox(seen);
    dlg.btOkClick();
    QVERIFY(seen.Shown);
    QCOMPARE(seen.Text, QString("Invalid Filename!"));
    QCOMPARE(seen.Title, QString("Kelta"));
    QCOMPARE(seen.Icon, QMessageBox::Information);
    const fs::path out = dir.Path() / "export";
    QVERIFY(fs::exists(out / "5.bmp"));
    QVERIFY(!fs::exists(out / "a.txt"));
    QVERIFY(!fs::exists(out / "5_color.html"));
    QVERIFY(dlg.result() != QDialog::Accepted);
    QVERIFY(dlg.ProgressBar1->isVisibleTo(&dlg));
    QCOMPARE(dlg.ProgressBar1->value(), 10);

    // A second run after fixing the name: the bar grows by another 30 and goes on from 10.
    dlg.etPdf->setText("a.pdf");
    dlg.btOkClick();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.ProgressBar1->maximum(), 60);
    QCOMPARE(dlg.ProgressBar1->value(), 40);
    QVERIFY(fs::exists(out / "a.pdf"));
    QVERIFY(fs::exists(out / "5_color.html"));
  }

  void exportDialogReportsAWriterError() {
    test::TempDir dir;
    fs::create_directories(dir.Path() / "export" / "5.pdf");  // a folder where the PDF should go
    TExportDlg dlg(dir.Path().string());
    dlg.PrepareForFrame(test::QuadrantPicture(16, 8), 5);
    dlg.ckbPdf->setChecked(true);
    dlg.ckbGrayHtml->setChecked(true);
    test::TBoxSeen seen;
    test::AnswerBox(seen);
    dlg.btOkClick();
    QVERIFY(seen.Shown);
    QCOMPARE(seen.Title, QString("Kelta"));
    QCOMPARE(seen.Icon, QMessageBox::Critical);
    QVERIFY2(seen.Text.endsWith('.'), qPrintable(seen.Text));
    QVERIFY(!fs::exists(dir.Path() / "export" / "5_gray.html"));
    QVERIFY(dlg.result() != QDialog::Accepted);
  }

  void exportDialogWithNothingTickedOnlyMakesTheFolder() {
    test::TempDir dir;
    TExportDlg dlg(dir.Path().string());
    dlg.PrepareForFrame(test::QuadrantPicture(16, 8), 5);
    dlg.btOkClick();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(fs::is_directory(dir.Path() / "export"));
    QVERIFY(fs::is_empty(dir.Path() / "export"));
  }

  void showForFrameRunsModallyAndEscapeWritesNothing() {
    test::TempDir dir;
    test::WhenModal<TExportDlg>([](TExportDlg* dlg) {
      dlg->ckbBmp->setChecked(true);
      QTest::keyClick(dlg, Qt::Key_Escape);
    });
    TExportDlg::ShowForFrame(test::QuadrantPicture(16, 8), 9, dir.Path().string(), nullptr);
    QVERIFY(!fs::exists(dir.Path() / "export"));
  }
};

QTEST_MAIN(OutputUiTest)
#include "OutputUiTest.moc"
