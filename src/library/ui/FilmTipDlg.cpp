#include "library/ui/FilmTipDlg.h"
#include "common/ui/EscapeCloses.h"
#include "common/ui/DesktopCentre.h"

#include <algorithm>

#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPushButton>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kelta {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->move(x, y);
  label->adjustSize();
  return label;
}

QLabel* MakePicture(QWidget* parent, const QPixmap& picture, int x, int y) {
  auto* label = new QLabel(parent);
  label->setPixmap(picture);
  label->setGeometry(x, y, picture.width(), picture.height());
  return label;
}

}  // namespace

QPixmap TfilmTipDlg::InformationSign(QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const int d = std::min(size.width(), size.height()) - 4;
  const QRectF disc((size.width() - d) / 2.0, (size.height() - d) / 2.0, d, d);
  QRadialGradient shade(disc.center() - QPointF(d / 5.0, d / 5.0), d * 0.75);
  shade.setColorAt(0, QColor(90, 150, 235));
  shade.setColorAt(1, QColor(20, 70, 170));
  p.setPen(QPen(QColor(15, 50, 130), 1));
  p.setBrush(shade);
  p.drawEllipse(disc);
  // The letter i: a dot above a stem.
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  const double cx = disc.center().x();
  const double unit = d / 10.0;
  p.drawEllipse(QPointF(cx, disc.top() + 2.6 * unit), 0.8 * unit, 0.8 * unit);
  p.drawRoundedRect(QRectF(cx - 0.7 * unit, disc.top() + 4.0 * unit, 1.4 * unit, 4.4 * unit), 0.3 * unit,
                    0.3 * unit);
  return pixmap;
}

QPixmap TfilmTipDlg::FileMenuPicture(QSize size, TMenuEntry highlighted) {
  QPixmap pixmap(size);
  pixmap.fill(QColor(0xE7, 0xE7, 0xE7));
  QPainter p(&pixmap);
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(10);
  p.setFont(font);

  // The menu bar with "File" pressed.
  const int barHeight = 16;
  p.fillRect(0, 0, size.width(), barHeight, QColor(0xF4, 0xF4, 0xF4));
  p.setPen(QColor(0xC5, 0xC5, 0xC5));
  p.drawLine(0, barHeight - 1, size.width(), barHeight - 1);
  p.fillRect(2, 1, 30, barHeight - 2, QColor(0xD0, 0xD8, 0xE8));
  p.setPen(QColor(0x68, 0x68, 0x68));
  p.drawText(QRect(2, 1, 30, barHeight - 2), Qt::AlignCenter, QStringLiteral("File"));
  p.drawText(QRect(34, 1, 50, barHeight - 2), Qt::AlignCenter, QStringLiteral("Playback"));
  p.drawText(QRect(86, 1, 34, barHeight - 2), Qt::AlignCenter, QStringLiteral("Tools"));

  // The opened menu, cut off by the picture's lower edge as a screenshot would be.
  const QRect menu(2, barHeight, size.width() - 10, size.height() - barHeight + 4);
  p.fillRect(menu, Qt::white);
  p.setPen(QColor(0xA0, 0xA0, 0xA0));
  p.drawRect(menu.adjusted(0, 0, -1, 0));
  p.fillRect(menu.left() + 1, menu.top() + 1, 18, menu.height(), QColor(0xEE, 0xEE, 0xEE));

  struct Entry {
    const char* text;
    int kind;  // 0 item, 1 separator
  };
  const Entry entries[] = {{"Open Video", 0}, {"", 1},     {"New Category", 0}, {"New Film", 0},
                           {"", 1},           {"Delete", 0}, {"Edit", 0},        {"", 1},
                           {"Close", 0}};
  const QString wanted = highlighted == TMenuEntry::NewCategory ? QStringLiteral("New Category")
                                                                  : QStringLiteral("New Film");
  int y = menu.top() + 2;
  for (const Entry& entry : entries) {
    if (y >= size.height()) break;
    if (entry.kind == 1) {
      p.setPen(QColor(0xD0, 0xD0, 0xD0));
      p.drawLine(menu.left() + 22, y + 2, menu.right() - 3, y + 2);
      y += 5;
      continue;
    }
    const QString text = QString::fromLatin1(entry.text);
    const QRect row(menu.left() + 2, y, menu.width() - 4, 14);
    if (text == wanted) {
      p.fillRect(row, QColor(0x31, 0x6A, 0xC5));
      p.setPen(Qt::white);
    } else {
      p.setPen(QColor(0x68, 0x68, 0x68));
    }
    p.drawText(row.adjusted(22, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    y += 14;
  }
  return pixmap;
}

TfilmTipDlg::TfilmTipDlg(QWidget* parent) : QDialog(parent) {
  CloseOnEscape(this);
  setObjectName(QStringLiteral("filmTipDlg"));
  setWindowTitle(QStringLiteral("Information"));
  setFixedSize(442, 350);
  CentreOnDesktopWhenShown(this);
  setModal(true);
  setFont(QFont(QStringLiteral("Tahoma"), 8));
  Image1 = MakePicture(this, InformationSign(QSize(53, 55)), 16, 16);
  Label1 = MakeLabel(this, "Label1", QStringLiteral("Please select a valid FILM name from image library, or"), 96,
                     16);
  Label4 = MakeLabel(this, "Label4", QStringLiteral("You can create a new film by following these steps"), 96, 56);
  Label2 = MakeLabel(this, "Label2", QStringLiteral("Step 1. Click menu FILE->NEW CATEGORY to create a new CATEGORY"),
                     16, 88);
  Image2 = MakePicture(this, FileMenuPicture(QSize(160, 80), TMenuEntry::NewCategory), 16, 112);
  Label3 = MakeLabel(this, "Label3",
                     QStringLiteral("Step 2. Select the category, click menu FILE->NEW FILM to create a new FILM"), 16,
                     208);
  Image3 = MakePicture(this, FileMenuPicture(QSize(153, 95), TMenuEntry::NewFilm), 16, 232);
  // Bottom right, beside the second picture: a person without Escape in mind
  // closes the tip here.
  Close_ = new QPushButton(QStringLiteral("&Close"), this);
  Close_->setObjectName(QStringLiteral("btClose"));
  Close_->setGeometry(width() - 16 - 98, height() - 16 - 32, 98, 32);
  Close_->setDefault(true);
  connect(Close_, &QPushButton::clicked, this, &QDialog::reject);
  FitLines();
}

void TfilmTipDlg::FitLines() {
  // Each line has one text row of room above the next control, so the lines
  // stay unbroken; where the sans-serif fallback runs wider than Tahoma, the
  // font steps down until every line ends inside the right margin, which is
  // as wide as the left one.
  const QList<QLabel*> lines = {Label1, Label4, Label2, Label3};
  const int rightEdge = width() - 16;
  QFont font = this->font();
  auto fits = [&] {
    const QFontMetrics metrics(font);
    for (QLabel* line : lines)
      if (line->x() + metrics.horizontalAdvance(line->text()) >= rightEdge) return false;
    return true;
  };
  while (!fits()) {
    if (font.pointSizeF() > 0) {
      if (font.pointSizeF() <= 6) break;
      font.setPointSizeF(font.pointSizeF() - 0.25);
    } else {
      if (font.pixelSize() <= 8) break;
      font.setPixelSize(font.pixelSize() - 1);
    }
  }
  for (QLabel* line : lines) {
    line->setFont(font);
    line->adjustSize();
  }
}

}  // namespace kelta
