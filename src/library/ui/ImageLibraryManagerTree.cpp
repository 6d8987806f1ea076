// The tree side of the library controller: building the tree from the
// document, the context menu, thumbnail preview and the node operations.

#include <QEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"
#include "imaging/ImageUtils.h"
#include "imaging/PictureFile.h"
#include "imaging/ui/DibImage.h"
#include "library/CodePage.h"
#include "library/FilmManager.h"
#include "library/StoreFileNames.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryHost.h"
#include "library/ui/LibraryTreeItem.h"
#include "library/ui/TreeLinesStyle.h"
#include "library/ui/TreeUpdate.h"

namespace kelta {

TImageLibraryManager* LibraryManager = nullptr;

namespace {

std::u16string Wide(const TXmlNode& element, const char* attribute) {
  return AnsiToWide(element.Attribute(attribute));
}

// Only element children count as categories, films and images, matching how
// the document's operations count positions.
int CountOf(const TXmlNode& element) { return int(element.Children.size()); }

}  // namespace

TImageLibraryManager::TImageLibraryManager(QTreeWidget* tree, TFilmManager& films, TLibraryHost& host,
                                           std::filesystem::path dataFolder, std::filesystem::path programFolder)
    : QObject(tree),
      Tree(tree),
      Films_(films),
      Host_(host),
      DataFolder_(std::move(dataFolder)),
      ProgramFolder_(std::move(programFolder)) {
  ConfigureTree();
  BuildTree();
}

// The tree may be half torn down here (the controller is its child), so the
// viewport is not touched: Qt drops the filter of a destroyed object itself.
TImageLibraryManager::~TImageLibraryManager() {
  if (LibraryManager == this) LibraryManager = nullptr;
}

void TImageLibraryManager::ConfigureTree() {
  Tree->setColumnCount(1);
  Tree->setHeaderHidden(true);
  Tree->header()->setStretchLastSection(false);
  Tree->setColumnWidth(0, 239);
  Tree->setRootIsDecorated(true);
  Tree->setSelectionMode(QAbstractItemView::SingleSelection);
  Tree->setSelectionBehavior(QAbstractItemView::SelectRows);
  Tree->setAllColumnsShowFocus(true);
  Tree->setIconSize(QSize(16, 16));
  Tree->setContextMenuPolicy(Qt::CustomContextMenu);
  Tree->setStyle(new TTreeLinesStyle(Tree));
  // Lines in $C5C5C5 (the style above); a soft blended selection without a focus rectangle.
  Tree->setStyleSheet(QStringLiteral(
      "QTreeView { outline: 0; }"
      "QTreeView::item:selected { background: rgba(49, 106, 197, 115); color: rgb(128, 128, 128); }"));
  Tree->viewport()->installEventFilter(this);
  Viewport_ = Tree->viewport();
  // Moving through the tree with the keyboard shows what a click would.
  connect(Tree, &QTreeWidget::currentItemChanged, this, [this] { TreeClick(); });
}

void TImageLibraryManager::BuildTree() {
  TTreeUpdate outer(Tree);
  Tree->clear();
  TImageLibraryNodeData rootData;
  rootData.Root.Name = u"My Library";
  auto* root = new TLibraryTreeItem(rootData);
  Tree->addTopLevelItem(root);
  {
    TTreeUpdate inner(Tree);
    for (const TXmlNode& category : Films_.Document().Root.Children) {
      TImageLibraryNodeData c;
      c.Category.Name = Wide(category, "name");
      c.Category.Count = CountOf(category);
      QTreeWidgetItem* categoryNode = AppendChild(root, std::move(c));
      for (const TXmlNode& film : category.Children) {
        TImageLibraryNodeData f;
        f.Film.Name = Wide(film, "name");
        f.Film.Count = CountOf(film);
        QTreeWidgetItem* filmNode = AppendChild(categoryNode, std::move(f));
        for (const TXmlNode& image : film.Children) {
          TImageLibraryNodeData i;
          i.Image.Name = Wide(image, "name");
          i.Image.FileName = Wide(image, "filename");
          i.Image.Thumbnail = Wide(image, "thumbnail");
          i.Image.Memo = Wide(image, "memo");
          AppendChild(filmNode, std::move(i));
        }
      }
    }
  }
  root->setExpanded(true);
}

TLibraryTreeItem* TImageLibraryManager::RootNode() const {
  return Tree->topLevelItemCount() > 0 ? static_cast<TLibraryTreeItem*>(Tree->topLevelItem(0)) : nullptr;
}

QTreeWidgetItem* TImageLibraryManager::FocusedNode() const { return Tree->currentItem(); }

TLibraryTreeItem* TImageLibraryManager::AppendChild(QTreeWidgetItem* parent, TImageLibraryNodeData data) {
  auto* node = new TLibraryTreeItem(data);
  parent->addChild(node);
  node->Invalidate();
  return node;
}

void TImageLibraryManager::RefreshCount(QTreeWidgetItem* parent) {
  TImageLibraryNodeData* record = TLibraryTreeItem::Record(parent);
  if (record == nullptr) return;
  switch (TLibraryTreeItem::Level(parent)) {
    case LevelCategory:
      record->Category.Count = parent->childCount();
      break;
    case LevelFilm:
      record->Film.Count = parent->childCount();
      break;
    default:
      return;
  }
  static_cast<TLibraryTreeItem*>(parent)->Invalidate();
}

QTreeWidgetItem* TImageLibraryManager::ChildNamed(QTreeWidgetItem* parent, const std::u16string& name,
                                                  QTreeWidgetItem* except) const {
  if (parent == nullptr) return nullptr;
  const int childLevel = TLibraryTreeItem::Level(parent) + 1;
  for (int i = 0; i < parent->childCount(); ++i) {
    if (parent->child(i) == except) continue;
    const TImageLibraryNodeData* child = TLibraryTreeItem::Record(parent->child(i));
    if (child == nullptr) continue;
    const std::u16string* childName = childLevel == LevelCategory ? &child->Category.Name
                                      : childLevel == LevelFilm   ? &child->Film.Name
                                                                  : &child->Image.Name;
    if (*childName == name) return parent->child(i);
  }
  return nullptr;
}

void TImageLibraryManager::RemoveNode(QTreeWidgetItem* node) {
  // The focus moving off a deleted node is no choice of the user's: the
  // deleting command decides what the thumbnail box shows.
  const QSignalBlocker quiet(Tree);
  delete node;
}

void TImageLibraryManager::SelectNewNode(QTreeWidgetItem* node) {
  if (node == nullptr) return;
  if (node->parent()) node->parent()->setExpanded(true);
  Tree->setCurrentItem(node);
  Tree->scrollToItem(node);
}

std::optional<std::filesystem::path> TImageLibraryManager::DataFile(const std::u16string& bareName) const {
  return ConfinedStoreFile(DataFolder_, WideToAnsi(bareName));
}

void TImageLibraryManager::SetContextMenu(const TLibraryContextMenu& menu) {
  Menu_ = menu;
  if (Menu_.pmImageLibrary == nullptr) return;
  if (Menu_.pmThumbnail == nullptr) {
    Menu_.pmThumbnail = Menu_.pmImageLibrary->addMenu(QStringLiteral("&Thumbnail"));
    Menu_.pmThumbnail->menuAction()->setVisible(false);
  }
  // Available entries grey, unavailable ones silver.
  const QString colours = QStringLiteral(
      "QMenu::item { color: rgb(128, 128, 128); } QMenu::item:disabled { color: rgb(192, 192, 192); }");
  Menu_.pmImageLibrary->setStyleSheet(colours);
  if (Menu_.pmImage) Menu_.pmImage->setStyleSheet(colours);
}

void TImageLibraryManager::PrepareContextMenu(QTreeWidgetItem* node) {
  QAction* const all[] = {Menu_.pmiNewCategory,
                          Menu_.pmiNewFilm,
                          Menu_.pmiSaveImageHere,
                          Menu_.pmiDelete,
                          Menu_.pmiEdit,
                          Menu_.pmImage ? Menu_.pmImage->menuAction() : nullptr,
                          Menu_.pmThumbnail ? Menu_.pmThumbnail->menuAction() : nullptr};
  for (QAction* action : all)
    if (action) action->setEnabled(true);
  auto disable = [](std::initializer_list<QAction*> actions) {
    for (QAction* action : actions)
      if (action) action->setEnabled(false);
  };
  QAction* image = Menu_.pmImage ? Menu_.pmImage->menuAction() : nullptr;
  const bool videoOpen = Host_.FileOpened();
  switch (node ? TLibraryTreeItem::Level(node) : LevelRoot) {
    case LevelRoot:
      disable({Menu_.pmiNewFilm, Menu_.pmiSaveImageHere, Menu_.pmiDelete, Menu_.pmiEdit, image});
      break;
    case LevelCategory:
      disable({Menu_.pmiSaveImageHere, image});
      break;
    case LevelFilm:
      disable({image});
      if (!videoOpen) disable({Menu_.pmiSaveImageHere});
      break;
    default:
      if (!videoOpen) disable({Menu_.pmiSaveImageHere});
      break;
  }
}

void TImageLibraryManager::PopupContextMenu(const QPoint& at) {
  QTreeWidgetItem* node = Tree->itemAt(at);
  if (node) Tree->setCurrentItem(node);
  PrepareContextMenu(node);
  if (Menu_.pmImageLibrary) Menu_.pmImageLibrary->popup(Tree->viewport()->mapToGlobal(at));
}

void TImageLibraryManager::TreeClick() {
  QTreeWidgetItem* node = FocusedNode();
  if (TLibraryTreeItem::Record(node) == nullptr || TLibraryTreeItem::Level(node) != LevelImage) {
    Host_.ClearThumbnail();
    return;
  }
  // A damaged file is treated like a missing one: the box keeps its picture.
  ShowFocusedThumbnail();
}

bool TImageLibraryManager::ShowFocusedThumbnail() {
  QTreeWidgetItem* node = FocusedNode();
  const TImageLibraryNodeData* record = TLibraryTreeItem::Record(node);
  if (record == nullptr || TLibraryTreeItem::Level(node) != LevelImage) return false;
  std::error_code ec;
  const auto file = DataFile(record->Image.Thumbnail);
  if (!file || !std::filesystem::is_regular_file(*file, ec)) return false;
  TFastDIB thumbnail;
  if (!LoadPictureFile(file->string(), thumbnail)) return false;
  // A 4:3 or as-captured thumbnail is taller than the box: shown whole, never cut.
  ShrinkToFit(thumbnail, ThumbnailBoxWidth, ThumbnailBoxHeight);
  DrawFrame(RGB(255, 255, 255), 1, thumbnail);
  Host_.SetThumbnail(DibToImage(thumbnail));
  return true;
}

void TImageLibraryManager::TreeDblClick() {
  QTreeWidgetItem* node = FocusedNode();
  const TImageLibraryNodeData* record = TLibraryTreeItem::Record(node);
  if (record == nullptr || TLibraryTreeItem::Level(node) != LevelImage) return;
  std::error_code ec;
  const auto thumbnail = DataFile(record->Image.Thumbnail);
  if (!thumbnail || !std::filesystem::is_regular_file(*thumbnail, ec)) return;
  ViewImage();
}

bool TImageLibraryManager::eventFilter(QObject* watched, QEvent* event) {
  // The viewport is compared by the pointer kept at installation: while the
  // tree is torn down it still sends events, and the tree is no longer one.
  if (watched == Viewport_) {
    if (event->type() == QEvent::MouseButtonPress) {
      PressedOn_ = FocusedNode();
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      // A click that moved the focus was answered when it moved; a click on
      // the focused node shows its thumbnail again.
      if (FocusedNode() == PressedOn_) TreeClick();
    } else if (event->type() == QEvent::MouseButtonDblClick &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      TreeDblClick();
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kelta
