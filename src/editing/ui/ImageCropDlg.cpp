#include "editing/ui/ImageCropDlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>

namespace kelta {

TimageCropDlg::TimageCropDlg(QWidget* parent)
    : QDialog(parent), Box_(new TImageControlBox(this)), Tool_(new TImageCropTool(Box_->Control())),
      ToolBar_(MakePictureToolBar(this)) {
  setObjectName("imageCropDlg");
  setWindowTitle("Crop Image");
  resize(800, 600);
  setModal(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, PictureWindowColour);
  setPalette(pal);
  setFont(QFont("Tahoma", 8));

  connect(AddToolItem(ToolBar_, "tbiCrop", "&Crop"), &QAction::triggered, this, [this] { tbiCropClick(); });
  connect(AddToolItem(ToolBar_, "tbiReset", "&Reset"), &QAction::triggered, this, [this] { tbiResetClick(); });
  Save_ = AddToolItem(ToolBar_, "tbiSave", "&Save");
  connect(Save_, &QAction::triggered, this, [this] { tbiSaveClick(); });
  AddExportMenu(ToolBar_, "tbExport", "&Export",
                {{{"tbiBmp", "&BMP"}, {"tbiJpeg", "&JPEG"}, {"tbiPng", "&PNG"}, {"tbiGif", "&GIF"},
                  {"tbiPdf", "&PDF"}}},
                [this](int tag) { tbiExportClick(tag); });
  connect(AddToolItem(ToolBar_, "tbiClose", "&Close"), &QAction::triggered, this, [this] { close(); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(ToolBar_);
  layout->addWidget(Box_, 1);
  layout->addWidget(MakeStatusPanel(this, 783, &Status_));
}

TimageCropDlg::~TimageCropDlg() { delete Tool_; }

void TimageCropDlg::tbiCropClick() {
  if (!Tool_->Crop()) return;
  ImageChanged = true;
  UpdateStatus();
}

void TimageCropDlg::tbiResetClick() {
  Tool_->Revert();
  ImageChanged = false;
  UpdateStatus();
}

void TimageCropDlg::tbiSaveClick() {
  if (ImageChanged) {
    SaveRequested = true;
    ImageChanged = false;
  }
  close();
}

void TimageCropDlg::tbiExportClick(int tag) {
  if (ExportImageAs) ExportImageAs(tag, this, Control()->WorkImage());
}

void TimageCropDlg::UpdateStatus() {
  const TFastDIB& work = Control()->WorkImage();
  Status_->setText(QString("[%1x%2] - %3").arg(work.Width()).arg(work.RowCount()).arg(ImageName));
}

void TimageCropDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TimageCropDlg::closeEvent(QCloseEvent* event) {
  if (ImageChanged && !ConfirmQuitting(this)) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace kelta
