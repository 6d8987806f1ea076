#include "library/ui/LibraryContextMenu.h"

#include <QMenu>

namespace kelta {

TLibraryContextMenu BuildLibraryContextMenu(QWidget* parent) {
  TLibraryContextMenu m;
  m.pmImageLibrary = new QMenu(parent);
  m.pmImageLibrary->setObjectName(QStringLiteral("pmImageLibrary"));
  m.pmiNewCategory = m.pmImageLibrary->addAction(QStringLiteral("&New Category"));
  m.pmiNewFilm = m.pmImageLibrary->addAction(QStringLiteral("New &Film"));
  m.pmiSaveImageHere = m.pmImageLibrary->addAction(QStringLiteral("&Save Image Here"));
  m.pmImageLibrary->addSeparator();
  m.pmiDelete = m.pmImageLibrary->addAction(QStringLiteral("&Delete"));
  m.pmiEdit = m.pmImageLibrary->addAction(QStringLiteral("&Edit"));
  m.pmImageLibrary->addSeparator();
  m.pmImage = m.pmImageLibrary->addMenu(QStringLiteral("&Image"));
  m.pmImage->addAction(QStringLiteral("&View"));
  m.pmImage->addAction(QStringLiteral("&Crop"));
  m.pmImage->addAction(QStringLiteral("&Resize"));
  m.pmImage->addAction(QStringLiteral("&Print"));
  QMenu* pmExport = m.pmImage->addMenu(QStringLiteral("&Export"));
  int tag = 0;
  for (const char* format : {"&BMP", "&JPEG", "&PNG", "&GIF", "P&DF"})
    pmExport->addAction(QString::fromLatin1(format))->setData(tag++);
  m.pmThumbnail = m.pmImageLibrary->addMenu(QStringLiteral("&Thumbnail"));
  m.pmThumbnail->menuAction()->setVisible(false);
  return m;
}

}  // namespace kelta
