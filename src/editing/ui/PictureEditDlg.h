#pragma once
// What the crop and the resize windows share. Neither writes files: "Save"
// records that the opener should write the picture back, the export items
// hand the picture to the export callback, and closing with an unsaved
// change asks first.

#include <functional>

#include <QDialog>
#include <QString>

#include "editing/ui/ImageControl.h"
#include "editing/ui/PictureWindow.h"

class QAction;
class QLabel;
class QToolBar;

namespace kelta {

class TPictureEditDlg : public QDialog {
  Q_OBJECT
 public:
  bool SaveRequested = false;  // closed through "Save" with a changed picture
  bool ImageChanged = false;   // edited since opening or the last reset
  TExportImageAs ExportImageAs;

  TImageControlBox* Box() const { return Box_; }
  TImageControl* Control() const { return Box_->Control(); }
  QToolBar* ToolBar() const { return ToolBar_; }
  QAction* tbiSave() const { return Save_; }
  QLabel* lbStatus() const { return Status_; }

  void tbiSaveClick();
  void tbiExportClick(int tag);

 protected:
  TPictureEditDlg(QWidget* parent, const char* name, const QString& title, int width, int height);

  // After the window's own first item: Reset (calls reset), Save, the export
  // submenu and Close.
  void AddEditItems(std::function<void()> reset);

  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

  TImageControlBox* Box_;
  QToolBar* ToolBar_;
  QAction* Save_ = nullptr;
  QLabel* Status_ = nullptr;
};

}  // namespace kelta
