#include "editing/ui/ImageCropDlg.h"

#include <QAction>
#include <QLabel>
#include <QToolBar>

namespace kelta {

TimageCropDlg::TimageCropDlg(QWidget* parent)
    : TPictureEditDlg(parent, "imageCropDlg", "Crop Image", 800, 600),
      Tool_(new TImageCropTool(Box_->Control())) {
  connect(AddToolItem(ToolBar_, "tbiCrop", "&Crop"), &QAction::triggered, this, [this] { tbiCropClick(); });
  AddEditItems([this] { tbiResetClick(); });
  StackPictureWindow(this, {ToolBar_}, Box_, 783, &Status_);
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

void TimageCropDlg::UpdateStatus() {
  const TFastDIB& work = Control()->WorkImage();
  Status_->setText(QString("[%1x%2] - %3").arg(work.Width()).arg(work.RowCount()).arg(ImageName));
}

}  // namespace kelta
