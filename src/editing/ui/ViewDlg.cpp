#include "editing/ui/ViewDlg.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>

#include "common/ui/EscapeCloses.h"
#include "common/ui/PictureClipboard.h"
#include "imaging/Resample.h"
#include "common/ui/VideoOutPanel.h"
#include "common/ui/DesktopCentre.h"

namespace kelta {

TViewDlg::TViewDlg(QWidget* parent)
    : QDialog(parent), Panel_(new TVideoOutPanel(this)), Popup_(new QMenu(this)) {
  CloseOnEscape(this);
  setObjectName("ViewDlg");
  setWindowTitle("View Video Frame");
  setModal(true);
  CentreOnDesktopWhenShown(this);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  setAutoFillBackground(true);
  setFont(QFont("Tahoma", 9));
  setFixedSize(567, 375);

  Popup_->setObjectName("TBXPopupMenu1");
  QMenu* saveTo = Popup_->addMenu("&Save to");
  saveTo->menuAction()->setObjectName("miSaveTo");
  const std::array<TExportItem, 5> items{{{"pmiBmp", "&BMP"}, {"pmiJpg", "&JPEG"}, {"pmiPng", "&PNG"},
                                          {"pmiGif", "&GIF"}, {"pmiPdf", "P&DF"}}};
  for (int tag = 0; tag < 5; ++tag) {
    QAction* item = saveTo->addAction(items[std::size_t(tag)].Caption);
    item->setObjectName(items[std::size_t(tag)].Name);
    item->setData(tag);
    connect(item, &QAction::triggered, this, [this, tag] { pmiExportClick(tag); });
  }
  QAction* copy = Popup_->addAction("Cop&y");
  copy->setObjectName("miCopy");
  copy->setShortcut(QKeySequence::Copy);
  // Ctrl+C works in the window as well as in the menu.
  addAction(copy);
  connect(copy, &QAction::triggered, this, [this] { CopyPictureToClipboard(Frame); });
  Popup_->addSeparator()->setObjectName("TBXSeparatorItem1");
  QAction* closeItem = Popup_->addAction("&Close");
  closeItem->setObjectName("miClose");
  connect(closeItem, &QAction::triggered, this, [this] { close(); });

  Panel_->setGeometry(10, 10, 500, 300);
  Panel_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Panel_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { Popup_->exec(Panel_->mapToGlobal(at)); });
  Panel_->OnPanelDblClick = [this](QObject*) { close(); };
}

void TViewDlg::SetVideoFrame(const TFastDIB& videoFrame, TDisplayAspect aspect) {
  if (aspect.Known()) {
    ToSquarePixels(videoFrame, aspect, Frame);
  } else {
    // Without a known shape the frame is shown in 16:9, whatever its stored proportion.
    const int w = videoFrame.Width();
    Frame.SetSize(w, 9 * w / 16, 24);
    ResampleBilinear(videoFrame, Frame);
  }
  FitToFrame();
}

void TViewDlg::FitToFrame() {
  Panel_->resize(Frame.Width() + 11, Frame.RowCount() + 11);
  setFixedSize(Panel_->geometry().right() + 1 + 10, Panel_->geometry().bottom() + 1 + 10);
  Panel_->Image = &Frame;
  Panel_->update();
}

void TViewDlg::pmiExportClick(int tag) {
  if (ExportImageAs) ExportImageAs(tag, this, Frame);
}

}  // namespace kelta
