#pragma once
// TImageLibraryManager: the controller of the library tree. It builds the
// tree from the library document, answers the tree's questions (text, icon,
// hint, context menu, clicks) and carries out the library commands, keeping
// tree, document and image store in step. Its three roles live in three
// source files: the tree (ImageLibraryManagerTree.cpp), the library commands
// (ImageLibraryManagerCommands.cpp) and the picture commands.

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <string>

#include "library/LibraryNodeData.h"
#include "library/ui/LibraryContextMenu.h"

class QPoint;
class QTreeWidget;
class QTreeWidgetItem;

namespace kelta {

class TFilmManager;
class TLibraryHost;
class TLibraryTreeItem;

class TImageLibraryManager : public QObject {
  Q_OBJECT
 public:
  // Configures and fills `tree` (not owned) from the document. `dataFolder`
  // is the image store folder that holds the pictures and thumbnails.
  TImageLibraryManager(QTreeWidget* tree, TFilmManager& films, TLibraryHost& host,
                       std::filesystem::path dataFolder);
  ~TImageLibraryManager() override;

  QTreeWidget* const Tree;

  // ---- The tree ----------------------------------------------------------
  TLibraryTreeItem* RootNode() const;
  QTreeWidgetItem* FocusedNode() const;
  // The pop-up menu whose entries follow the node under the click. A menu
  // without the invisible "&Thumbnail" submenu is given one.
  void SetContextMenu(const TLibraryContextMenu& menu);
  const TLibraryContextMenu& ContextMenu() const { return Menu_; }
  // Enables and colours the entries for a node (null: no node).
  void PrepareContextMenu(QTreeWidgetItem* node);
  // A right click at a point of the tree's viewport: selects the node there,
  // prepares the entries and shows the menu.
  void PopupContextMenu(const QPoint& at);
  // A click in the tree body: the focused image's thumbnail, or the blank box.
  void TreeClick();
  // A double-click in the tree body: opens the focused image if it is there.
  void TreeDblClick();
  // Opens the focused image; set by whoever provides the picture commands.
  std::function<void()> OnViewImage;

  // Node operations used by the commands.
  TLibraryTreeItem* AppendChild(QTreeWidgetItem* parent, TImageLibraryNodeData data);
  // Sets a category's or film's count to its number of children.
  void RefreshCount(QTreeWidgetItem* parent);
  // Whether a child of `parent` has exactly this name (letter case counts).
  bool HasChildNamed(QTreeWidgetItem* parent, const std::u16string& name) const;
  void RemoveNode(QTreeWidgetItem* node);

  // The image store file of a bare file name.
  std::filesystem::path DataFile(const std::u16string& bareName) const;
  const std::filesystem::path& DataFolder() const { return DataFolder_; }

  // ---- Library commands ---------------------------------------------------
  void NewCategory();
  void NewFilm();
  void SaveImage();
  void DeleteNode();
  void EditNode();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ConfigureTree();
  void BuildTree();

  TFilmManager& Films_;
  TLibraryHost& Host_;
  std::filesystem::path DataFolder_;
  TLibraryContextMenu Menu_;
};

// The process-wide controller of the main window (null when there is none).
extern TImageLibraryManager* LibraryManager;

}  // namespace kelta
