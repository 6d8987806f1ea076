#pragma once
// The window in which the user crops a library picture or the current video
// frame.

#include <memory>

#include "editing/ui/ImageTools.h"
#include "editing/ui/PictureEditDlg.h"

namespace kelta {

class TimageCropDlg : public TPictureEditDlg {
  Q_OBJECT
 public:
  explicit TimageCropDlg(QWidget* parent = nullptr);
  ~TimageCropDlg() override;

  TImageCropTool* Tool() const { return Tool_.get(); }

  void tbiCropClick();
  void tbiResetClick();
  void UpdateStatus();
  // The status line with the selection's size and place, while there is one.
  void ShowSelection();

 private:
  void RefreshStatus() override { UpdateStatus(); }
  // Drawn into the box's control; goes before the box, which Qt frees later.
  std::unique_ptr<TImageCropTool> Tool_;
  bool SelectionShown_ = false;
};

}  // namespace kelta
