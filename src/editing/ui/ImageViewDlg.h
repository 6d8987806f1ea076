#pragma once
// The viewer of a library picture: natural size with a white outline, the
// previous and next pictures of the same film (by callback to whoever opened
// it, with the toolbar, A/D and the arrow keys), printing and export.

#include <memory>

#include <functional>

#include <QDialog>

#include "editing/ui/ImageControl.h"
#include "editing/ui/ImageTools.h"
#include "editing/ui/PictureWindow.h"
#include "imaging/ui/ViewRecord.h"

class QLabel;
class QToolBar;

namespace kelta {

class TimageViewDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TimageViewDlg(QWidget* parent = nullptr);
  ~TimageViewDlg() override;

  // Filled and kept current by the opener; Image is the control's WorkImage.
  TViewRecord ViewRecord;
  TExportImageAs ExportImageAs;
  std::function<void()> ShowPreviousImage;
  std::function<void()> ShowNextImage;
  // Closed through Go to Source: the opener goes to the picture's source.
  bool GoToSourceChosen = false;
  // Where the picture shown came from, in the status line after its name;
  // Go to Source shows only when there is one.
  void ShowSource(const QString& source);
  QAction* tbiGoToSource() const { return GoToSource_; }

  TImageControlBox* Box() const { return Box_; }
  TImageControl* Control() const { return Box_->Control(); }
  QToolBar* ToolBar() const { return ToolBar_; }
  QLabel* lbStatus() const { return Status_; }

  void pmiPrintClick();
  void pmiExportClick(int tag);
  void tbiPreClick();
  void tbiNextClick();
  void UpdateStatus();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TImageControlBox* Box_;
  // Drawn into the box's control; goes before the box, which Qt frees later.
  std::unique_ptr<TImageDrawTool> Tool_;
  QToolBar* ToolBar_;
  QLabel* Status_ = nullptr;
  QAction* GoToSource_ = nullptr;
  QString Source_;
};

}  // namespace kelta
