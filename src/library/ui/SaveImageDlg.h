#pragma once
// "Save to Image Library": previews the frame to be stored with the chosen
// adjustments, and asks for the aspect ratio, whether to cut off black bars,
// the name and the memo. The
// full-size picture is never changed here; the image store applies the
// choices when it writes the files.

#include <array>
#include <filesystem>
#include <functional>
#include <optional>

#include <QDialog>

#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"
#include "library/AspectChoice.h"
#include "library/ImageSaveOptions.h"
#include "library/ui/NameEntry.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QWidget;

namespace kelta {

class TVideoOutPanel;

class TSaveImageDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int PreviewWidth = 356;
  static constexpr int PreviewHeight = 195;

  explicit TSaveImageDlg(QWidget* parent = nullptr);
  ~TSaveImageDlg() override;

  QWidget* Panel1 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QRadioButton* rbOriginal = nullptr;
  QRadioButton* rb43 = nullptr;
  QRadioButton* rb169 = nullptr;
  QRadioButton* rb1851 = nullptr;
  // Cuts off the black bars around a film of another shape than the frame;
  // unchecked at the start. The bars are looked for when it is first checked;
  // when there are none it is unchecked again, disabled, and says so.
  QCheckBox* ckCropBars = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QSlider* tbLightness = nullptr;
  QSlider* tbContrast = nullptr;
  QSlider* tbSaturation = nullptr;
  QSlider* tbRed = nullptr;
  QSlider* tbGreen = nullptr;
  QSlider* tbBlue = nullptr;
  QLabel* lbLightness = nullptr;
  QLabel* lbContrast = nullptr;
  QLabel* lbSaturation = nullptr;
  QLabel* lbRed = nullptr;
  QLabel* lbGreen = nullptr;
  QLabel* lbBlue = nullptr;
  QPushButton* btReset = nullptr;
  QGroupBox* GroupBox4 = nullptr;
  QLineEdit* etName = nullptr;
  QGroupBox* GroupBox5 = nullptr;
  QLineEdit* etFilm = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QPlainTextEdit* moMemo = nullptr;
  QPushButton* btCancel = nullptr;
  QPushButton* btOk = nullptr;
  // Says what was done to the frame to make it a still; hidden when unknown.
  QLabel* lbStill = nullptr;
  void SetStillText(const QString& text);

  QRadioButton* rbSquare() const { return Square_; }
  QRadioButton* rbSquareItu() const { return SquareItu_; }
  // The aspect choices in the order shown.
  std::array<QRadioButton*, 6> AspectButtons() const;

  // The full-size frame to be saved and the shape it is shown at; see SetPicture.
  TFastDIB Picture;
  TDisplayAspect PictureAspect() const { return PictureAspect_; }
  // The user's choices, filled by Ok.
  TImageSaveOptions Options;
  TVideoOutPanel* PreviewPanel = nullptr;
  // 356 x 195: the picture the chosen aspect stores, in its shape with black
  // bars around it, and that with the current adjustments applied (what the
  // panel shows).
  TFastDIB Preview;
  TFastDIB AdjustedPreview;
  bool Accepted = false;

  // Where the user's aspect preference is kept (see SaveAspectPath); set
  // before SetPicture. Empty: square pixels are preselected and nothing is
  // remembered.
  std::filesystem::path AspectFile;

  // Takes a copy of the frame to be saved, checks the aspect choice the
  // user's preference makes for it (square pixels, which keep every line in
  // the shape the frame is shown at, until another one is picked), and
  // previews it.
  void SetPicture(const TFastDIB& frame, TDisplayAspect aspect);
  // The aspect of the checked choice.
  TAspectRatio ChosenAspect() const;

  // Optional: the part of the frame inside its black bars (see
  // AreaInsideBlackBars), asked once, when Crop black bars is first checked;
  // without it the frame has none.
  std::function<TRect()> FindPictureArea;
  // The part of Picture that is stored: inside the bars when they are cut
  // off, else empty (all of it).
  TRect KeptArea() const;

  // Optional: answers whether an image of that name already is in the film;
  // such a name is refused with the dialog kept open.
  TNameTaken NameTaken;
  // Optional: stores the picture with the choices made, while the dialog is
  // still open; the picture is a fresh copy of the frame, the store's to
  // change. When it throws, the error is shown and the dialog stays open with
  // everything typed and chosen, for another try.
  std::function<void(TFastDIB& picture, const TImageSaveOptions& options)> StorePicture;

  void tbLightnessChange();
  // Any aspect choice or crop: Preview shows what the store will write for it.
  void AspectChange();
  void ckCropBarsClick(bool checked);
  void btResetClick();
  void btOkClick();
  void btCancelClick();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QRadioButton* Square_ = nullptr;
  QRadioButton* SquareItu_ = nullptr;
  TDisplayAspect PictureAspect_;
  // The preference the dialog opened with; Ok keeps another one.
  TAspectPreference StartPreference_ = TAspectPreference::SquarePixels;
  // Inside the black bars, once looked for; the whole picture when it has none.
  std::optional<TRect> BarsArea_;
  // Where the picture lies in Preview; the adjustments leave the bars black.
  TRect PreviewArea_{0, 0, PreviewWidth, PreviewHeight};

  QSlider* AddTrackBar(const QString& caption, int column, int row, int minimum, int maximum, int start,
                       QLabel*& valueLabel);
  // The sliders' values into Options.
  void TakeAdjustments();
  QRadioButton* AspectButton(TAspectRatio aspect) const;
  // Keeps the preference the chosen aspect expresses when it is another one.
  void RememberAspect();
};

}  // namespace kelta
