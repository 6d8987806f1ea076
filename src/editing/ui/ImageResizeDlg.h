#pragma once
// The window in which the user gives a library picture or the current video
// frame a new width and height. Every resize resamples from the picture as
// loaded; "Constrain" keeps the proportions of the picture it opened with.

#include <memory>

#include "editing/ui/ImageTools.h"
#include "editing/ui/PictureEditDlg.h"

class QCheckBox;
class QLineEdit;

namespace kelta {

class TimageResizeDlg : public TPictureEditDlg {
  Q_OBJECT
 public:
  explicit TimageResizeDlg(QWidget* parent = nullptr);
  ~TimageResizeDlg() override;

  QLineEdit* WidthEdit() const { return WidthEdit_; }
  QLineEdit* HeightEdit() const { return HeightEdit_; }
  QCheckBox* ckbConstrain() const { return Constrain_; }

  void tbiResizeClick();
  void tbiResetClick();
  void ckbConstrainChange();
  // Typed into the width or the height edit.
  void WidthChanged();
  void HeightChanged();
  void UpdateStatus(int width, int height);
  // Both edits show a size (the opener fills them with the picture's).
  void SetEdits(int width, int height);

 private:
  void RefreshStatus() override;
  static int ValueOf(const QLineEdit* edit);
  // The other side at the proportions "Constrain" keeps.
  int ConstrainedHeight(int width);
  int ConstrainedWidth(int height);

  // Drawn into the box's control; goes before the box, which Qt frees later.
  std::unique_ptr<TImageResizeTool> Tool_;
  QLineEdit* WidthEdit_ = nullptr;
  QLineEdit* HeightEdit_ = nullptr;
  QCheckBox* Constrain_ = nullptr;
};

}  // namespace kelta
