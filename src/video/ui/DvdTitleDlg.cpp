#include "video/ui/DvdTitleDlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "video/SubtitleChoice.h"

namespace kelta {

QString DvdDurationText(std::int64_t ms) {
  if (ms < 0) return QStringLiteral("\u2013");
  const std::int64_t seconds = (ms + 500) / 1000;
  return QStringLiteral("%1:%2:%3")
      .arg(seconds / 3600)
      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

namespace {

QString PictureText(const TDvdTitle& title) {
  if (title.Width <= 0 || title.Height <= 0) return QStringLiteral("\u2013");
  return QStringLiteral("%1x%2  %3").arg(title.Width).arg(title.Height).arg(QString::fromStdString(title.Aspect));
}

}  // namespace

TDvdTitleDlg::TDvdTitleDlg(const TDvdDisc& disc, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("DvdTitleDlg"));
  setWindowTitle(QStringLiteral("Open DVD \u2013 %1").arg(QString::fromStdString(disc.VolumeName)));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Choose the title to open:"), this));

  Titles_ = new QTreeWidget(this);
  Titles_->setObjectName(QStringLiteral("Titles"));
  Titles_->setRootIsDecorated(false);
  Titles_->setAllColumnsShowFocus(true);
  Titles_->setHeaderLabels({QStringLiteral("Title"), QStringLiteral("Duration"), QStringLiteral("Chapters"),
                           QStringLiteral("Picture"), QStringLiteral("Subtitles")});
  for (const TDvdTitle& title : disc.Titles) {
    auto* row = new QTreeWidgetItem(Titles_, QStringList{QStringLiteral("Title %1").arg(title.Number),
                                                        DvdDurationText(title.DurationMs),
                                                        QString::number(title.Chapters.size()), PictureText(title),
                                                        QString::fromStdString(SubtitleLanguagesText(title))});
    for (int column = 1; column <= 2; ++column) row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  }
  for (int column = 0; column < Titles_->columnCount(); ++column) Titles_->resizeColumnToContents(column);
  Titles_->header()->setStretchLastSection(true);
  Titles_->setCurrentItem(Titles_->topLevelItem(int(disc.LongestTitle())));
  layout->addWidget(Titles_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Open)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // Enter on a row and a double click open it, as Open does.
  connect(Titles_, &QTreeWidget::itemActivated, this, &QDialog::accept);
  layout->addWidget(buttons);
  Titles_->setFocus();
  resize(520, 260);
}

std::size_t TDvdTitleDlg::Chosen() const {
  const int row = Titles_->indexOfTopLevelItem(Titles_->currentItem());
  return row < 0 ? 0 : std::size_t(row);
}

std::optional<std::size_t> ChooseDvdTitle(const TDvdDisc& disc, QWidget* parent) {
  if (disc.Titles.size() == 1) return 0;
  TDvdTitleDlg dialog(disc, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Chosen();
}

}  // namespace kelta
