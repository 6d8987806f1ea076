#include "editing/ui/PictureEditDlg.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QToolBar>

namespace kelta {

TPictureEditDlg::TPictureEditDlg(QWidget* parent, const char* name, const QString& title, int width,
                                 int height)
    : QDialog(parent), Box_(new TImageControlBox(this)), ToolBar_(MakePictureToolBar(this)) {
  SetUpPictureWindow(this, name, title, width, height);
}

void TPictureEditDlg::AddEditItems(std::function<void()> reset) {
  connect(AddToolItem(ToolBar_, "tbiReset", "&Reset"), &QAction::triggered, this, std::move(reset));
  Save_ = AddToolItem(ToolBar_, "tbiSave", "&Save");
  connect(Save_, &QAction::triggered, this, [this] { tbiSaveClick(); });
  AddExportMenu(ToolBar_, "tbExport", "&Export",
                {{{"tbiBmp", "&BMP"}, {"tbiJpeg", "&JPEG"}, {"tbiPng", "&PNG"}, {"tbiGif", "&GIF"},
                  {"tbiPdf", "&PDF"}}},
                [this](int tag) { tbiExportClick(tag); });
  connect(AddToolItem(ToolBar_, "tbiClose", "&Close"), &QAction::triggered, this, [this] { close(); });
}

void TPictureEditDlg::tbiSaveClick() {
  if (ImageChanged) {
    SaveRequested = true;
    ImageChanged = false;
  }
  close();
}

void TPictureEditDlg::tbiExportClick(int tag) {
  if (ExportImageAs) ExportImageAs(tag, this, Control()->WorkImage());
}

void TPictureEditDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TPictureEditDlg::closeEvent(QCloseEvent* event) {
  if (ImageChanged && !ConfirmQuitting(this)) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace kelta
