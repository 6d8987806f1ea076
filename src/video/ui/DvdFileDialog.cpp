#include "video/ui/DvdFileDialog.h"

#include <QFile>
#include <QFileInfo>

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
  QFileDialog::accept();
}

}  // namespace kelta
