#pragma once
// What the crop and the resize windows share: "Save" writes the picture back
// through the opener's callback, "Save as New Image" hands it to the opener
// to add beside the original, the export items hand it to the export
// callback, "Copy" puts it on the clipboard, and closing with an unsaved
// change asks whether to save it first. A save that fails is reported and
// keeps the window open with the picture.

#include <functional>

#include <QDialog>
#include <QString>

#include "editing/ui/ImageControl.h"
#include "editing/ui/PictureWindow.h"

class QAction;
class QLabel;
class QToolBar;

namespace kelta {

// Writes the picture back to where it came from; throws when it cannot.
using TSavePicture = std::function<void(const TFastDIB& picture)>;
// Adds the picture as a new library image; false when the user cancelled,
// throws when it cannot be stored.
using TSaveAsNewImage = std::function<bool(const TFastDIB& picture)>;

class TPictureEditDlg : public QDialog {
  Q_OBJECT
 public:
  bool SaveRequested = false;  // closed through "Save" with a changed picture, written
  bool ImageChanged = false;   // edited since opening or the last reset
  TExportImageAs ExportImageAs;
  TSavePicture SavePicture;
  TSaveAsNewImage SaveAsNewImage;
  QString ImageName;  // the picture's name: in the question before closing (and the crop status line)
  // Closed through Go to Source: the opener goes to the picture's source.
  bool GoToSourceChosen = false;
  // Where the picture came from, at the end of the status line; Go to
  // Source shows only when there is one.
  void ShowSource(const QString& source);
  QAction* tbiGoToSource() const { return GoToSource_; }

  TImageControlBox* Box() const { return Box_; }
  TImageControl* Control() const { return Box_->Control(); }
  QToolBar* ToolBar() const { return ToolBar_; }
  QAction* tbiSave() const { return Save_; }
  QAction* tbiSaveAsNew() const { return SaveAsNew_; }
  QLabel* lbStatus() const { return Status_; }

  void tbiSaveClick();
  void tbiSaveAsNewClick();
  void tbiExportClick(int tag);
  // A picture that is no library picture (a video frame) has nowhere to be saved.
  void DisableSaving();

 protected:
  TPictureEditDlg(QWidget* parent, const char* name, const QString& title, int width, int height);

  // After the window's own first item: Reset (calls reset), Save, Save as
  // New Image, the export submenu, Copy and Close.
  void AddEditItems(std::function<void()> reset);

  void closeEvent(QCloseEvent* event) override;

  // Writes a changed picture back (see tbiSaveClick); false, with the error
  // shown, when it cannot be written.
  bool SaveChanges();

  TImageControlBox* Box_;
  QToolBar* ToolBar_;
  QAction* Save_ = nullptr;
  QAction* SaveAsNew_ = nullptr;
  QLabel* Status_ = nullptr;
  QAction* GoToSource_ = nullptr;
  QString Source_;
  // The status line's text is the window's own; the source follows it.
  virtual void RefreshStatus() = 0;
};

}  // namespace kelta
