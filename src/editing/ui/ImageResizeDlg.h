#pragma once
// The window in which the user gives a library picture or the current video
// frame a new width and height. Every resize resamples from the picture as
// loaded; "Constrain" keeps the proportions of the picture shown. Like the
// crop window it writes no files.

#include <QDialog>

#include "editing/ui/ImageControl.h"
#include "editing/ui/ImageTools.h"
#include "editing/ui/PictureWindow.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QToolBar;

namespace kelta {

class TimageResizeDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TimageResizeDlg(QWidget* parent = nullptr);
  ~TimageResizeDlg() override;

  bool SaveRequested = false;
  bool ImageChanged = false;
  TExportImageAs ExportImageAs;

  TImageControlBox* Box() const { return Box_; }
  TImageControl* Control() const { return Box_->Control(); }
  QToolBar* ToolBar() const { return ToolBar_; }
  QAction* tbiSave() const { return Save_; }
  QLabel* lbStatus() const { return Status_; }
  QLineEdit* WidthEdit() const { return WidthEdit_; }
  QLineEdit* HeightEdit() const { return HeightEdit_; }
  QCheckBox* ckbConstrain() const { return Constrain_; }

  void tbiResizeClick();
  void tbiResetClick();
  void tbiSaveClick();
  void tbiExportClick(int tag);
  void ckbConstrainChange();
  // Typed into the width or the height edit.
  void WidthChanged();
  void HeightChanged();
  void UpdateStatus(int width, int height);
  // Both edits show a size (the opener fills them with the picture's).
  void SetEdits(int width, int height);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  static int ValueOf(const QLineEdit* edit);

  TImageControlBox* Box_;
  TImageResizeTool* Tool_;
  QToolBar* ToolBar_;
  QAction* Save_ = nullptr;
  QLabel* Status_ = nullptr;
  QLineEdit* WidthEdit_ = nullptr;
  QLineEdit* HeightEdit_ = nullptr;
  QCheckBox* Constrain_ = nullptr;
};

}  // namespace kelta
