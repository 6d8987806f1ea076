#pragma once
// The "Export Video Frame" dialog: writes the current video frame as a
// bitmap, a PDF and two text-art HTML pages into the export folder in one run.

#include <cstdint>
#include <functional>
#include <string>

#include <QDialog>
#include <QStringList>

#include "imaging/FastDIB.h"
#include "output/ExportMetadata.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace kelta {

class TVideoOutPanel;

class TExportDlg : public QDialog {
  Q_OBJECT
 public:
  // programDir is the folder of the program; files go to its "export" folder.
  TExportDlg(std::string programDir, QWidget* parent = nullptr);
  ~TExportDlg() override;

  // Makes the frame with its black bars cut off, the rest in its true shape;
  // false when it has none.
  using TCropBlackBars = std::function<bool(TFastDIB& cropped)>;

  // Creates the dialog for the frame, shows it modally, repaints owner once
  // it has closed, and destroys it.
  static void ShowForFrame(const TFastDIB& frame, std::int64_t position, const std::string& programDir,
                           QWidget* owner, TCropBlackBars cropBlackBars = {}, TExportMetadata metadata = {});

  // Copies the frame, sizes the preview and the form to its proportions and
  // names the files by the file name template from Metadata's source, or
  // after the position without one.
  void PrepareForFrame(const TFastDIB& frame, std::int64_t position);
  // Asked once, when Crop black bars is first checked; without it the frame
  // has no bars to cut.
  TCropBlackBars CropBlackBars;
  // What the PDF says about the frame: where it was captured.
  TExportMetadata Metadata;

  std::string ExportFolder() const;

  // Controls, named as the form's bindings use them.
  QWidget* Panel1 = nullptr;
  QWidget* Panel2 = nullptr;
  TVideoOutPanel* FPreviewPanel = nullptr;
  QLabel* Label1 = nullptr;
  QCheckBox* ckbBmp = nullptr;
  QCheckBox* ckbPdf = nullptr;
  QCheckBox* ckbColorHtml = nullptr;
  QCheckBox* ckbGrayHtml = nullptr;
  // Exports the frame without its black bars, shown so in the preview;
  // unchecked at the start, and disabled with a word when there are none.
  QCheckBox* ckbCropBars = nullptr;
  QLineEdit* etBmp = nullptr;
  QLineEdit* etPdf = nullptr;
  QLineEdit* etColorHtml = nullptr;
  QLineEdit* etGrayHtml = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QPushButton* btCancel = nullptr;
  QPushButton* btOk = nullptr;

  // The frame as it is exported: whole, or with its bars cut off.
  const TFastDIB& Frame() const { return FFrame; }
  const TFastDIB& Preview() const { return FPreview; }
  // The names the last run wrote, in order.
  const QStringList& WrittenFiles() const { return Written_; }

 public slots:
  void btOkClick();
  void btCancelClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Runs the ticked formats in order; false when one stopped the run (or
  // the user would not replace existing files).
  bool RunExport();
  void StepProgress();
  // The paths the ticked formats would write, in order.
  QStringList TickedTargets() const;
  // What the run wrote, and a button that opens the folder.
  void ShowSummary();
  // The frame exported and previewed becomes `frame`; the preview and the
  // form take its proportions.
  void UseFrame(const TFastDIB& frame);
  void ckbCropBarsClick(bool checked);

  std::string ProgramDir_;
  TFastDIB FFrame;
  TFastDIB WholeFrame_;
  // Without its bars once they were looked for; empty when there are none.
  TFastDIB Cropped_;
  bool BarsLookedFor_ = false;
  TFastDIB FPreview;
  QStringList Written_;  // names written by the last run, in order
};

}  // namespace kelta
