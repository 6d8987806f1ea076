#include "video/ui/ActualSizeDlg.h"

#include <algorithm>

#include <QButtonGroup>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include "common/ui/EscapeCloses.h"
#include "video/ActualSizeWindow.h"

namespace kelta {

TActualSizeDlg::TActualSizeDlg(QWidget* parent)
    : QDialog(parent),
      Bar_(new QWidget(this)),
      Fit_(new QPushButton(QStringLiteral("&Fit"), Bar_)),
      ActualSize_(new QPushButton(QStringLiteral("&100 %"), Bar_)),
      Hint_(new QLabel(Bar_)),
      View_(new TFramePixelView(this)) {
  setObjectName(QStringLiteral("ActualSizeDlg"));
  setModal(true);
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  CloseOnEscape(this);

  Bar_->setObjectName(QStringLiteral("ZoomBar"));
  Fit_->setObjectName(QStringLiteral("btFit"));
  Fit_->setToolTip(QStringLiteral("Show the whole frame in its shape (F)"));
  ActualSize_->setObjectName(QStringLiteral("btActualSize"));
  ActualSize_->setToolTip(QStringLiteral("Show the frame's pixels one to one (1)"));
  auto* zooms = new QButtonGroup(this);
  for (QPushButton* button : {ActualSize_, Fit_}) {
    button->setCheckable(true);
    // The view keeps the keyboard: its keys move the frame.
    button->setFocusPolicy(Qt::NoFocus);
    zooms->addButton(button);
  }
  connect(Fit_, &QPushButton::clicked, this, [this] { SetZoom(TFrameZoom::Fit); });
  connect(ActualSize_, &QPushButton::clicked, this, [this] { SetZoom(TFrameZoom::ActualSize); });
  Hint_->setObjectName(QStringLiteral("lbZoomHint"));
  Hint_->setTextFormat(Qt::PlainText);
  // The hint takes the room there is; a small frame's window is not widened for it.
  Hint_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

  auto* bar = new QHBoxLayout(Bar_);
  bar->setContentsMargins(6, 4, 6, 4);
  bar->addWidget(ActualSize_);
  bar->addWidget(Fit_);
  bar->addSpacing(8);
  bar->addWidget(Hint_, 1);

  // Nothing around the view: at 100 % its size is the frame's.
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(Bar_);
  column->addWidget(View_, 1);
  View_->setObjectName(QStringLiteral("FrameView"));
  View_->setFocus(Qt::OtherFocusReason);

  auto zoomKey = [this](Qt::Key key, TFrameZoom zoom) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    connect(shortcut, &QShortcut::activated, this, [this, zoom] { SetZoom(zoom); });
  };
  zoomKey(Qt::Key_F, TFrameZoom::Fit);
  zoomKey(Qt::Key_1, TFrameZoom::ActualSize);
  FollowZoom();
}

void TActualSizeDlg::SetFrame(const TFastDIB& frame, TDisplayAspect aspect, std::int64_t frameNumber) {
  FrameNumber_ = frameNumber;
  View_->SetFrame(frame, aspect);
  SetZoom(TFrameZoom::ActualSize);
  FollowZoom();
  PlaceForFrame();
}

void TActualSizeDlg::SetZoom(TFrameZoom zoom) {
  View_->SetZoom(zoom);
  FollowZoom();
}

void TActualSizeDlg::FollowZoom() {
  const bool fit = View_->Zoom() == TFrameZoom::Fit;
  (fit ? Fit_ : ActualSize_)->setChecked(true);
  const QString frame =
      FrameNumber_ >= 0 ? QStringLiteral("Frame %1").arg(FrameNumber_ + 1) : QStringLiteral("Frame");
  setWindowTitle(fit ? frame + QStringLiteral(", fitted to the window") : frame + QStringLiteral(" at 100 %"));
  const TFastDIB& shown = View_->Frame();
  const QString size = QStringLiteral("%1 x %2 pixels").arg(shown.Width()).arg(shown.RowCount());
  Hint_->setText(fit ? size : size + QStringLiteral(" \u2013 drag or use the arrow keys to move around"));
}

void TActualSizeDlg::PlaceForFrame() {
  const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
  const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  // The frame's pixels are the screen's device pixels.
  const qreal ratio = screen->devicePixelRatio();
  const TFastDIB& frame = View_->Frame();
  const QSize bar = Bar_->sizeHint();
  const TPictureSize content{std::max(LogicalLength(frame.Width(), ratio), bar.width()),
                             LogicalLength(frame.RowCount(), ratio) + bar.height()};
  // The window's frame is known once it shows; before, it is taken to be
  // as wide as its owner's.
  const QWidget* framed = isVisible() ? this : owner != nullptr && owner->isVisible() ? owner : nullptr;
  TWindowMargins decoration;
  if (framed != nullptr) {
    const QRect outer = framed->frameGeometry();
    const QRect inner = framed->geometry();
    decoration = {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                  outer.bottom() - inner.bottom()};
  }
  const QRect work = screen->availableGeometry();
  const TRect place = ActualSizeWindowRect(
      content, TRect{work.left(), work.top(), work.left() + work.width(), work.top() + work.height()}, decoration);
  setGeometry(place.Left, place.Top, place.WidthOf(), place.HeightOf());
}

}  // namespace kelta
