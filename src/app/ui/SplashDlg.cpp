#include "app/ui/SplashDlg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace kelta {

QPixmap TSplashDlg::MakePicture() {
  QPixmap pixmap(PictureWidth, PictureHeight);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, PictureHeight);
  sky.setColorAt(0.0, QColor(0x2B, 0x3A, 0x55));
  sky.setColorAt(1.0, QColor(0x0E, 0x14, 0x22));
  p.fillRect(pixmap.rect(), sky);

  // A strip of film frames across the picture, the middle one lit.
  const int frameW = 84;
  const int frameH = 56;
  const int top = 112;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1A, 0x1A, 0x1A));
  p.drawRect(0, top - 14, PictureWidth, frameH + 28);
  p.setBrush(QColor(0xD9, 0xD4, 0xC8));
  for (int x = 6; x < PictureWidth; x += 18) {
    p.drawRoundedRect(x, top - 10, 9, 6, 2, 2);
    p.drawRoundedRect(x, top + frameH + 4, 9, 6, 2, 2);
  }
  for (int i = 0; i < 7; ++i) {
    const QRect cell(6 + i * (frameW + 2), top, frameW, frameH);
    QLinearGradient shade(cell.topLeft(), cell.bottomRight());
    const int lift = (i == 3) ? 70 : 0;
    shade.setColorAt(0.0, QColor(0x5A + lift, 0x78 + lift, 0x9C + lift / 2));
    shade.setColorAt(1.0, QColor(0x23 + lift, 0x33 + lift, 0x4A + lift / 2));
    p.setBrush(shade);
    p.drawRect(cell);
  }
  // A camera-shutter mark on the lit frame.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(255, 255, 255, 220), 3));
  const QPointF centre(6 + 3 * (frameW + 2) + frameW / 2.0, top + frameH / 2.0);
  p.drawEllipse(centre, 17, 17);
  p.drawEllipse(centre, 6, 6);

  QFont title(QStringLiteral("Tahoma"));
  title.setPixelSize(54);
  title.setBold(true);
  p.setFont(title);
  p.setPen(QColor(0xF2, 0xF2, 0xF2));
  p.drawText(QRect(24, 18, 400, 70), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kelta"));
  QFont subtitle(QStringLiteral("Tahoma"));
  subtitle.setPixelSize(15);
  p.setFont(subtitle);
  p.setPen(QColor(0xB8, 0xC4, 0xD6));
  p.drawText(QRect(200, 40, 380, 40), Qt::AlignRight | Qt::AlignVCenter,
             QStringLiteral("Still images from DVD video"));
  p.drawText(QRect(24, 186, 552, 24), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("v3.0.1.0"));
  return pixmap;
}

TSplashDlg::TSplashDlg(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("SplashDlg"));
  setFixedSize(PictureWidth, PictureHeight);
  Image1_ = new QLabel(this);
  Image1_->setObjectName(QStringLiteral("Image1"));
  Image1_->setGeometry(0, 0, PictureWidth, PictureHeight);
  Image1_->setPixmap(MakePicture());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect desk = screen->geometry();
    move(desk.x() + (desk.width() - PictureWidth) / 2, desk.y() + (desk.height() - PictureHeight) / 2);
  }
  qApp->installEventFilter(this);
}

bool TSplashDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched != this && watched->isWidgetType()) {
    const auto* shown = static_cast<QWidget*>(watched);
    if (shown->isWindow() && shown->isModal()) hide();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kelta
