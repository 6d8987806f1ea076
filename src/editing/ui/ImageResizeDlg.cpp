#include "editing/ui/ImageResizeDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QToolBar>

#include "common/ui/BusyCursor.h"

namespace kelta {

namespace {
QLineEdit* MakeSizeEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setMaxLength(5);
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}"), edit));
  QFont font("Tahoma", 7);
  font.setBold(true);
  edit->setFont(font);
  edit->setFixedSize(45, 16);
  edit->setFrame(false);
  edit->setStyleSheet("QLineEdit { color: rgb(128,128,128); border: 1px solid rgb(128,128,128);"
                      " background: white; padding: 0px 1px; }");
  return edit;
}
}  // namespace

TimageResizeDlg::TimageResizeDlg(QWidget* parent)
    : TPictureEditDlg(parent, "imageResizeDlg", "Resize Image", 798, 598),
      Tool_(std::make_unique<TImageResizeTool>(Box_->Control())) {
  connect(AddToolItem(ToolBar_, "tbiResize", "Resi&ze"), &QAction::triggered, this, [this] { tbiResizeClick(); });
  AddEditItems([this] { tbiResetClick(); });
  ToolBar_->addSeparator()->setObjectName("TBXSeparatorItem1");
  Constrain_ = new QCheckBox("Constrain", ToolBar_);
  Constrain_->setObjectName("ckbConstrain");
  Constrain_->setToolTip("Constrain Protortions");
  Constrain_->setChecked(true);
  Constrain_->setFocusPolicy(Qt::NoFocus);
  ToolBar_->addWidget(Constrain_)->setObjectName("TBControlItem1");
  connect(Constrain_, &QCheckBox::toggled, this, [this] { ckbConstrainChange(); });

  auto* sizePanel = new QWidget(this);
  sizePanel->setObjectName("lpToolbar");
  sizePanel->setFixedHeight(24);
  auto* sizeRow = new QHBoxLayout(sizePanel);
  sizeRow->setContentsMargins(8, 0, 0, 0);
  sizeRow->setSpacing(8);
  auto* widthLabel = new QLabel("Width", sizePanel);
  widthLabel->setObjectName("lbWidth");
  auto* heightLabel = new QLabel("Height", sizePanel);
  heightLabel->setObjectName("lbHeight");
  WidthEdit_ = MakeSizeEdit(sizePanel, "WidthEdit");
  HeightEdit_ = MakeSizeEdit(sizePanel, "HeightEdit");
  sizeRow->addWidget(widthLabel);
  sizeRow->addWidget(WidthEdit_);
  sizeRow->addWidget(heightLabel);
  sizeRow->addWidget(HeightEdit_);
  sizeRow->addStretch(1);
  // Only what the user types drives the other edit; filling the edits in code does not.
  connect(WidthEdit_, &QLineEdit::textEdited, this, [this] { WidthChanged(); });
  connect(HeightEdit_, &QLineEdit::textEdited, this, [this] { HeightChanged(); });

  StackPictureWindow(this, {ToolBar_, sizePanel}, Box_, 783, &Status_);
}

TimageResizeDlg::~TimageResizeDlg() = default;

int TimageResizeDlg::ValueOf(const QLineEdit* edit) { return edit->text().toInt(); }

void TimageResizeDlg::SetEdits(int width, int height) {
  WidthEdit_->setText(QString::number(width));
  HeightEdit_->setText(QString::number(height));
}

void TimageResizeDlg::tbiResizeClick() {
  const TFastDIB& work = Control()->WorkImage();
  if (work.Width() == 0 || work.RowCount() == 0) return;
  const int w = ValueOf(WidthEdit_);
  const int h = Constrain_->isChecked() ? ConstrainedHeight(w) : ValueOf(HeightEdit_);
  try {
    TBusyCursor busy;
    if (!Tool_->Resize(w, h)) return;
  } catch (const EResizeRefused& refused) {
    // Refused in the window: the picture and the sizes typed stay for another try.
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), QString::fromStdString(refused.what()),
                    QMessageBox::Ok, this);
    box.exec();
    return;
  }
  ImageChanged = true;
  UpdateStatus(w, h);
}

void TimageResizeDlg::tbiResetClick() {
  Tool_->Revert();
  const TFastDIB& work = Control()->WorkImage();
  SetEdits(work.Width(), work.RowCount());
  ImageChanged = false;
  UpdateStatus(work.Width(), work.RowCount());
}

// The proportions kept are those of the picture the window opened with: a
// resized picture has its sides rounded, and one resized to a sliver (1 x 1,
// say) has lost them altogether.
int TimageResizeDlg::ConstrainedHeight(int width) {
  const TFastDIB& opened = Control()->LoadedImage();
  return ConstrainedSide(width, opened.RowCount(), opened.Width());
}

int TimageResizeDlg::ConstrainedWidth(int height) {
  const TFastDIB& opened = Control()->LoadedImage();
  return ConstrainedSide(height, opened.Width(), opened.RowCount());
}

void TimageResizeDlg::ckbConstrainChange() {
  if (!Constrain_->isChecked() || Control()->LoadedImage().Width() <= 0) return;
  HeightEdit_->setText(QString::number(ConstrainedHeight(ValueOf(WidthEdit_))));
}

void TimageResizeDlg::WidthChanged() {
  if (!Constrain_->isChecked() || Control()->LoadedImage().Width() <= 0) return;
  HeightEdit_->setText(QString::number(ConstrainedHeight(ValueOf(WidthEdit_))));
}

void TimageResizeDlg::HeightChanged() {
  if (!Constrain_->isChecked() || Control()->LoadedImage().RowCount() <= 0) return;
  WidthEdit_->setText(QString::number(ConstrainedWidth(ValueOf(HeightEdit_))));
}

void TimageResizeDlg::UpdateStatus(int width, int height) {
  const TFastDIB& loaded = Control()->LoadedImage();
  Status_->setText(WithSource(QString("Original: [%1x%2] - Resize: [%3x%4]")
                                  .arg(loaded.Width())
                                  .arg(loaded.RowCount())
                                  .arg(width)
                                  .arg(height),
                              Source_));
}

void TimageResizeDlg::RefreshStatus() {
  const TFastDIB& work = Control()->WorkImage();
  UpdateStatus(work.Width(), work.RowCount());
}

}  // namespace kelta
