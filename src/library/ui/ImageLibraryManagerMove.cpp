// Moving an image into another film. Like every library command it changes
// the library file first and the tree only once that has succeeded.

#include <QSignalBlocker>
#include <QTreeWidget>

#include "library/FilmManager.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryHost.h"
#include "library/ui/LibraryTreeItem.h"
#include "library/ui/TreeUpdate.h"

namespace kelta {

void TImageLibraryManager::MoveImage(QTreeWidgetItem* image, QTreeWidgetItem* film) {
  const TImageLibraryNodeData* record = TLibraryTreeItem::Record(image);
  if (record == nullptr || TLibraryTreeItem::Record(film) == nullptr || TLibraryTreeItem::Level(image) != LevelImage ||
      TLibraryTreeItem::Level(film) != LevelFilm)
    return;
  QTreeWidgetItem* from = image->parent();
  if (from == film) return;
  // Names are unique within a film, as New and Edit keep them.
  if (HasChildNamed(film, record->Image.Name)) {
    Host_.Explain(QStringLiteral("Move: the film '%1' already holds an image named '%2'.")
                      .arg(QString::fromStdU16String(TLibraryTreeItem::Record(film)->Film.Name),
                           QString::fromStdU16String(record->Image.Name)));
    return;
  }
  Films_.MoveImage(TLibraryTreeItem::Index(from->parent()), TLibraryTreeItem::Index(from),
                   TLibraryTreeItem::Index(image), TLibraryTreeItem::Index(film->parent()),
                   TLibraryTreeItem::Index(film));
  {
    TTreeUpdate update(Tree);
    // The focus leaving the moved node is no choice of the person's: the
    // box is brought up to date below, as after a delete.
    const QSignalBlocker quiet(Tree);
    from->removeChild(image);
    film->addChild(image);
    RefreshCount(from);
    RefreshCount(film);
  }
  if (!ShowFocusedThumbnail()) Host_.ClearThumbnail();
}

}  // namespace kelta
