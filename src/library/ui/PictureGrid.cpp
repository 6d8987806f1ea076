#include "library/ui/PictureGrid.h"

#include <QAbstractItemModel>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>

#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"
#include "imaging/PictureFile.h"
#include "imaging/ui/DibImage.h"
#include "library/ui/LibraryTreeItem.h"

namespace kelta {

const QString TPictureGrid::MimeType = QStringLiteral("application/x-kelta-library-image");

namespace {

constexpr int NodeRole = Qt::UserRole + 1;
constexpr int LoadedRole = Qt::UserRole + 2;

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

// Shown until a thumbnail is read, and where none can be.
const QIcon& BlankThumbnail() {
  static const QIcon icon = [] {
    QPixmap pixmap(TPictureGrid::IconWidth, TPictureGrid::IconHeight);
    pixmap.fill(QColor(0xE4, 0xE8, 0xEE));
    QPainter p(&pixmap);
    p.setPen(QColor(0xB8, 0xC0, 0xCC));
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
  }();
  return icon;
}

// The category or film whose images show for the tree's current node:
// itself, or for an image the category shown before when it is in it, else
// its film.
QTreeWidgetItem* ContainerFor(QTreeWidgetItem* current, const QTreeWidgetItem* shown) {
  if (TLibraryTreeItem::Record(current) == nullptr) return nullptr;
  switch (TLibraryTreeItem::Level(current)) {
    case LevelCategory:
    case LevelFilm:
      return current;
    case LevelImage:
      return current->parent()->parent() == shown ? current->parent()->parent() : current->parent();
    default:
      return nullptr;
  }
}

}  // namespace

TPictureGrid::TPictureGrid(QTreeWidget* tree, QWidget* parent)
    : QListWidget(parent), Tree_(tree), TreeViewport_(tree->viewport()) {
  setObjectName(QStringLiteral("PictureGrid"));
  setViewMode(QListView::IconMode);
  setIconSize(QSize(IconWidth, IconHeight));
  setGridSize(QSize(IconWidth + 28, IconHeight + 44));
  setMovement(QListView::Static);
  setResizeMode(QListView::Adjust);
  setUniformItemSizes(true);
  setWordWrap(true);
  setTextElideMode(Qt::ElideRight);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setContextMenuPolicy(Qt::CustomContextMenu);
  // The first row does not touch the top edge.
  setViewportMargins(0, 6, 0, 0);

  connect(Tree_, &QTreeWidget::currentItemChanged, this, [this] { TreeCurrentChanged(); });
  QAbstractItemModel* model = Tree_->model();
  connect(model, &QAbstractItemModel::rowsInserted, this, [this] { Outdated(); });
  connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { Outdated(); });
  connect(model, &QAbstractItemModel::rowsMoved, this, [this] { Outdated(); });
  connect(model, &QAbstractItemModel::modelReset, this, [this] { Outdated(); });
  connect(model, &QAbstractItemModel::dataChanged, this, [this] { Outdated(); });
  connect(this, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) { LeadTree(item); });
  connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    LeadTree(item);
    if (ViewImage && NodeOf(item)) ViewImage();
  });
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    Refresh();
    QListWidgetItem* item = itemAt(at);
    if (item) {
      setCurrentItem(item);
      LeadTree(item);
    } else if (Shown_) {
      // Beside the pictures: the menu of the film or category shown.
      MakeTreeCurrent(const_cast<QTreeWidgetItem*>(Shown_));
    }
    if (PopupMenu) PopupMenu(viewport()->mapToGlobal(at));
  });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { LoadThumbnailsInView(); });
  TreeViewport_->installEventFilter(this);
}

QTreeWidgetItem* TPictureGrid::NodeOf(const QListWidgetItem* item) const {
  if (item == nullptr || Outdated_) return nullptr;
  return reinterpret_cast<QTreeWidgetItem*>(item->data(NodeRole).value<quintptr>());
}

void TPictureGrid::Outdated() {
  Outdated_ = true;
  if (FillQueued_ || !isVisible()) return;
  FillQueued_ = true;
  QTimer::singleShot(0, this, [this] {
    FillQueued_ = false;
    Refresh();
  });
}

void TPictureGrid::ContentsChanged() { Outdated(); }

void TPictureGrid::Refresh() {
  if (Outdated_ && isVisible()) Fill();
}

void TPictureGrid::Fill() {
  Outdated_ = false;
  Leading_ = true;
  clear();
  QTreeWidgetItem* current = Tree_->currentItem();
  QTreeWidgetItem* shown = ContainerFor(current, Shown_);
  Shown_ = shown;
  if (shown) {
    const std::vector<QTreeWidgetItem*> images = ImagesOf ? ImagesOf(shown) : std::vector<QTreeWidgetItem*>{};
    const bool category = TLibraryTreeItem::Level(shown) == LevelCategory;
    for (QTreeWidgetItem* node : images) {
      const TImageLibraryNodeData* record = TLibraryTreeItem::Record(node);
      if (record == nullptr) continue;
      auto* item = new QListWidgetItem(BlankThumbnail(), Q(record->Image.Name), this);
      item->setData(NodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
      QString tip = Q(record->Image.Name);
      if (category) tip += QStringLiteral("\nFilm: ") + Q(TLibraryTreeItem::Record(node->parent())->Film.Name);
      if (!record->Image.Memo.empty()) tip += QStringLiteral("\n") + Q(record->Image.Memo);
      item->setToolTip(tip);
      if (node == current) setCurrentItem(item);
    }
  }
  Leading_ = false;
  viewport()->update();
  QTimer::singleShot(0, this, [this] { LoadThumbnailsInView(); });
}

void TPictureGrid::LoadThumbnailsInView() {
  if (!isVisible() || Outdated_) return;
  const QRect view = viewport()->rect();
  for (int i = 0; i < count(); ++i) {
    QListWidgetItem* it = item(i);
    if (it->data(LoadedRole).toBool() || !visualItemRect(it).intersects(view)) continue;
    it->setData(LoadedRole, true);
    const TImageLibraryNodeData* record = TLibraryTreeItem::Record(NodeOf(it));
    if (record == nullptr || !ThumbnailFile) continue;
    const auto file = ThumbnailFile(record->Image.Thumbnail);
    TFastDIB thumbnail;
    // A missing or damaged thumbnail keeps the blank one.
    if (!file || !LoadPictureFile(file->string(), thumbnail)) continue;
    ShrinkToFit(thumbnail, IconWidth, IconHeight);
    it->setIcon(QIcon(QPixmap::fromImage(DibToImage(thumbnail))));
  }
}

void TPictureGrid::TreeCurrentChanged() {
  if (Leading_) return;
  if (!isVisible()) {
    Outdated_ = true;
    return;
  }
  QTreeWidgetItem* current = Tree_->currentItem();
  if (Outdated_ || ContainerFor(current, Shown_) != Shown_) {
    Fill();
    return;
  }
  Leading_ = true;
  QListWidgetItem* chosen = nullptr;
  for (int i = 0; i < count() && chosen == nullptr; ++i)
    if (NodeOf(item(i)) == current) chosen = item(i);
  setCurrentItem(chosen);
  if (chosen) scrollToItem(chosen);
  Leading_ = false;
}

void TPictureGrid::LeadTree(QListWidgetItem* item) {
  if (Leading_) return;
  QTreeWidgetItem* node = NodeOf(item);
  if (node == nullptr) return;
  MakeTreeCurrent(node);
}

void TPictureGrid::MakeTreeCurrent(QTreeWidgetItem* node) {
  // The tree would open the film to show its new current node, and its rows
  // would move under a picture being dragged onto one of them.
  Leading_ = true;
  const bool scrolls = Tree_->hasAutoScroll();
  Tree_->setAutoScroll(false);
  Tree_->setCurrentItem(node);
  Tree_->setAutoScroll(scrolls);
  Leading_ = false;
}

void TPictureGrid::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
    if (QListWidgetItem* item = currentItem(); item && NodeOf(item)) {
      LeadTree(item);
      if (ViewImage) ViewImage();
    }
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

void TPictureGrid::showEvent(QShowEvent* event) {
  QListWidget::showEvent(event);
  Outdated_ = true;
  Fill();
}

void TPictureGrid::paintEvent(QPaintEvent* event) {
  QListWidget::paintEvent(event);
  if (count() > 0) return;
  QPainter p(viewport());
  p.setPen(QColor(128, 128, 128));
  p.drawText(viewport()->rect().adjusted(16, 16, -16, -16), Qt::AlignCenter | Qt::TextWordWrap,
             Shown_ ? QStringLiteral("No pictures here") : QStringLiteral("Choose a film or a category in the library to see its pictures here"));
}

// Positions rather than pointers: what a drag names is looked up again in
// the tree as it is when the drop comes.
QMimeData* TPictureGrid::mimeData(const QList<QListWidgetItem*>& items) const {
  QTreeWidgetItem* node = items.isEmpty() ? nullptr : NodeOf(items.first());
  if (node == nullptr) return nullptr;
  auto* carried = new QMimeData;
  const QString place = QStringLiteral("%1 %2 %3")
                            .arg(TLibraryTreeItem::Index(node->parent()->parent()))
                            .arg(TLibraryTreeItem::Index(node->parent()))
                            .arg(TLibraryTreeItem::Index(node));
  carried->setData(MimeType, place.toLatin1());
  return carried;
}

QTreeWidgetItem* TPictureGrid::DraggedNode(const QMimeData* carried) const {
  if (carried == nullptr || !carried->hasFormat(MimeType) || Tree_->topLevelItemCount() == 0) return nullptr;
  const QList<QByteArray> parts = carried->data(MimeType).split(' ');
  if (parts.size() != 3) return nullptr;
  QTreeWidgetItem* node = Tree_->topLevelItem(0);
  for (const QByteArray& part : parts) {
    bool ok = false;
    const int index = part.toInt(&ok);
    if (!ok || index < 0 || index >= node->childCount()) return nullptr;
    node = node->child(index);
  }
  return TLibraryTreeItem::Record(node) ? node : nullptr;
}

QTreeWidgetItem* TPictureGrid::DropTarget(const QPoint& at) const {
  QTreeWidgetItem* node = Tree_->itemAt(at);
  if (TLibraryTreeItem::Record(node) == nullptr) return nullptr;
  switch (TLibraryTreeItem::Level(node)) {
    case LevelFilm:
      return node;
    case LevelImage:
      return node->parent();
    default:
      return nullptr;
  }
}

void TPictureGrid::startDrag(Qt::DropActions) {
  QListWidgetItem* item = currentItem();
  QMimeData* carried = item ? mimeData({item}) : nullptr;
  if (carried == nullptr) return;
  auto* drag = new QDrag(this);
  drag->setMimeData(carried);
  const QPixmap picture = item->icon().pixmap(IconWidth / 2, IconHeight / 2);
  drag->setPixmap(picture);
  drag->setHotSpot(QPoint(picture.width() / 2, picture.height() / 2));
  // The tree takes drops only while a picture is dragged.
  const bool accepted = Tree_->viewport()->acceptDrops();
  Tree_->viewport()->setAcceptDrops(true);
  drag->exec(Qt::MoveAction);
  Tree_->viewport()->setAcceptDrops(accepted);
}

bool TPictureGrid::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched != TreeViewport_ ||
      (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop))
    return QListWidget::eventFilter(watched, event);
  auto* drag = static_cast<QDropEvent*>(event);
  QTreeWidgetItem* image = DraggedNode(drag->mimeData());
  // Other drops (a video file) are the tree's and its window's.
  if (image == nullptr) return QListWidget::eventFilter(watched, event);
  QTreeWidgetItem* film = DropTarget(drag->position().toPoint());
  const bool fits = film != nullptr && film != image->parent();
  if (type == QEvent::DragEnter) {
    // Entered anywhere, so that the moves over the tree follow.
    drag->setDropAction(Qt::MoveAction);
    drag->accept();
    return true;
  }
  if (!fits) {
    drag->ignore();
    return true;
  }
  drag->setDropAction(Qt::MoveAction);
  drag->accept();
  if (type == QEvent::Drop && MoveImage) MoveImage(image, film);
  return true;
}

}  // namespace kelta
