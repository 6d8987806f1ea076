#include "app/ui/VideoDrop.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "video/DvdDisc.h"

namespace kelta {

QString DroppedVideo(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QFileInfo file(url.toLocalFile());
    const bool dvdFolder = file.isDir() && !DvdLocation(QFile::encodeName(file.absoluteFilePath()).toStdString()).empty();
    if (file.isFile() || dvdFolder) return file.absoluteFilePath();
  }
  return {};
}

}  // namespace kelta
