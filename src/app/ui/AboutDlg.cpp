#include "app/ui/AboutDlg.h"
#include "common/ui/ClickRelease.h"
#include "common/ui/DesktopCentre.h"

#include <QDesktopServices>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QUrl>

namespace kelta {

namespace {

QPixmap BannerPicture() {
  QPixmap pixmap(488, 100);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient shade(0, 0, 488, 100);
  shade.setColorAt(0.0, QColor(0x2B, 0x3A, 0x55));
  shade.setColorAt(1.0, QColor(0x4E, 0x6A, 0x8E));
  p.fillRect(pixmap.rect(), shade);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 40));
  for (int i = 0; i < 6; ++i) p.drawRect(250 + i * 40, 30, 34, 40);
  QFont title(QStringLiteral("Tahoma"));
  title.setPixelSize(36);
  title.setBold(true);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRect(20, 0, 300, 100), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kelta"));
  return pixmap;
}

QLabel* LinkLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setStyleSheet(QStringLiteral("color: #800080; text-decoration: underline;"));
  label->setCursor(Qt::PointingHandCursor);
  return label;
}

}  // namespace

QUrl TaboutDlg::MailLink() {
  return QUrl(QStringLiteral("mailto:%1?subject=KELTA%20SUPPORT").arg(SupportAddress), QUrl::TolerantMode);
}

QUrl TaboutDlg::WebLink() { return QUrl(ProductPage); }

TaboutDlg::TaboutDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("aboutDlg"));
  setWindowTitle(QStringLiteral("About Kelta"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(488, 305);
  CentreOnDesktopWhenShown(this);
  setStyleSheet(QStringLiteral("QDialog#aboutDlg { background: #E7E7E7; }"));

  auto* image1 = new QLabel(this);
  image1->setObjectName(QStringLiteral("Image1"));
  image1->setGeometry(0, 0, 488, 100);
  image1->setPixmap(BannerPicture());

  auto* linePanel = new QFrame(this);
  linePanel->setObjectName(QStringLiteral("LinePanel1"));
  linePanel->setGeometry(0, 100, 488, 205);
  linePanel->setStyleSheet(QStringLiteral("QFrame#LinePanel1 { border: none; border-top: 1px solid #C5C5C5; }"));

  auto* label1 = new QLabel(QStringLiteral("Kelta captures still images from DVD video."), linePanel);
  label1->setObjectName(QStringLiteral("Label1"));
  label1->setStyleSheet(QStringLiteral("color: black;"));
  label1->move(8, 8);

  lbVersion = new QLabel(QStringLiteral("v%1").arg(ProgramVersion), linePanel);
  lbVersion->setObjectName(QStringLiteral("lbVersion"));
  lbVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lbVersion->setGeometry(392, 8, 87, 16);

  lbEmail = LinkLabel(SupportAddress, linePanel);
  lbEmail->setObjectName(QStringLiteral("lbEmail"));
  lbEmail->move(16, 40);
  lbEmail->installEventFilter(this);

  lbWeb = LinkLabel(ProductPage, linePanel);
  lbWeb->setObjectName(QStringLiteral("lbWeb"));
  lbWeb->move(16, 64);
  lbWeb->installEventFilter(this);

  btOk = new QPushButton(QStringLiteral("&Ok"), linePanel);
  btOk->setObjectName(QStringLiteral("btOk"));
  btOk->setGeometry(382, 165, 98, 32);
  btOk->setStyleSheet(QStringLiteral("font-weight: bold; color: #686868;"));
  connect(btOk, &QPushButton::clicked, this, &QDialog::accept);
}

void TaboutDlg::lbEmailClick() { QDesktopServices::openUrl(MailLink()); }
void TaboutDlg::lbWebClick() { QDesktopServices::openUrl(WebLink()); }

bool TaboutDlg::eventFilter(QObject* watched, QEvent* event) {
  if (IsClickRelease(watched, event)) {
    if (watched == lbEmail) lbEmailClick();
    if (watched == lbWeb) lbWebClick();
  }
  return QDialog::eventFilter(watched, event);
}

void TaboutDlg::keyPressEvent(QKeyEvent* event) {
  // Esc closes; every other key does nothing here.
  if (event->key() == Qt::Key_Escape) {
    reject();
    return;
  }
  event->ignore();
}

}  // namespace kelta
