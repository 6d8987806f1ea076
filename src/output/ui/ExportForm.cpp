#include "output/ui/ExportForm.h"

#include <algorithm>
#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>

#include "imaging/ImageUtils.h"
#include "imaging/Resample.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/ReplaceQuestion.h"
#include "common/ui/ShowException.h"
#include "output/FileNameTemplate.h"
#include "output/FileNames.h"
#include "output/FileOutput.h"
#include "output/HTMLExporter.h"
#include "output/PDFExporter.h"
#include "output/ui/CharCellMetrics.h"
#include "common/ui/VideoOutPanel.h"
#include "common/ui/DesktopCentre.h"

namespace kelta {

namespace {

const QColor kFormColour(231, 231, 231);
const QColor kLineColour(197, 197, 197);
constexpr int kPanel2Height = 111;

// A filled panel with 1-pixel lines along the chosen sides.
class TLinePanel : public QWidget {
 public:
  TLinePanel(QWidget* parent, const QColor& colour, bool allSides) : QWidget(parent), AllSides_(allSides) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colour);
    setPalette(pal);
    setAutoFillBackground(true);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setPen(kLineColour);
    p.drawLine(0, 0, width() - 1, 0);
    if (!AllSides_) return;
    p.drawLine(0, 0, 0, height() - 1);
    p.drawLine(width() - 1, 0, width() - 1, height() - 1);
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
  }

 private:
  bool AllSides_;
};

const char* ExtensionOf(const QObject* edit, const TExportDlg* dlg) {
  if (edit == dlg->etBmp) return ".bmp";
  if (edit == dlg->etPdf) return ".pdf";
  return ".html";
}

void InvalidFilename(QWidget* parent) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Kelta"), QStringLiteral("Invalid Filename!"),
                  QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace

TExportDlg::TExportDlg(std::string programDir, QWidget* parent) : QDialog(parent), ProgramDir_(std::move(programDir)) {
  setWindowTitle(QStringLiteral("Export Video Frame"));
  CentreOnDesktopWhenShown(this);
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  setFont(font);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kFormColour);
  setPalette(pal);
  setAutoFillBackground(true);

  Panel1 = new TLinePanel(this, Qt::white, true);
  Panel1->setGeometry(5, 5, 609, 332);
  FPreviewPanel = new TVideoOutPanel(Panel1);
  FPreviewPanel->setGeometry(10, 10, 500, 300);

  Panel2 = new TLinePanel(this, kFormColour, false);
  Label1 = new QLabel(QStringLiteral("Export the frame as:"), Panel2);
  Label1->move(5, 12);
  QCheckBox** boxes[] = {&ckbBmp, &ckbPdf, &ckbColorHtml, &ckbGrayHtml};
  QLineEdit** edits[] = {&etBmp, &etPdf, &etColorHtml, &etGrayHtml};
  const char* captions[] = {"Bitmap", "Pdf", "Color HTML", "Gray HTML"};
  const int lefts[] = {144, 266, 389, 512};
  for (int i = 0; i < 4; ++i) {
    QCheckBox* box = *boxes[i] = new QCheckBox(QString::fromLatin1(captions[i]), Panel2);
    box->setGeometry(lefts[i], 10, 97, 17);
    QLineEdit* edit = *edits[i] = new QLineEdit(Panel2);
    edit->setGeometry(lefts[i], 32, 97, 21);
    edit->setEnabled(false);
    edit->installEventFilter(this);
    // Ticking a box makes its name editable.
    connect(box, &QCheckBox::toggled, edit, &QLineEdit::setEnabled);
  }
  ckbCropBars = new QCheckBox(QStringLiteral("Crop black bars"), Panel2);
  ckbCropBars->setObjectName(QStringLiteral("ckbCropBars"));
  ckbCropBars->setGeometry(lefts[0], 62, 240, 17);
  ckbCropBars->setToolTip(QStringLiteral(
      "Cuts off the black bars above and below a wide film, or beside a narrow one, found from this frame "
      "and the frames near it"));
  connect(ckbCropBars, &QCheckBox::toggled, this, [this](bool checked) { ckbCropBarsClick(checked); });
  ProgressBar1 = new QProgressBar(Panel2);
  ProgressBar1->setGeometry(6, 88, 139, 17);
  ProgressBar1->setRange(0, 0);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->hide();
  btCancel = new QPushButton(QStringLiteral("&Cancel"), Panel2);
  btCancel->setGeometry(410, 74, 98, 32);
  btOk = new QPushButton(QStringLiteral("&Ok"), Panel2);
  btOk->setGeometry(511, 74, 98, 32);
  // Enter in a name box must not start an export by accident.
  btCancel->setAutoDefault(false);
  btOk->setAutoDefault(false);
  connect(btOk, &QPushButton::clicked, this, &TExportDlg::btOkClick);
  connect(btCancel, &QPushButton::clicked, this, &TExportDlg::btCancelClick);

  setFixedSize(620, 506);
  Panel2->setGeometry(0, height() - kPanel2Height, width(), kPanel2Height);
}

TExportDlg::~TExportDlg() {
  // The panel only borrows the preview.
  FPreviewPanel->Image = nullptr;
}

std::string TExportDlg::ExportFolder() const { return ProgramDir_ + "/export"; }

void TExportDlg::PrepareForFrame(const TFastDIB& frame, std::int64_t position) {
  WholeFrame_.SetSize(frame.Width(), frame.Height(), 24);
  if (!frame.Empty() && !WholeFrame_.Empty()) frame.Draw(WholeFrame_, 0, 0);
  Cropped_ = TFastDIB();
  BarsLookedFor_ = false;
  {
    const QSignalBlocker quiet(ckbCropBars);
    ckbCropBars->setChecked(false);
  }
  ckbCropBars->setEnabled(true);
  ckbCropBars->setText(QStringLiteral("Crop black bars"));
  UseFrame(WholeFrame_);

  // The file name template names the files after the frame's source; the
  // position names them without one, as before.
  const QString base = QString::fromStdString(NameFromTemplate(
      LoadNameTemplate(std::filesystem::path(ProgramDir_) / NameTemplateFileName),
      {std::to_string(position), Metadata.Film, Metadata.Source}));
  etBmp->setText(base + QStringLiteral(".bmp"));
  etPdf->setText(base + QStringLiteral(".pdf"));
  etColorHtml->setText(base + QStringLiteral("_color.html"));
  etGrayHtml->setText(base + QStringLiteral("_gray.html"));
}

void TExportDlg::ckbCropBarsClick(bool checked) {
  if (checked && !BarsLookedFor_) {
    TBusyCursor busy;
    BarsLookedFor_ = true;
    if (!CropBlackBars || !CropBlackBars(Cropped_)) Cropped_ = TFastDIB();
  }
  if (checked && Cropped_.Empty()) {
    // Nothing to cut: said on the box, which has nothing more to offer.
    const QSignalBlocker quiet(ckbCropBars);
    ckbCropBars->setChecked(false);
    ckbCropBars->setEnabled(false);
    ckbCropBars->setText(QStringLiteral("Crop black bars (none found)"));
    return;
  }
  UseFrame(checked ? Cropped_ : WholeFrame_);
}

void TExportDlg::UseFrame(const TFastDIB& frame) {
  // A 24-bit copy: the preview, the bitmap, the PDF and the HTML pages all read it.
  FFrame.SetSize(frame.Width(), frame.Height(), 24);
  if (!frame.Empty() && !FFrame.Empty()) frame.Draw(FFrame, 0, 0);

  const int panelWidth = Panel1->width() - 20;
  const int panelHeight =
      frame.Width() > 0 ? static_cast<int>(ScaleHalfEven(panelWidth, frame.RowCount(), frame.Width())) : 0;
  // A frame so flat that no preview row is left gets an empty preview, never a negative height.
  FPreview.SetSize(std::max(panelWidth - 11, 0), std::max(panelHeight - 11, 0), 24);
  Panel1->resize(panelWidth + 20, panelHeight + 20);
  FPreviewPanel->setGeometry(10, 10, panelWidth, panelHeight);
  setFixedSize(Panel1->width() + 10, Panel1->height() + kPanel2Height + 10);
  Panel2->setGeometry(0, height() - kPanel2Height, width(), kPanel2Height);
  ResampleBilinear(FFrame, FPreview);
  FPreviewPanel->Image = &FPreview;
  FPreviewPanel->update();
}

void TExportDlg::ShowForFrame(const TFastDIB& frame, std::int64_t position, const std::string& programDir,
                              QWidget* owner, TCropBlackBars cropBlackBars, TExportMetadata metadata) {
  TExportDlg dlg(programDir, owner);
  dlg.CropBlackBars = std::move(cropBlackBars);
  dlg.Metadata = std::move(metadata);
  dlg.PrepareForFrame(frame, position);
  dlg.exec();
  if (owner) owner->repaint();
}

bool TExportDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (edit && key != Qt::Key_Delete && key != Qt::Key_Backspace) {
      const std::string ext = ExtensionOf(edit, this);
      const std::string text = edit->text().toStdString();
      if (!HasExtension(text, ext)) {
        // Put the extension back before the key acts, keeping the caret and
        // selection where they were so typing goes on inside the name.
        const int cursor = edit->cursorPosition();
        const int selStart = edit->selectionStart();
        const int selLength = edit->selectedText().size();
        edit->setText(QString::fromStdString(text + ext));
        if (selStart >= 0)
          edit->setSelection(selStart, selLength);
        else
          edit->setCursorPosition(cursor);
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TExportDlg::StepProgress() {
  ProgressBar1->setValue(ProgressBar1->value() + 10);
  // The run holds the event loop; show how far it got now.
  ProgressBar1->repaint();
}

QStringList TExportDlg::TickedTargets() const {
  const QString folder = QString::fromStdString(ExportFolder()) + QLatin1Char('/');
  QStringList targets;
  const std::pair<QCheckBox*, QLineEdit*> formats[] = {
      {ckbBmp, etBmp}, {ckbPdf, etPdf}, {ckbColorHtml, etColorHtml}, {ckbGrayHtml, etGrayHtml}};
  for (auto [box, edit] : formats)
    if (box->isChecked() && !edit->text().isEmpty()) targets << folder + edit->text();
  return targets;
}

bool TExportDlg::RunExport() {
  const std::string folder = ExportFolder();
  QDir().mkdir(QString::fromStdString(folder));
  // One question for all the files this run would replace.
  if (!ConfirmReplacing(this, ExistingFiles(TickedTargets()))) return false;

  for (QCheckBox* box : {ckbBmp, ckbPdf, ckbColorHtml, ckbGrayHtml})
    if (box->isChecked()) ProgressBar1->setMaximum(ProgressBar1->maximum() + 10);
  ProgressBar1->setVisible(true);
  Written_.clear();

  auto path = [&folder](const QLineEdit* edit) { return folder + "/" + edit->text().toStdString(); };
  auto valid = [this](const QLineEdit* edit, const char* ext) {
    if (HasExtension(edit->text().toStdString(), ext)) return true;
    InvalidFilename(this);
    return false;
  };
  // Each file is written under the wait cursor, which is gone again before
  // any message shows.
  auto write = [this](const QLineEdit* edit, const std::function<void()>& writer) {
    {
      TBusyCursor busy;
      writer();
    }
    Written_ << edit->text();
    StepProgress();
  };

  try {
    if (ckbBmp->isChecked()) {
      if (!valid(etBmp, ".bmp")) return false;
      write(etBmp, [&] { WriteWholeFile(path(etBmp), FFrame.SaveToMemory()); });
    }
    if (ckbPdf->isChecked()) {
      if (!valid(etPdf, ".pdf")) return false;
      write(etPdf, [&] { TPDFExporter().Export(FFrame, path(etPdf), Metadata); });
    }
    const TCharCell cell = DefaultCharCell();
    const std::string header =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"><html><head>" + HtmlMetaTags(Metadata) +
        "<title>Generated by Kelta</title></head><body bgcolor=\"#" +
        ColorToHtmlHex(RGB(0, 0, 0)) + "\"><table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" "
        "align=\"center\" bgcolor=\"#" + ColorToHtmlHex(RGB(0, 0, 0)) + "\"><tr><td>";
    const std::string footer = "</td></tr></table></body></html>";
    const struct {
      QCheckBox* box;
      QLineEdit* edit;
      THtmlArtMode mode;
    } pages[] = {{ckbColorHtml, etColorHtml, hamColor}, {ckbGrayHtml, etGrayHtml, hamGray}};
    for (const auto& page : pages) {
      if (!page.box->isChecked()) continue;
      if (!valid(page.edit, ".html")) return false;
      write(page.edit, [&] {
        const std::string text = BitmapToHtml(FFrame, "01", header, footer, FFrame.Width() / 4, page.mode, cell);
        WriteWholeFile(path(page.edit), text + "\r\n");
      });
    }
  } catch (const std::exception& error) {
    QString message = QString::fromUtf8(error.what());
    // The files of this run that did reach the disk stay there.
    message += Written_.isEmpty() ? QStringLiteral("\n\n(No file of this export was written.)")
                                  : QStringLiteral("\n\n(Written before the failure: %1)").arg(Written_.join(", "));
    ShowErrorMessage(message, this);
    return false;
  }
  return true;
}

void TExportDlg::ShowSummary() {
  if (Written_.isEmpty()) return;
  const QString folder = QDir::toNativeSeparators(QString::fromStdString(ExportFolder()));
  QString text = Written_.size() == 1
                     ? QStringLiteral("1 file was written to the folder %1:\n").arg(folder)
                     : QStringLiteral("%1 files were written to the folder %2:\n").arg(Written_.size()).arg(folder);
  for (const QString& name : Written_) text += QStringLiteral("\n") + name;
  QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok, this);
  box.setObjectName("ExportSummary");
  QPushButton* open = box.addButton(QStringLiteral("&Open Folder"), QMessageBox::ActionRole);
  open->setObjectName("btOpenFolder");
  // Escape closes the summary as OK does; it never opens the folder.
  box.setEscapeButton(QMessageBox::Ok);
  box.exec();
  if (box.clickedButton() != open) return;
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(ExportFolder()))))
    QMessageBox::information(
        this, QStringLiteral("Information"),
        QStringLiteral("No program on this computer opens folders. The files are in %1.").arg(folder));
}

void TExportDlg::btOkClick() {
  if (!RunExport()) return;
  ShowSummary();
  accept();
}

void TExportDlg::btCancelClick() { reject(); }

}  // namespace kelta
