#include "library/ui/SaveImageDlg.h"

#include <algorithm>
#include <array>
#include <exception>
#include <utility>

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

#include "common/ui/BusyCursor.h"
#include "common/ui/DesktopCentre.h"
#include "common/ui/ShowException.h"
#include "common/ui/VideoOutPanel.h"
#include "imaging/ImageAdjust.h"
#include "imaging/Resample.h"
#include "library/AspectChoice.h"
#include "library/ImageSaveManager.h"

namespace kelta {

namespace {

// The aspect choices' box, wide enough for the longest caption with room to
// spare for a wider fallback font; the adjustments' box beside it.
constexpr int AspectBoxWidth = 224;
constexpr int AdjustBoxWidth = 526;
constexpr int ChoicesHeight = 206;
constexpr int ClientWidth = 8 + AspectBoxWidth + 8 + AdjustBoxWidth + 8;
constexpr int ClientHeight = 661;

}  // namespace

TSaveImageDlg::TSaveImageDlg(QWidget* parent) : QDialog(parent) {
  // FormCreate: the controls, the preview panel and the three empty buffers.
  setObjectName(QStringLiteral("SaveImageDlg"));
  setWindowTitle(QStringLiteral("Save to Image Library"));
  CentreOnDesktopWhenShown(this);
  setFixedSize(ClientWidth, ClientHeight);
  setModal(true);

  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(0, 0, ClientWidth, 226);
  Panel1->setAutoFillBackground(true);
  QPalette white = Panel1->palette();
  white.setColor(QPalette::Window, Qt::white);
  Panel1->setPalette(white);
  PreviewPanel = new TVideoOutPanel(Panel1);
  PreviewPanel->setGeometry((Panel1->width() - 367) / 2, (Panel1->height() - 206) / 2, 367, 206);
  PreviewPanel->Image = &AdjustedPreview;

  GroupBox1 = new QGroupBox(QStringLiteral("Aspect Ratio"), this);
  GroupBox1->setGeometry(8, 234, AspectBoxWidth, ChoicesHeight);
  rbOriginal = new QRadioButton(QStringLiteral("Original"), GroupBox1);
  rb43 = new QRadioButton(QStringLiteral("1.33:1 (4:3)"), GroupBox1);
  rb169 = new QRadioButton(QStringLiteral("1.78:1 (16:9)"), GroupBox1);
  rb1851 = new QRadioButton(QStringLiteral("1.85:1"), GroupBox1);
  Square_ = new QRadioButton(QStringLiteral("Square pixels"), GroupBox1);
  SquareItu_ = new QRadioButton(QStringLiteral("Square pixels (ITU, 704 active)"), GroupBox1);
  SquareItu_->setToolTip(
      QStringLiteral("Square pixels with the picture taken as the middle 704 of 720 columns, as broadcast "
                     "video defines it: every column kept, 1048 x 576 for 16:9 PAL"));
  int y = 22;
  for (QRadioButton* rb : AspectButtons()) {
    rb->setGeometry(14, y, AspectBoxWidth - 24, 22);
    y += 25;
  }
  // Before a picture is known: the choice that keeps every line of any frame.
  Square_->setChecked(true);
  for (QRadioButton* rb : AspectButtons())
    connect(rb, &QRadioButton::toggled, this, [this](bool checked) {
      if (checked) AspectChange();
    });
  ckCropBars = new QCheckBox(QStringLiteral("Crop black bars"), GroupBox1);
  ckCropBars->setObjectName(QStringLiteral("ckCropBars"));
  ckCropBars->setGeometry(14, y, AspectBoxWidth - 24, 22);
  ckCropBars->setToolTip(QStringLiteral(
      "Cuts off the black bars above and below a wide film, or beside a narrow one, found from this frame "
      "and the frames near it; the aspect ratio then shapes what remains"));
  connect(ckCropBars, &QCheckBox::toggled, this, [this](bool checked) { ckCropBarsClick(checked); });

  // Qt shows "&&" as one ampersand, as the caption means.
  GroupBox2 = new QGroupBox(QStringLiteral("Lightness && Contrast"), this);
  GroupBox2->setGeometry(AspectBoxWidth + 16, 234, AdjustBoxWidth, ChoicesHeight);
  tbLightness = AddTrackBar(QStringLiteral("Lightness"), 0, 0, -255, 255, 0, lbLightness);
  tbContrast = AddTrackBar(QStringLiteral("Contrast"), 0, 1, -128, 128, 0, lbContrast);
  tbSaturation = AddTrackBar(QStringLiteral("Saturation"), 0, 2, 0, 510, 255, lbSaturation);
  tbRed = AddTrackBar(QStringLiteral("Red"), 1, 0, -255, 255, 0, lbRed);
  tbGreen = AddTrackBar(QStringLiteral("Green"), 1, 1, -255, 255, 0, lbGreen);
  tbBlue = AddTrackBar(QStringLiteral("Blue"), 1, 2, -255, 255, 0, lbBlue);
  btReset = new QPushButton(QStringLiteral("Reset"), GroupBox2);
  btReset->setGeometry(AdjustBoxWidth - 12 - 98, ChoicesHeight - 12 - 28, 98, 28);
  btReset->setAutoDefault(false);
  connect(btReset, &QPushButton::clicked, this, [this] { btResetClick(); });

  GroupBox4 = new QGroupBox(QStringLiteral("Name"), this);
  // Below the choices: the name and the film side by side, the memo under them.
  const int halfWidth = (ClientWidth - 24) / 2;
  const int belowChoices = 234 + ChoicesHeight + 6;
  GroupBox4->setGeometry(8, belowChoices, halfWidth, 56);
  etName = new QLineEdit(GroupBox4);
  etName->setObjectName(QStringLiteral("etName"));
  etName->setGeometry(10, 22, halfWidth - 20, 24);
  connect(etName, &QLineEdit::returnPressed, this, [this] { btOkClick(); });

  GroupBox5 = new QGroupBox(QStringLiteral("Film"), this);
  GroupBox5->setGeometry(16 + halfWidth, belowChoices, halfWidth, 56);
  GroupBox5->setEnabled(false);
  etFilm = new QLineEdit(GroupBox5);
  etFilm->setObjectName(QStringLiteral("etFilm"));
  etFilm->setGeometry(10, 22, halfWidth - 20, 24);

  GroupBox3 = new QGroupBox(QStringLiteral("Memo"), this);
  GroupBox3->setGeometry(8, belowChoices + 62, ClientWidth - 16, 100);
  moMemo = new QPlainTextEdit(GroupBox3);
  moMemo->setObjectName(QStringLiteral("moMemo"));
  moMemo->setGeometry(10, 20, ClientWidth - 36, 70);
  moMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  moMemo->setTabChangesFocus(true);

  AddOkCancel(this, QRect(ClientWidth - 8 - 98, ClientHeight - 8 - 32 - 3, 98, 32),
              QRect(ClientWidth - 8 - 98 - 8 - 98, ClientHeight - 8 - 32 - 3, 98, 32), btOk, btCancel,
              [this] { btOkClick(); }, [this] { btCancelClick(); });
  lbStill = new QLabel(this);
  lbStill->setObjectName(QStringLiteral("lbStill"));
  lbStill->setGeometry(8, ClientHeight - 8 - 32 - 3, ClientWidth - 8 - 2 * (98 + 8) - 8, 32);
  lbStill->hide();
  etName->setFocus();
}

void TSaveImageDlg::SetStillText(const QString& text) {
  lbStill->setText(QStringLiteral("Frame: ") + text);
  lbStill->setVisible(!text.isEmpty());
}

// FormDestroy: the buffers are members and go with the dialog.
TSaveImageDlg::~TSaveImageDlg() = default;

QSlider* TSaveImageDlg::AddTrackBar(const QString& caption, int column, int row, int minimum, int maximum,
                                    int start, QLabel*& valueLabel) {
  const int left = 12 + column * 256;
  const int top = 24 + row * 32;
  auto* label = new QLabel(caption, GroupBox2);
  label->setGeometry(left, top, 62, 22);
  auto* bar = new QSlider(Qt::Horizontal, GroupBox2);
  bar->setGeometry(left + 64, top, 140, 22);
  bar->setRange(minimum, maximum);
  bar->setValue(start);
  bar->setPageStep(16);
  valueLabel = new QLabel(QString::number(start), GroupBox2);
  valueLabel->setGeometry(left + 206, top, 36, 22);
  valueLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  connect(bar, &QSlider::valueChanged, this, [this] { tbLightnessChange(); });
  return bar;
}

void TSaveImageDlg::SetPicture(const TFastDIB& frame, TDisplayAspect aspect) {
  Picture.SetSize(frame.Width(), frame.Height(), std::uint8_t(frame.BitCount()));
  if (Picture.Empty() || Picture.ImageSize() != frame.ImageSize()) return;
  std::copy_n(frame.Bits(), frame.ImageSize(), Picture.Bits());
  PictureAspect_ = aspect;
  // Bars are those of this picture, looked for when asked.
  BarsArea_.reset();
  {
    const QSignalBlocker quiet(ckCropBars);
    ckCropBars->setChecked(false);
  }
  ckCropBars->setEnabled(true);
  ckCropBars->setText(QStringLiteral("Crop black bars"));
  StartPreference_ = AspectFile.empty() ? TAspectPreference::SquarePixels : LoadAspectPreference(AspectFile);
  QRadioButton* matching =
      AspectButton(PreferredAspectChoice(StartPreference_, Picture.Width(), Picture.RowCount(), aspect));
  // Checking the button that is checked already previews nothing by itself.
  if (matching->isChecked())
    AspectChange();
  else
    matching->setChecked(true);
}

std::array<QRadioButton*, 6> TSaveImageDlg::AspectButtons() const {
  return {rbOriginal, rb43, rb169, rb1851, Square_, SquareItu_};
}

QRadioButton* TSaveImageDlg::AspectButton(TAspectRatio aspect) const {
  switch (aspect) {
    case TAspectRatio::AsCaptured:
      return rbOriginal;
    case TAspectRatio::Ratio4x3:
      return rb43;
    case TAspectRatio::Ratio185:
      return rb1851;
    case TAspectRatio::SquarePixels:
      return Square_;
    case TAspectRatio::SquarePixelsItu:
      return SquareItu_;
    case TAspectRatio::Ratio16x9:
    default:
      return rb169;
  }
}

TAspectRatio TSaveImageDlg::ChosenAspect() const {
  for (TAspectRatio aspect : {TAspectRatio::AsCaptured, TAspectRatio::Ratio4x3, TAspectRatio::Ratio16x9,
                              TAspectRatio::Ratio185, TAspectRatio::SquarePixels, TAspectRatio::SquarePixelsItu})
    if (AspectButton(aspect)->isChecked()) return aspect;
  return TAspectRatio::AsCaptured;
}

void TSaveImageDlg::RememberAspect() {
  if (AspectFile.empty() || Picture.Empty()) return;
  const TAspectPreference preference =
      PreferenceOfChoice(ChosenAspect(), Picture.Width(), Picture.RowCount(), PictureAspect_);
  if (preference == StartPreference_) return;
  try {
    SaveAspectPreference(AspectFile, preference);
  } catch (const std::exception&) {
    // Only the preselection of the next save is lost; this one goes on.
  }
}

void TSaveImageDlg::AspectChange() {
  if (Picture.Empty()) return;
  TFastDIB shaped;
  const TFastDIB& stored =
      TimageSaveManager::ShapePicture(Picture, ChosenAspect(), PictureAspect_, shaped, KeptArea());
  Preview.SetSize(PreviewWidth, PreviewHeight, 24);
  Preview.Fill(TBGRColor{0, 0, 0});
  // The stored picture has square pixels: its size is its shape.
  PreviewArea_ = LetterboxRect(PreviewWidth, PreviewHeight, TDisplayAspect{stored.Width(), stored.RowCount()});
  ResampleBilinearInto(stored, Preview, PreviewArea_);
  tbLightnessChange();
}

TRect TSaveImageDlg::KeptArea() const {
  if (!ckCropBars->isChecked() || !BarsArea_) return {};
  return *BarsArea_;
}

void TSaveImageDlg::ckCropBarsClick(bool checked) {
  if (checked && !BarsArea_ && !Picture.Empty()) {
    TBusyCursor busy;
    BarsArea_ = FindPictureArea ? FindPictureArea() : TRect{};
  }
  const TRect whole{0, 0, Picture.Width(), Picture.RowCount()};
  if (checked && BarsArea_ && (*BarsArea_ == whole || BarsArea_->WidthOf() <= 0 || BarsArea_->HeightOf() <= 0)) {
    // Nothing to cut: said on the box, which has nothing more to offer.
    const QSignalBlocker quiet(ckCropBars);
    ckCropBars->setChecked(false);
    ckCropBars->setEnabled(false);
    ckCropBars->setText(QStringLiteral("Crop black bars (none found)"));
    BarsArea_ = whole;
    return;
  }
  AspectChange();
}

void TSaveImageDlg::tbLightnessChange() {
  // The preview shows what the store will write: the same adjustments in the
  // same order, on the picture and not on the bars beside it.
  AdjustedPreview.SetSize(Preview.Width(), Preview.Height(), 24);
  if (!Preview.Empty() && !AdjustedPreview.Empty()) {
    std::copy_n(Preview.Bits(), Preview.ImageSize(), AdjustedPreview.Bits());
    const TRect area{std::max(PreviewArea_.Left, 0), std::max(PreviewArea_.Top, 0),
                     std::min(PreviewArea_.Right, Preview.Width()), std::min(PreviewArea_.Bottom, Preview.RowCount())};
    TFastDIB picture;
    picture.SetSize(area.WidthOf(), area.HeightOf(), 24);
    if (!picture.Empty()) {
      Preview.DrawRegion(picture, 0, 0, area.WidthOf(), area.HeightOf(), area.Left, area.Top);
      ApplyAdjustments(picture, tbLightness->value(), tbContrast->value(), tbSaturation->value(), tbRed->value(),
                       tbGreen->value(), tbBlue->value());
      picture.Draw(AdjustedPreview, area.Left, area.Top);
    }
  }
  const std::pair<QSlider*, QLabel*> shown[] = {{tbLightness, lbLightness}, {tbContrast, lbContrast},
                                                 {tbSaturation, lbSaturation}, {tbRed, lbRed},
                                                 {tbGreen, lbGreen},           {tbBlue, lbBlue}};
  for (const auto& [bar, label] : shown) label->setText(QString::number(bar->value()));
  PreviewPanel->update();
}

void TSaveImageDlg::btResetClick() {
  tbLightness->setValue(0);
  tbContrast->setValue(0);
  tbSaturation->setValue(255);
  tbRed->setValue(0);
  tbGreen->setValue(0);
  tbBlue->setValue(0);
  TakeAdjustments();
}

void TSaveImageDlg::TakeAdjustments() {
  Options.Lightness = tbLightness->value();
  Options.Contrast = tbContrast->value();
  Options.Saturation = tbSaturation->value();
  Options.Red = tbRed->value();
  Options.Green = tbGreen->value();
  Options.Blue = tbBlue->value();
}

void TSaveImageDlg::btOkClick() {
  if (!CheckName(this, etName, NameTaken, QStringLiteral("Please input a valid image name!"),
                 QStringLiteral("An image with this name already exists in this film!"))) {
    etName->setFocus();
    return;
  }
  TakeAdjustments();
  Options.AspectRatio = ChosenAspect();
  Options.Kept = KeptArea();
  Options.Name = etName->text().toStdU16String();
  Options.Memo = moMemo->toPlainText().toStdU16String();
  if (StorePicture) {
    TFastDIB picture;
    picture.SetSize(Picture.Width(), Picture.Height(), std::uint8_t(Picture.BitCount()));
    if (!picture.Empty() && picture.ImageSize() == Picture.ImageSize())
      std::copy_n(Picture.Bits(), Picture.ImageSize(), picture.Bits());
    try {
      // The wait cursor goes before a message shows.
      TBusyCursor busy;
      StorePicture(picture, Options);
    } catch (const std::exception& error) {
      ShowException(error, this);
      return;
    }
  }
  RememberAspect();
  Accepted = true;
  done(QDialog::Accepted);
}

void TSaveImageDlg::btCancelClick() { done(QDialog::Rejected); }

void TSaveImageDlg::keyPressEvent(QKeyEvent* event) {
  // The sliders leave Return to the dialog: it presses Ok, as in the name edit.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && qobject_cast<QSlider*>(focusWidget())) {
    btOkClick();
    return;
  }
  if (HandleNameDialogKey(event, [this] { btCancelClick(); })) return;
  QDialog::keyPressEvent(event);
}

}  // namespace kelta
