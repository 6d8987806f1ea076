#include "app/ui/VideoDrop.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace kelta {

QString DroppedVideo(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QFileInfo file(url.toLocalFile());
    if (file.isFile()) return file.absoluteFilePath();
  }
  return {};
}

}  // namespace kelta
