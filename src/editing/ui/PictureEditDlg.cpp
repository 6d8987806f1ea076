#include "editing/ui/PictureEditDlg.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QToolBar>

#include "common/ui/EscapeCloses.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/ShowException.h"

namespace kelta {

TPictureEditDlg::TPictureEditDlg(QWidget* parent, const char* name, const QString& title, int width,
                                 int height)
    : QDialog(parent), Box_(new TImageControlBox(this)), ToolBar_(MakePictureToolBar(this)) {
  CloseOnEscape(this);
  SetUpPictureWindow(this, name, title, width, height);
}

void TPictureEditDlg::AddEditItems(std::function<void()> reset) {
  connect(AddToolItem(ToolBar_, "tbiReset", "&Reset"), &QAction::triggered, this, std::move(reset));
  Save_ = AddToolItem(ToolBar_, "tbiSave", "&Save");
  connect(Save_, &QAction::triggered, this, [this] { tbiSaveClick(); });
  SaveAsNew_ = AddToolItem(ToolBar_, "tbiSaveAsNew", "Save as &New Image");
  connect(SaveAsNew_, &QAction::triggered, this, [this] { tbiSaveAsNewClick(); });
  AddExportMenu(ToolBar_, "tbExport", "&Export",
                {{{"tbiBmp", "&BMP"}, {"tbiJpeg", "&JPEG"}, {"tbiPng", "&PNG"}, {"tbiGif", "&GIF"},
                  {"tbiPdf", "P&DF"}}},
                [this](int tag) { tbiExportClick(tag); });
  AddCopyItem(ToolBar_, [this]() -> const TFastDIB& { return Control()->WorkImage(); });
  GoToSource_ = AddGoToSourceItem(ToolBar_, this, GoToSourceChosen);
  connect(AddToolItem(ToolBar_, "tbiClose", "&Close"), &QAction::triggered, this, [this] { close(); });
}

bool TPictureEditDlg::SaveChanges() {
  if (!ImageChanged) return true;
  if (SavePicture) {
    try {
      TBusyCursor busy;
      SavePicture(Control()->WorkImage());
    } catch (const std::exception& error) {
      // Nothing was written: the window stays with the picture.
      ShowException(error, this);
      return false;
    }
  }
  SaveRequested = true;
  ImageChanged = false;
  return true;
}

void TPictureEditDlg::tbiSaveClick() {
  if (SaveChanges()) close();
}

void TPictureEditDlg::tbiSaveAsNewClick() {
  if (!SaveAsNewImage) return;
  try {
    if (!SaveAsNewImage(Control()->WorkImage())) return;
  } catch (const std::exception& error) {
    ShowException(error, this);
    return;
  }
  // The picture is kept as a new image; the original stays as it was.
  ImageChanged = false;
  close();
}

void TPictureEditDlg::tbiExportClick(int tag) {
  if (ExportImageAs) ExportImageAs(tag, this, Control()->WorkImage());
}

void TPictureEditDlg::DisableSaving() {
  DisableSaveItem(ToolBar_, Save_);
  DisableSaveItem(ToolBar_, SaveAsNew_);
}

void TPictureEditDlg::closeEvent(QCloseEvent* event) {
  if (ImageChanged) {
    switch (AskBeforeClosing(this, ImageName, Save_ && Save_->isEnabled())) {
      case TCloseAnswer::Save:
        if (SaveChanges()) break;
        event->ignore();
        return;
      case TCloseAnswer::Discard:
        break;
      case TCloseAnswer::Cancel:
        event->ignore();
        return;
    }
  }
  QDialog::closeEvent(event);
}

void TPictureEditDlg::ShowSource(const QString& source) {
  Source_ = source;
  if (GoToSource_) GoToSource_->setVisible(!source.isEmpty());
  RefreshStatus();
}

}  // namespace kelta
