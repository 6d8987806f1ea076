#include "common/ui/PictureClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "imaging/ui/DibImage.h"

namespace kelta {

void CopyPictureToClipboard(const TFastDIB& picture) {
  const QImage image = DibToImage(picture);
  if (image.isNull()) return;
  QGuiApplication::clipboard()->setImage(image);
}

}  // namespace kelta
