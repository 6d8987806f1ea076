#pragma once
// The picture grid: the images of the film or category chosen in the library
// tree as thumbnails with their names under them. It follows the tree's
// current node (an image shows its film, or keeps showing the category it is
// in) and leads it: the image chosen in the grid is the tree's current node,
// so every command of the tree acts on it. Arrows, Home, End and the page
// keys move through it; a double click or Enter views the image; a right
// click shows the tree's menu for it; an image dragged onto a film of the
// tree (or one of its images) moves there.
// Thumbnails are read as they come into view, so a category of thousands of
// images opens at once. The grid fills only while it is shown.

#include <QListWidget>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace kelta {

class TPictureGrid : public QListWidget {
  Q_OBJECT
 public:
  // Follows `tree` (not owned), whose viewport takes the grid's drops.
  TPictureGrid(QTreeWidget* tree, QWidget* parent);

  // The file of a thumbnail's bare name; nothing when there is none to read.
  std::function<std::optional<std::filesystem::path>(const std::u16string&)> ThumbnailFile;
  // Views the tree's current image.
  std::function<void()> ViewImage;
  // Shows the tree's menu for its current node at a point of the screen.
  std::function<void(const QPoint&)> PopupMenu;
  // Moves an image node into a film node.
  std::function<void(QTreeWidgetItem* image, QTreeWidgetItem* film)> MoveImage;
  // The images of a category or film that the grid shows (the library
  // search's), in the tree's order; none when unset.
  std::function<std::vector<QTreeWidgetItem*>(QTreeWidgetItem*)> ImagesOf;

  // The category or film shown; null when the tree's current node is neither
  // nor in one. Compare only: it is not kept up to date while hidden.
  const QTreeWidgetItem* Shown() const { return Shown_; }
  // The image node of one of the grid's items (null once the tree changed,
  // until the grid has filled again).
  QTreeWidgetItem* NodeOf(const QListWidgetItem* item) const;
  // The tree shows other nodes of the same tree (a search): the grid follows.
  void ContentsChanged();
  // Fills the grid now when the tree changed since (it does so by itself
  // once the events of the change are through).
  void Refresh();
  // The film that an image dropped at this point of the tree's viewport goes
  // to: the film there, or the film of the image there; null elsewhere.
  QTreeWidgetItem* DropTarget(const QPoint& at) const;

  static constexpr int IconWidth = 128, IconHeight = 96;
  // What a drag carries: the dragged image's positions in the tree.
  static const QString MimeType;

 // What a drag of the first of these items carries (null for none).
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;

 protected:
  void startDrag(Qt::DropActions supportedActions) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Marks the grid for filling once the events of a change are through.
  void Outdated();
  void Fill();
  // Reads the thumbnails of the items in view that have none yet.
  void LoadThumbnailsInView();
  // Follows the tree's current node.
  void TreeCurrentChanged();
  // Makes an item's image the tree's current node.
  void LeadTree(QListWidgetItem* item);
  // Makes a node the tree's current one, leaving the tree's rows where they are.
  void MakeTreeCurrent(QTreeWidgetItem* node);
  // The image node that a drag's data names, or null.
  QTreeWidgetItem* DraggedNode(const QMimeData* carried) const;

  QTreeWidget* const Tree_;
  // The tree's viewport, whose drops the grid watches. Kept apart: events
  // still reach the filter while the tree is being destroyed, when the tree
  // can no longer be asked for it.
  QWidget* const TreeViewport_;
  QTreeWidgetItem* Shown_ = nullptr;
  bool Outdated_ = true;
  bool FillQueued_ = false;
  // While the grid itself changes the tree's current node, or its own.
  bool Leading_ = false;
};

}  // namespace kelta
