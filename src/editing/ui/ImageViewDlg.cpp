#include "editing/ui/ImageViewDlg.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QToolBar>

#include "output/ui/PrintPreviewDlg.h"

namespace kelta {

TimageViewDlg::TimageViewDlg(QWidget* parent)
    : QDialog(parent), Box_(new TImageControlBox(this)), Tool_(std::make_unique<TImageDrawTool>(Box_->Control())),
      ToolBar_(MakePictureToolBar(this)) {
  SetUpPictureWindow(this, "imageViewDlg", "View Image", 800, 600);

  connect(AddToolItem(ToolBar_, "pmiPrint", "&Print"), &QAction::triggered, this, [this] { pmiPrintClick(); });
  AddExportMenu(ToolBar_, "pmExport", "&Export",
                {{{"pmiBmp", "&BMP"}, {"pmiJpeg", "&JPEG"}, {"pmiPng", "&PNG"}, {"pmiGif", "&GIF"},
                  {"pmiPdf", "P&DF"}}},
                [this](int tag) { pmiExportClick(tag); });
  connect(AddToolItem(ToolBar_, "tbiPre", "Pre&vious"), &QAction::triggered, this, [this] { tbiPreClick(); });
  connect(AddToolItem(ToolBar_, "tbiNext", "&Next"), &QAction::triggered, this, [this] { tbiNextClick(); });
  AddCopyItem(ToolBar_, [this]() -> const TFastDIB& { return Control()->WorkImage(); });
  GoToSource_ = AddGoToSourceItem(ToolBar_, this, GoToSourceChosen);
  connect(AddToolItem(ToolBar_, "pmiClose", "&Close"), &QAction::triggered, this, [this] { close(); });

  StackPictureWindow(this, {ToolBar_}, Box_, 735, &Status_);
  ViewRecord.Image = &Control()->WorkImage();
}

TimageViewDlg::~TimageViewDlg() = default;

void TimageViewDlg::pmiPrintClick() {
  TprintDlg print(this);
  print.FViewRecord = ViewRecord;
  print.exec();
}

void TimageViewDlg::pmiExportClick(int tag) {
  if (ExportImageAs) ExportImageAs(tag, this, Control()->WorkImage());
}

void TimageViewDlg::tbiPreClick() {
  if (ShowPreviousImage) ShowPreviousImage();
}

void TimageViewDlg::tbiNextClick() {
  if (ShowNextImage) ShowNextImage();
}

void TimageViewDlg::UpdateStatus() {
  const TFastDIB* image = ViewRecord.Image;
  Status_->setText(WithSource(QString("%1/%2 - [%3x%4] - %5")
                                  .arg(ViewRecord.Index)
                                  .arg(ViewRecord.Count)
                                  .arg(image ? image->Width() : 0)
                                  .arg(image ? image->RowCount() : 0)
                                  .arg(ViewRecord.Name),
                              Source_));
}

void TimageViewDlg::ShowSource(const QString& source) {
  Source_ = source;
  GoToSource_->setVisible(!source.isEmpty());
  UpdateStatus();
}

void TimageViewDlg::keyPressEvent(QKeyEvent* event) {
  // The keypad's arrows are not stepping keys.
  const bool keypad = event->modifiers() & Qt::KeypadModifier;
  switch (event->key()) {
    case Qt::Key_Escape:
      close();
      return;
    case Qt::Key_Left:
      if (keypad) break;
      [[fallthrough]];
    case Qt::Key_A:
      tbiPreClick();
      return;
    case Qt::Key_Right:
      if (keypad) break;
      [[fallthrough]];
    case Qt::Key_D:
      tbiNextClick();
      return;
    default:
      break;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace kelta
