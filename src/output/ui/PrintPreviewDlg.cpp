#include "output/ui/PrintPreviewDlg.h"

#include <QAction>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QKeySequence>
#include <QToolBar>
#include <QVBoxLayout>

#include "imaging/ImageUtils.h"
#include "imaging/ui/DibImage.h"
#include "common/ui/DesktopCentre.h"

namespace kelta {

namespace {

QAction* AddItem(QToolBar* bar, const char* name, const QString& caption) {
  QAction* action = bar->addAction(caption);
  action->setObjectName(name);
  action->setShortcut(QKeySequence::mnemonic(caption));
  return action;
}

}  // namespace

TprintDlg::TprintDlg(QWidget* parent) : QDialog(parent), Preview_(nullptr), ToolBar_(new QToolBar(this)) {
  setObjectName("printDlg");
  setWindowTitle("Print Preview");
  resize(750, 500);
  setModal(true);
  CentreOnDesktopWhenShown(this);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(231, 231, 231));
  setPalette(pal);
  QFont font("Tahoma");
  font.setPixelSize(11);
  setFont(font);

  ToolBar_->setObjectName("TBXToolbar1");
  ToolBar_->setMovable(false);
  ToolBar_->setFloatable(false);
  ToolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  ToolBar_->setStyleSheet(
      "QToolBar { background: rgb(231,231,231); border: none; }"
      "QToolButton { font-family: Tahoma; font-weight: bold; color: rgb(128,128,128); padding: 2px 6px; }"
      "QToolButton:checked { background: rgb(208,208,208); }");
  connect(AddItem(ToolBar_, "tbiPrint", "&Print"), &QAction::triggered, this, [this] { tbiPrintClick(); });
  Text_ = AddItem(ToolBar_, "tbiText", "&Text");
  Text_->setCheckable(true);
  Text_->setChecked(true);
  connect(Text_, &QAction::triggered, this, [this] { tbiTextClick(); });
  connect(AddItem(ToolBar_, "tbiClose", "&Close"), &QAction::triggered, this, [this] { close(); });

  // The preview comes first in the tab order and takes the keys.
  Preview_ = new TmyPreview(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(ToolBar_);
  layout->addWidget(Preview_, 1);
  Preview_->setFocus();
}

void TprintDlg::BuildPage(bool withText) {
  TmyPreview& preview = *Preview_;
  preview.Clear();
  QPainter* canvas = preview.NewPage();
  QFont font("tahoma");
  font.setPointSize(14);
  canvas->setFont(font);
  // Measured against the screen, as the page picture is.
  const QFontMetrics metrics(font, canvas->device());
  const QString name = FViewRecord.Name, memo = FViewRecord.Memo;
  const int nameHeight = metrics.height(), memoHeight = metrics.height();

  TPrintPageGeometry g;
  g.NameHeight = nameHeight;
  g.MemoHeight = memoHeight;
  const int top = withText ? 4 * (nameHeight + memoHeight) : 50;
  const int w = preview.PageWidth() - preview.MarginLeft - preview.MarginRight;
  const TFastDIB* image = FViewRecord.Image;
  if (image && image->Width() > 0 && image->RowCount() > 0) {
    g.Image = QRect(preview.MarginLeft, top, w, int(ScaleHalfEven(w, image->RowCount(), image->Width())));
    canvas->setRenderHint(QPainter::SmoothPixmapTransform);
    canvas->drawImage(g.Image, DibToImage(*image));
  }
  if (withText) {
    // One line each, unchanged; a line wider than the page overhangs both edges equally.
    g.Name = QPoint((preview.PageWidth() - metrics.horizontalAdvance(name)) / 2, nameHeight);
    g.Memo = QPoint((preview.PageWidth() - metrics.horizontalAdvance(memo)) / 2, nameHeight + 2 * memoHeight);
    canvas->setPen(Qt::black);
    canvas->drawText(g.Name + QPoint(0, metrics.ascent()), name);
    canvas->drawText(g.Memo + QPoint(0, metrics.ascent()), memo);
  }
  preview.EndPage();
  Geometry_ = g;
}

void TprintDlg::tbiPrintClick() { Preview_->Print(); }

void TprintDlg::tbiTextClick() { BuildPage(Text_->isChecked()); }

void TprintDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Each opening composes the page afresh.
  if (!Shown_) BuildPage(true);
  Shown_ = true;
}

void TprintDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace kelta
