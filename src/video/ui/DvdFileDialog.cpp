#include "video/ui/DvdFileDialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>

#include "video/DvdDisc.h"

namespace kelta {

namespace {

bool IsDvdFolder(const QString& path) {
  return QFileInfo(path).isDir() && !DvdLocation(QFile::encodeName(path).toStdString()).empty();
}

}  // namespace

TDvdFileDialog::TDvdFileDialog(QWidget* parent, const QString& folder)
    : QFileDialog(parent, QStringLiteral("Open DVD"), folder) {
  setObjectName(QStringLiteral("DvdFileDialog"));
  // The choice of a folder needs the dialog's own accept: Qt's dialog, not the desktop's.
  setOption(QFileDialog::DontUseNativeDialog);
  setFileMode(QFileDialog::ExistingFile);
  setAcceptMode(QFileDialog::AcceptOpen);
  // Name filters match in any letter case.
  setNameFilters({QStringLiteral("DVD folders and disc images (*.iso VIDEO_TS.IFO)"), QStringLiteral("ALL Files (*)")});
  Hint_ = new QLabel(this);
  Hint_->setObjectName(QStringLiteral("lbFolderHint"));
  Hint_->setWordWrap(true);
  // Qt's own dialog lays itself out in a grid: the line goes under it all.
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) grid->addWidget(Hint_, grid->rowCount(), 0, 1, -1);
  connect(this, &QFileDialog::directoryEntered, this, &TDvdFileDialog::FollowFolder);
  FollowFolder(directory().absolutePath());
}

void TDvdFileDialog::FollowFolder(const QString& folder) {
  const QString name = QDir(folder).dirName().isEmpty() ? folder : QDir(folder).dirName();
  if (!IsDvdFolder(folder)) {
    Hint_->setText(QStringLiteral("\u201C%1\u201D is not a DVD. Choose a DVD's folder (the one that holds VIDEO_TS), "
                                  "its VIDEO_TS folder or a disc image (.iso).")
                       .arg(name));
    return;
  }
  Hint_->setText(QStringLiteral("\u201C%1\u201D is a DVD: Open opens it.").arg(name));
  // Open then takes the disc at once: its VIDEO_TS folder, or in that
  // folder its VIDEO_TS.IFO, in whatever letter case the disc has them.
  const QDir dir(folder);
  QStringList entries = dir.entryList({QStringLiteral("VIDEO_TS")}, QDir::Dirs | QDir::NoDotAndDotDot);
  if (entries.isEmpty()) entries = dir.entryList({QStringLiteral("VIDEO_TS.IFO")}, QDir::Files);
  if (!entries.isEmpty()) selectFile(entries.first());
}

QString TDvdFileDialog::Chosen() const {
  const QStringList files = selectedFiles();
  return result() == QDialog::Accepted && !files.isEmpty() ? files.first() : QString();
}

void TDvdFileDialog::accept() {
  const QStringList files = selectedFiles();
  if (!files.isEmpty() && IsDvdFolder(files.first())) {
    QDialog::accept();
    return;
  }
  const QString before = directory().absolutePath();
  QFileDialog::accept();
  // Open on a folder goes into it without telling directoryEntered.
  if (isVisible() && directory().absolutePath() != before) FollowFolder(directory().absolutePath());
}

}  // namespace kelta
