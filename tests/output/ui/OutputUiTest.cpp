#include <FreeImage.h>

#include <QCheckBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <memory>

#include "support/FileSizeLimit.h"
#include "support/SamePixels.h"
#include "support/ui/ModalAnswer.h"
#include "output/OutputTestSupport.h"
#include "library/ui/SingleImageExport.h"
#include "output/ui/ExportForm.h"
#include "common/ui/VideoOutPanel.h"

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
    test::ChooseFile(dialog, QString::fromStdString(file));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, by virtual call
  });
}

}  // namespace

// Stands in for the desktop's handler of file addresses: records them.
class TUrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> Opened;
 public slots:
  void open(const QUrl& url) { Opened.append(url); }
};

class OutputUiTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { test::UnansweredModals() = 0; }
  void cleanup() { QCOMPARE(test::UnansweredModals(), 0); }

  void exportFiltersListEveryExtensionOfTheirFormat() {
    QCOMPARE(ExportImageFilters(), QStringList({"BMP (*.bmp *.dib)", "JPEG (*.jpg *.jpeg *.jpe)", "PNG (*.png)",
                                                "GIF (*.gif)", "PDF (*.pdf)"}));
  }

  void exportImageAsUsesTheEntryFinallyChosen() {
    test::TTempFolder dir;
    const TFastDIB picture = test::QuadrantPicture(40, 30);
    QWidget owner;
    QString preselected;
    // GIF preselected, switched to BMP, a name of another format typed: the
    // name says the format.
    AnswerSaveDialog(&preselected, 1, dir.File("shot.png"));
    ExportImageAs(eifGif, &owner, picture);
    QCOMPARE(preselected, ExportImageFilters()[3]);
    QVERIFY(!fs::exists(dir.File("shot.png.bmp")));
    QCOMPARE(FileType(dir.File("shot.png")), int(FIF_PNG));

    // BMP entry, a name typed without extension: a bitmap.
    AnswerSaveDialog(nullptr, 1, dir.File("plain"));
    ExportImageAs(eifGif, &owner, picture);
    QCOMPARE(FileType(dir.File("plain.bmp")), int(FIF_BMP));

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

  // The question comes for the name really written, after the extension is added.
  void exportImageAsAsksBeforeReplacingTheFinalName_data() {
    QTest::addColumn<QString>("existing");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("asked");
    QTest::newRow("extension added to an existing name") << "victim.png" << 3 << "victim" << "victim.png" << true;
    QTest::newRow("typed with the extension") << "a.bmp" << 1 << "a.bmp" << "a.bmp" << true;
    QTest::newRow("upper-case extension kept") << "shot.PNG" << 3 << "shot.PNG" << "shot.PNG" << true;
    QTest::newRow("another spelling of the format") << "pic.jpeg" << 2 << "pic.jpeg" << "pic.jpeg" << true;
    QTest::newRow("pdf over an existing pdf") << "doc.pdf" << 5 << "doc" << "doc.pdf" << true;
    QTest::newRow("typed name itself exists, final does not") << "gif" << 4 << "gif" << "gif.gif" << false;
  }
  void exportImageAsAsksBeforeReplacingTheFinalName() {
    QFETCH(QString, existing);
    QFETCH(int, entry);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(bool, asked);
    const TFastDIB picture = test::QuadrantPicture(8, 6);
    for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
      test::TTempFolder dir;
      test::WriteFile(dir.File(existing.toStdString()), "kept");
      test::TBoxSeen seen;
      bool reopened = false;
      AnswerSaveDialog(nullptr, entry, dir.File(typed.toStdString()));
      if (asked) {
        test::WhenModal<QMessageBox>([&, answer](QMessageBox* box) {
          seen.Text = box->text();
          seen.Shown = true;
          // Refused: the dialog comes back, with the name as typed, and is cancelled.
          if (answer == QMessageBox::No)
            test::WhenModal<QFileDialog>([&](QFileDialog* again) {
              reopened = again->selectedFiles().value(0).endsWith(typed);
              again->reject();
            });
          box->button(answer)->click();
        });
      }
      ExportImageAs(entry - 1, nullptr, picture);
      QCOMPARE(seen.Shown, asked);
      const std::string target = dir.File(written.toStdString());
      if (asked) {
        QVERIFY2(seen.Text.contains(QString::fromStdString(target)), qPrintable(seen.Text));
        QCOMPARE(reopened, answer == QMessageBox::No);
      }
      const bool replaced = !asked || answer == QMessageBox::Yes;
      QCOMPARE(test::ReadFile(target) == "kept", !replaced && written == existing);
      if (written != existing) QCOMPARE(test::ReadFile(dir.File(existing.toStdString())), std::string("kept"));
    }
  }

  // A picture that cannot be written is reported with its name and the
  // reason, whatever the format, and leaves no file of the attempt.
  void exportImageAsReportsFailedWrites_data() {
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("diskFull");
    for (int entry = 1; entry <= 5; ++entry) {
      const QByteArray format = QString::fromStdString(ExportImageExtension(entry)).toLatin1();
      QTest::newRow(format + " in a missing folder") << entry << false;
      QTest::newRow(format + " on a full disk") << entry << true;
    }
  }
  void exportImageAsReportsFailedWrites() {
    QFETCH(int, entry);
    QFETCH(bool, diskFull);
    test::TTempFolder dir;
    const std::string target = diskFull ? dir.File("big") : dir.File("missing/big");
    test::TBoxSeen seen;
    test::WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      dialog->setDirectory(QString::fromStdString(dir.Path().string()));
      dialog->selectNameFilter(ExportImageFilters().value(entry - 1));
      test::ChooseFile(dialog, QString::fromStdString(target));
      test::AnswerBox(seen);
      static_cast<QDialog*>(dialog)->accept();
    });
    {
      // Room for a few hundred bytes only, far less than the picture needs.
      std::unique_ptr<test::TFileSizeLimit> limit;
      if (diskFull) limit = std::make_unique<test::TFileSizeLimit>(300);
      ExportImageAs(entry - 1, nullptr, test::QuadrantPicture(160, 120));
    }
    QVERIFY(seen.Shown);
    QCOMPARE(seen.Title, QString("Kelta"));
    QCOMPARE(seen.Icon, QMessageBox::Critical);
    const std::string written = ExportTargetOf(entry, target).FileName;
    QVERIFY2(seen.Text.contains(QString::fromStdString(written)), qPrintable(seen.Text));
    const QString reason = diskFull ? "File too large" : "No such file or directory";
    QVERIFY2(seen.Text.contains(reason), qPrintable(seen.Text));
    QVERIFY(fs::is_empty(dir.Path()));
  }

  // Every usual extension of a format, in any letter case, is written under
  // the name typed, in that format, whatever entry the dialog shows.
  void exportImageAsTakesEveryExtensionOfAFormat_data() {
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("type");  // FreeImage's file type; -1 a PDF
    QTest::newRow("name.jpeg") << 2 << "name.jpeg" << int(FIF_JPEG);
    QTest::newRow("name.JPE under PNG") << 3 << "name.JPE" << int(FIF_JPEG);
    QTest::newRow("name.Dib") << 1 << "name.Dib" << int(FIF_BMP);
    QTest::newRow("name.GIF under JPEG") << 2 << "name.GIF" << int(FIF_GIF);
    QTest::newRow("name.Png under PDF") << 5 << "name.Png" << int(FIF_PNG);
    QTest::newRow("name.PDF under BMP") << 1 << "name.PDF" << -1;
  }
  void exportImageAsTakesEveryExtensionOfAFormat() {
    QFETCH(int, entry);
    QFETCH(QString, typed);
    QFETCH(int, type);
    test::TTempFolder dir;
    AnswerSaveDialog(nullptr, entry, dir.File(typed.toStdString()));
    ExportImageAs(entry - 1, nullptr, test::QuadrantPicture(40, 30));
    QCOMPARE(dir.Entries(), std::vector<std::string>{typed.toStdString()});
    if (type < 0)
      QCOMPARE(test::Run("qpdf --check '" + dir.File(typed.toStdString()) + "'"), 0);
    else
      QCOMPARE(FileType(dir.File(typed.toStdString())), type);
  }

  // A picture's long name is suggested shortened to 255 bytes with its
  // extension; a name typed too long is explained in the dialog while it is
  // typed, and one that only the extension makes too long is explained after
  // Save, the dialog coming back with it.
  void exportImageAsKeepsNamesWithinWhatTheFileSystemTakes() {
    test::TTempFolder dir;
    const QString longName = QString(300, QChar(0xE9));  // é: 600 bytes
    QString suggested;
    bool saveEnabled = false;
    QString shownWhileTyping, shownAfterShortening;
    bool problemShown = false, problemHidden = false;
    test::WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      suggested = QFileInfo(dialog->selectedFiles().value(0)).fileName();
      auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
      auto* problem = dialog->findChild<QLabel*>("lbNameProblem");
      QVERIFY(edit && problem);
      QVERIFY(!problem->isVisible());
      edit->setText(QString(256, QChar('x')));
      problemShown = problem->isVisible();
      shownWhileTyping = problem->text();
      edit->setText(QString(250, QChar('x')));
      problemHidden = !problem->isVisible();
      if (auto* box = dialog->findChild<QDialogButtonBox*>())
        saveEnabled = box->button(QDialogButtonBox::Save)->isEnabled();
      dialog->reject();
    });
    ExportImageAs(eifPng, nullptr, test::QuadrantPicture(8, 6), longName);
    QVERIFY(suggested.endsWith(".png"));
    QCOMPARE(suggested.toUtf8().size(), 254);  // 125 letters of two bytes, and .png
    QVERIFY(longName.startsWith(suggested.chopped(4)));
    QVERIFY(problemShown);
    QVERIFY2(shownWhileTyping.contains("too long") && shownWhileTyping.contains("at most 255"),
             qPrintable(shownWhileTyping));
    QVERIFY(problemHidden);
    QVERIFY(saveEnabled);

    // 126 letters are 252 bytes; with ".jpg" the name would have 256.
    const QString typed = QString(126, QChar(0xE9));
    test::TBoxSeen seen;
    QString reopenedWith;
    test::WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      dialog->selectNameFilter(ExportImageFilters().value(1));
      test::ChooseFile(dialog, QString::fromStdString(dir.File(typed.toStdString())));
      test::WhenModal<QMessageBox>([&](QMessageBox* box) {
        seen.Shown = true;
        seen.Text = box->text();
        test::WhenModal<QFileDialog>([&](QFileDialog* again) {
          reopenedWith = QFileInfo(again->selectedFiles().value(0)).fileName();
          again->reject();
        });
        box->button(QMessageBox::Ok)->click();
      });
      static_cast<QDialog*>(dialog)->accept();
    });
    ExportImageAs(eifJpeg, nullptr, test::QuadrantPicture(8, 6));
    QVERIFY(seen.Shown);
    QVERIFY2(seen.Text.contains("256 bytes"), qPrintable(seen.Text));
    QCOMPARE(reopenedWith, typed);
    QVERIFY(fs::is_empty(dir.Path()));
  }

  void exportImageAsStartsInTheLastFolderWithThePictureName() {
    test::TTempFolder first, second;
    QString startFolder, suggested;
    test::WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      startFolder = dialog->directory().absolutePath();
      suggested = dialog->selectedFiles().value(0);
      test::ChooseFile(dialog, QString::fromStdString(second.File("Beach.png")));
      static_cast<QDialog*>(dialog)->accept();
    });
    ExportImageAs(eifPng, nullptr, test::QuadrantPicture(8, 6), "Beach");
    QVERIFY(QFileInfo(suggested).fileName() == "Beach.png");
    QVERIFY(fs::exists(second.File("Beach.png")));
    // The next export opens where the last one went.
    test::WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      startFolder = dialog->directory().absolutePath();
      suggested = dialog->selectedFiles().value(0);
      dialog->reject();
    });
    ExportImageAs(eifPdf, nullptr, test::QuadrantPicture(8, 6), "a/b: c");
    QCOMPARE(startFolder, QDir(QString::fromStdString(second.Path().string())).absolutePath());
    QCOMPARE(QFileInfo(suggested).fileName(), QString("a_b: c.pdf"));
    QCOMPARE(SuggestedExportName("", 2), QString("picture.jpg"));
    QCOMPARE(SuggestedExportName("..", 1), QString("picture.bmp"));
  }

  void exportImageAsCancelledWritesNothing() {
    test::TTempFolder dir;
    const std::string file = dir.File("x.bmp");
    test::WhenModal<QFileDialog>([file](QFileDialog* dialog) {
      test::ChooseFile(dialog, QString::fromStdString(file));
      dialog->reject();
    });
    ExportImageAs(eifBmp, nullptr, test::QuadrantPicture(4, 4));
    QVERIFY(fs::is_empty(dir.Path()));
  }

  void exportImageAsReportsPdfErrors() {
    test::TTempFolder dir;
    test::WriteFile(dir.File("plain"), "x");
    fs::create_directory(dir.File("sub"));
    test::TBoxSeen seen;
    // The dialog sits in a real folder; the name points below a plain file.
    test::WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      dialog->setDirectory(QString::fromStdString(dir.File("sub")));
      test::ChooseFile(dialog, QString::fromStdString(dir.File("plain") + "/x"));
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
    test::TTempFolder dir;
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
    test::TTempFolder dir;
    const TFastDIB frame = test::QuadrantPicture(722, 576);  // 722 / 4 = 180 columns
    TExportDlg dlg(dir.Path().string());
    dlg.PrepareForFrame(frame, 77);
    for (QCheckBox* box : {dlg.ckbBmp, dlg.ckbPdf, dlg.ckbColorHtml, dlg.ckbGrayHtml}) box->setChecked(true);
    test::TBoxSeen summary;
    test::AnswerBox(summary);
    dlg.btOkClick();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.ProgressBar1->maximum(), 40);
    QCOMPARE(dlg.ProgressBar1->value(), 40);
    const fs::path out = dir.Path() / "export";
    // The run ends by saying what it wrote and where.
    QVERIFY(summary.Shown);
    QCOMPARE(summary.Title, QString("Information"));
    QVERIFY2(summary.Text.startsWith("4 files were written to the folder " + QString::fromStdString(out.string())),
             qPrintable(summary.Text));
    QVERIFY(summary.Text.endsWith("\n77.bmp\n77.pdf\n77_color.html\n77_gray.html"));

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

  // Crop black bars asks for the frame without its bars once, when first
  // checked, then previews and exports it; unchecked, the whole frame is
  // back. A frame without bars says so on the box and stays whole.
  void exportDialogCropsBlackBarsWhenAsked_data() {
    QTest::addColumn<bool>("found");
    QTest::newRow("bars found") << true;
    QTest::newRow("no bars") << false;
  }
  void exportDialogCropsBlackBarsWhenAsked() {
    QFETCH(bool, found);
    test::TTempFolder dir;
    const TFastDIB whole = test::QuadrantPicture(1024, 576);
    const TFastDIB cropped = test::QuadrantPicture(1024, 432);
    TExportDlg dlg(dir.Path().string());
    int asked = 0;
    dlg.CropBlackBars = [&](TFastDIB& out) {
      ++asked;
      if (!found) return false;
      out.SetSize(cropped.Width(), cropped.Height(), 24);
      cropped.Draw(out, 0, 0);
      return true;
    };
    dlg.PrepareForFrame(whole, 5);
    QVERIFY(!dlg.ckbCropBars->isChecked());
    QCOMPARE(dlg.Frame().RowCount(), 576);
    dlg.ckbCropBars->click();
    QCOMPARE(dlg.ckbCropBars->isChecked(), found);
    QCOMPARE(dlg.ckbCropBars->isEnabled(), found);
    QCOMPARE(dlg.ckbCropBars->text(), found ? QString("Crop black bars") : QString("Crop black bars (none found)"));
    // 589 x 432 / 1024 = 248.5, or 589 x 576 / 1024 = 331.3.
    QCOMPARE(dlg.FPreviewPanel->size(), QSize(589, found ? 248 : 331));
    if (found) {
      dlg.ckbCropBars->click();
      QCOMPARE(dlg.Frame().RowCount(), 576);
      QCOMPARE(dlg.FPreviewPanel->size(), QSize(589, 331));
      dlg.ckbCropBars->click();
    }
    QCOMPARE(asked, 1);
    dlg.ckbBmp->setChecked(true);
    test::TBoxSeen summary;
    test::AnswerBox(summary);
    dlg.btOkClick();
    TFastDIB bmp;
    QVERIFY(bmp.LoadFromFile((dir.Path() / "export" / "5.bmp").string()));
    QVERIFY(test::SamePixels(found ? cropped : whole, bmp, "exported-without-bars"));
  }

  // The summary closes on Escape without opening anything; Open Folder
  // opens the export folder, and says so when no program can.
  void exportSummaryEscapeAndOpenFolder() {
    test::TTempFolder dir;
    const QString folder = QString::fromStdString((dir.Path() / "export").string());
    TUrlRecorder opener;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opener, "open");
    int frame = 0;
    const auto exportWith = [&](const std::function<void(QMessageBox*)>& answer) {
      TExportDlg dlg(dir.Path().string());
      // A new name each time: nothing to replace.
      dlg.PrepareForFrame(test::QuadrantPicture(16, 8), ++frame);
      dlg.ckbBmp->setChecked(true);
      test::WhenModal<QMessageBox>(answer);
      dlg.btOkClick();
      QCOMPARE(dlg.result(), int(QDialog::Accepted));
    };
    exportWith([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    QVERIFY(opener.Opened.isEmpty());
    exportWith([](QMessageBox* box) { box->findChild<QPushButton*>("btOpenFolder")->click(); });
    QCOMPARE(opener.Opened, QList<QUrl>{QUrl::fromLocalFile(folder)});
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    // Without a handler the offscreen platform opens nothing.
    test::TBoxSeen told;
    exportWith([&told](QMessageBox* box) {
      test::AnswerBox(told);
      box->findChild<QPushButton*>("btOpenFolder")->click();
    });
    QVERIFY2(told.Text.startsWith("No program on this computer opens folders. The files are in " + folder),
             qPrintable(told.Text));
  }

  void exportDialogStopsAtAnInvalidName() {
    test::TTempFolder dir;
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
    // The bitmap of the first run is there now: replacing it is asked first.
    dlg.etPdf->setText("a.pdf");
    test::TBoxSeen replace, summary;
    test::WhenModal<QMessageBox>([&](QMessageBox* box) {
      replace.Text = box->text();
      test::AnswerBox(summary);
      box->button(QMessageBox::Yes)->click();
    });
    dlg.btOkClick();
    QVERIFY2(replace.Text.contains((out / "5.bmp").string().c_str()), qPrintable(replace.Text));
    QVERIFY(!replace.Text.contains("a.pdf"));
    QVERIFY(summary.Text.contains("3 files were written"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.ProgressBar1->maximum(), 60);
    QCOMPARE(dlg.ProgressBar1->value(), 40);
    QVERIFY(fs::exists(out / "a.pdf"));
    QVERIFY(fs::exists(out / "5_color.html"));
  }

  void exportDialogReportsAWriterError() {
    test::TTempFolder dir;
    fs::create_directories(dir.Path() / "export" / "5.pdf");  // a folder where the PDF should go
    TExportDlg dlg(dir.Path().string());
    dlg.PrepareForFrame(test::QuadrantPicture(16, 8), 5);
    dlg.ckbPdf->setChecked(true);
    dlg.ckbGrayHtml->setChecked(true);
    test::TBoxSeen replace, seen;
    test::WhenModal<QMessageBox>([&](QMessageBox* box) {
      replace.Shown = true;
      test::AnswerBox(seen);
      box->button(QMessageBox::Yes)->click();
    });
    dlg.btOkClick();
    QVERIFY(replace.Shown);  // the folder's name is taken, as if by a file
    QVERIFY(seen.Shown);
    QCOMPARE(seen.Title, QString("Kelta"));
    QCOMPARE(seen.Icon, QMessageBox::Critical);
    QVERIFY2(seen.Text.contains("No file of this export was written"), qPrintable(seen.Text));
    QVERIFY(!fs::exists(dir.Path() / "export" / "5_gray.html"));
    QVERIFY(dlg.result() != QDialog::Accepted);
  }

  // Each format that cannot be written stops the run with the file's name and
  // the reason, leaves no part of it, keeps what was written before, and is
  // not counted as done.
  void exportDialogReportsEachFailedFormat_data() {
    QTest::addColumn<int>("failing");  // 0 bitmap .. 3 grey page
    QTest::addColumn<QString>("writtenBefore");
    QTest::newRow("bitmap") << 0 << "No file of this export was written";
    QTest::newRow("pdf") << 1 << "Written before the failure: 5.bmp)";
    QTest::newRow("grey page") << 3 << "Written before the failure: 5.bmp, 5.pdf, 5_color.html)";
  }
  void exportDialogReportsEachFailedFormat() {
    QFETCH(int, failing);
    QFETCH(QString, writtenBefore);
    test::TTempFolder dir;
    const char* names[] = {"5.bmp", "5.pdf", "5_color.html", "5_gray.html"};
    const fs::path out = dir.Path() / "export";
    fs::create_directories(out);
    // The target's name taken by a folder: the file cannot be put there.
    fs::create_directory(out / names[failing]);
    TExportDlg dlg(dir.Path().string());
    dlg.PrepareForFrame(test::QuadrantPicture(16, 8), 5);
    for (QCheckBox* box : {dlg.ckbBmp, dlg.ckbPdf, dlg.ckbColorHtml, dlg.ckbGrayHtml}) box->setChecked(true);
    test::TBoxSeen replace, error;
    test::WhenModal<QMessageBox>([&](QMessageBox* box) {
      replace.Text = box->text();
      test::AnswerBox(error);
      box->button(QMessageBox::Yes)->click();
    });
    dlg.btOkClick();
    QVERIFY(error.Shown);
    QCOMPARE(error.Icon, QMessageBox::Critical);
    QVERIFY2(error.Text.contains((out / names[failing]).string().c_str()), qPrintable(error.Text));
    QVERIFY2(error.Text.contains(writtenBefore), qPrintable(error.Text));
    QCOMPARE(dlg.ProgressBar1->value(), 10 * failing);
    QCOMPARE(dlg.WrittenFiles().size(), failing);
    QVERIFY(dlg.result() != QDialog::Accepted);
    for (const auto& entry : fs::directory_iterator(out))
      QVERIFY2(entry.path().filename().string().find(".part") == std::string::npos, entry.path().c_str());
  }

  void exportDialogAsksOnceBeforeReplacing() {
    test::TTempFolder dir;
    const fs::path out = dir.Path() / "export";
    fs::create_directories(out);
    test::WriteFile((out / "5.bmp").string(), "old bitmap");
    test::WriteFile((out / "5_gray.html").string(), "old page");
    TExportDlg dlg(dir.Path().string());
    dlg.PrepareForFrame(test::QuadrantPicture(16, 8), 5);
    for (QCheckBox* box : {dlg.ckbBmp, dlg.ckbPdf, dlg.ckbGrayHtml}) box->setChecked(true);
    test::TBoxSeen asked;
    test::AnswerBox(asked, QMessageBox::No);
    dlg.btOkClick();
    QVERIFY(asked.Shown);
    QCOMPARE(asked.Title, QString("Information"));
    QVERIFY(asked.Text.contains((out / "5.bmp").string().c_str()));
    QVERIFY(asked.Text.contains((out / "5_gray.html").string().c_str()));
    QVERIFY(!asked.Text.contains("5.pdf"));
    // Refused: nothing written, nothing counted, the dialog stays.
    QCOMPARE(test::ReadFile((out / "5.bmp").string()), std::string("old bitmap"));
    QVERIFY(!fs::exists(out / "5.pdf"));
    QVERIFY(!dlg.ProgressBar1->isVisibleTo(&dlg));
    QVERIFY(dlg.result() != QDialog::Accepted);
  }

  void exportDialogWithNothingTickedOnlyMakesTheFolder() {
    test::TTempFolder dir;
    TExportDlg dlg(dir.Path().string());
    dlg.PrepareForFrame(test::QuadrantPicture(16, 8), 5);
    dlg.btOkClick();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(fs::is_directory(dir.Path() / "export"));
    QVERIFY(fs::is_empty(dir.Path() / "export"));
  }

  void showForFrameRunsModallyAndEscapeWritesNothing() {
    test::TTempFolder dir;
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
