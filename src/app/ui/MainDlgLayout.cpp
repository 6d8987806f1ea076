// The main window's layout: every control placed for the window's size and
// the library pane's width, the splitter that sets that width, and the
// pictures drawn to the size of their place.
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QToolButton>
#include <QTreeWidget>

#include "app/ui/MainDlg.h"
#include "app/ui/PaneSplitter.h"
#include "app/ui/PositionSlider.h"
#include "common/ui/VideoOutPanel.h"
#include "library/ui/PictureGrid.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

namespace {

QRect Rect(const TBox& box) { return QRect(box.X, box.Y, box.Width, box.Height); }

QPixmap LibraryTitleShade(int width) {
  QPixmap pixmap(std::max(width, 1), 24);
  QPainter p(&pixmap);
  QLinearGradient shade(0, 0, 0, 24);
  shade.setColorAt(0.0, QColor(0x92, 0xA5, 0xB3));
  shade.setColorAt(1.0, QColor(0x6E, 0x82, 0x94));
  p.fillRect(pixmap.rect(), shade);
  return pixmap;
}

// The picture that covers the video panel until a video is shown, drawn at
// the screen's own pixels.
QPixmap MainViewPlaceholder(QSize size, qreal pixelRatio) {
  QPixmap pixmap(size * pixelRatio);
  pixmap.setDevicePixelRatio(pixelRatio);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient shade(0, 0, 0, size.height());
  shade.setColorAt(0.0, QColor(0x3A, 0x44, 0x55));
  shade.setColorAt(1.0, QColor(0x15, 0x19, 0x22));
  p.fillRect(QRect(QPoint(0, 0), size), shade);
  // The drawing of the design size, centred.
  p.translate((size.width() - TVideoOutPanelEx::ImageWidth) / 2, (size.height() - TVideoOutPanelEx::ImageHeight) / 2);
  p.setPen(QPen(QColor(0xB8, 0xC4, 0xD6), 2));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRect(154, 52, 80, 56), 6, 6);
  p.setBrush(QColor(0xB8, 0xC4, 0xD6));
  const QPointF play[3] = {{187, 68}, {187, 92}, {207, 80}};
  p.drawPolygon(play, 3);
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(14);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(0xE8, 0xEC, 0xF2));
  p.drawText(QRect(0, 120, TVideoOutPanelEx::ImageWidth, 24), Qt::AlignCenter,
             QStringLiteral("Open a DVD video to begin"));
  font.setBold(false);
  font.setPixelSize(11);
  p.setFont(font);
  p.setPen(QColor(0xA0, 0xAA, 0xB8));
  p.drawText(QRect(0, 146, TVideoOutPanelEx::ImageWidth, 20), Qt::AlignCenter,
             QStringLiteral("File > Open Video, or the Open Video button"));
  return pixmap;
}

}  // namespace

void TMainDlg::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ApplyLayout();
}

void TMainDlg::SetLibraryWidth(int width) {
  LibraryWidth_ = std::max(width, int(TMainLayout::MinimumLibraryWidth));
  ApplyLayout();
}

void TMainDlg::ApplyLayout() {
  if (Splitter_ == nullptr) {
    auto* splitter = new TPaneSplitter(this);
    auto startWidth = std::make_shared<int>(0);
    splitter->OnDragStart = [this, startWidth] {
      *startWidth = FittedLibraryWidth(width(), LibraryWidth_);
    };
    // Dragging right narrows the pane.
    splitter->OnDrag = [this, startWidth](int movedRight) {
      SetLibraryWidth(FittedLibraryWidth(width(), *startWidth - movedRight));
    };
    Splitter_ = splitter;
  }
  const TMainLayout l = LayOutMainWindow(width(), height(), LibraryWidth_);
  TBXToolbar1->setGeometry(Rect(l.MenuBar));
  ButtonPanel_->setGeometry(Rect(l.ButtonPanel));
  QPushButton* const top[] = {btOpen, btPlay, btPause, btSave, btHelp, btUpdate};
  for (std::size_t i = 0; i < std::size(top); ++i) top[i]->setGeometry(Rect(l.TopButtons[i]));
  ButtonSeparator_->setGeometry(Rect(l.ButtonSeparator));

  FlatPanel1->setGeometry(Rect(l.VideoArea));
  VideoPanel->setGeometry(Rect(l.Picture));
  const QRect picture = VideoPanel->PictureRect();
  if (imgMainView->geometry() != picture || imgMainView->pixmap().devicePixelRatio() != devicePixelRatioF()) {
    imgMainView->setGeometry(picture);
    imgMainView->setPixmap(MainViewPlaceholder(picture.size(), devicePixelRatioF()));
  }
  QPushButton* const frame[] = {btView, btResize, btCrop, btExport};
  for (std::size_t i = 0; i < std::size(frame); ++i) frame[i]->setGeometry(Rect(l.FrameButtons[i]));
  FrameBar->move(l.FrameStrip.X, l.FrameStrip.Y);
  SliderStrip_->setGeometry(Rect(l.SliderStrip));
  Slider->setGeometry(Rect(l.Slider));
  Splitter_->setGeometry(Rect(l.Splitter));
  if (PictureGrid == nullptr) BuildPictureGrid();
  PictureGrid->setGeometry(Rect(l.VideoArea));

  Panel3->setGeometry(Rect(l.LibraryPane));
  if (LibraryTitlePicture_->pixmap().width() != l.LibraryTitle.Width)
    LibraryTitlePicture_->setPixmap(LibraryTitleShade(l.LibraryTitle.Width));
  LibraryTitlePicture_->setGeometry(Rect(l.LibraryTitle));
  Label1->setGeometry(Rect(l.LibraryTitle));
  GridToggle_->setGeometry(Rect(l.GridToggle));
  etSearch->setGeometry(Rect(l.SearchField));
  imageTree->setGeometry(Rect(l.Tree));
  imgThumb->setGeometry(Rect(l.Thumbnail));

  StatusPanel_->setGeometry(Rect(l.StatusBar));
  pbParseVideo->setGeometry(Rect(l.Progress));
  btCancelOpen->setGeometry(Rect(l.CancelOpen));
  FollowOpening();
}

}  // namespace kelta
