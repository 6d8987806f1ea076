#pragma once
// The window in which the user crops a library picture or the current video
// frame. It writes no files: "Save" records that the opener should write the
// picture back, and the export items hand the picture to the export callback.

#include <QDialog>
#include <QString>

#include "editing/ui/ImageControl.h"
#include "editing/ui/ImageTools.h"
#include "editing/ui/PictureWindow.h"

class QAction;
class QLabel;
class QToolBar;

namespace kelta {

class TimageCropDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TimageCropDlg(QWidget* parent = nullptr);
  ~TimageCropDlg() override;

  bool SaveRequested = false;  // closed through "Save" with a changed picture
  QString ImageName;           // shown in the status line
  bool ImageChanged = false;   // a crop was made since opening or the last reset
  TExportImageAs ExportImageAs;

  TImageControlBox* Box() const { return Box_; }
  TImageControl* Control() const { return Box_->Control(); }
  TImageCropTool* Tool() const { return Tool_; }
  QToolBar* ToolBar() const { return ToolBar_; }
  QAction* tbiSave() const { return Save_; }
  QLabel* lbStatus() const { return Status_; }

  void tbiCropClick();
  void tbiResetClick();
  void tbiSaveClick();
  void tbiExportClick(int tag);
  void UpdateStatus();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  TImageControlBox* Box_;
  TImageCropTool* Tool_;
  QToolBar* ToolBar_;
  QAction* Save_ = nullptr;
  QLabel* Status_ = nullptr;
};

}  // namespace kelta
