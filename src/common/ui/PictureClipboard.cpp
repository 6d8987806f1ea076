#include "common/ui/PictureClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include "imaging/ui/DibImage.h"

namespace kelta {

bool CopyPictureToClipboard(const TFastDIB& picture) {
  const QImage image = DibToImage(picture);
  if (image.isNull()) return false;
  QGuiApplication::clipboard()->setImage(image);
  return true;
}

}  // namespace kelta
