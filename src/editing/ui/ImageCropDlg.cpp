#include "editing/ui/ImageCropDlg.h"

#include <QAction>
#include <QLabel>
#include <QToolBar>

namespace kelta {

TimageCropDlg::TimageCropDlg(QWidget* parent)
    : TPictureEditDlg(parent, "imageCropDlg", "Crop Image", 800, 600),
      Tool_(std::make_unique<TImageCropTool>(Box_->Control())) {
  // "&Close" keeps the C.
  connect(AddToolItem(ToolBar_, "tbiCrop", "Cr&op"), &QAction::triggered, this, [this] { tbiCropClick(); });
  AddEditItems([this] { tbiResetClick(); });
  StackPictureWindow(this, {ToolBar_}, Box_, 783, &Status_);
  Tool_->OnSelectionChanged = [this] { ShowSelection(); };
}

TimageCropDlg::~TimageCropDlg() = default;

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
  Status_->setText(WithSource(QString("[%1x%2] - %3").arg(work.Width()).arg(work.RowCount()).arg(ImageName), Source_));
}

void TimageCropDlg::ShowSelection() {
  const TRect selection = Tool_->Selection();
  const bool shown = SelectionShown_;
  SelectionShown_ = !IsEmptyRect(selection);
  // A dropped selection takes its part of the line with it.
  if (!SelectionShown_) {
    if (shown) UpdateStatus();
    return;
  }
  UpdateStatus();
  Status_->setText(Status_->text() + QString(" - Selection: [%1x%2] at (%3, %4)")
                                         .arg(selection.WidthOf())
                                         .arg(selection.HeightOf())
                                         .arg(selection.Left)
                                         .arg(selection.Top));
}

}  // namespace kelta
