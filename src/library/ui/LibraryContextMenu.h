#pragma once
// The library tree's pop-up menu `pmImageLibrary`: the entries the tree
// enables and disables by the level of the node under the click. The main
// window owns the menu and connects its entries to the commands.

class QAction;
class QMenu;
class QWidget;

namespace kelta {

struct TLibraryContextMenu {
  QMenu* pmImageLibrary = nullptr;
  QAction* pmiNewCategory = nullptr;
  QAction* pmiNewFilm = nullptr;
  QAction* pmiSaveImageHere = nullptr;
  QAction* pmiDelete = nullptr;
  QAction* pmiEdit = nullptr;
  // Submenus: the picture commands, and an invisible "&Thumbnail".
  QMenu* pmImage = nullptr;
  QMenu* pmThumbnail = nullptr;
};

// The menu with its entries and captions (for a window that has none, and tests).
TLibraryContextMenu BuildLibraryContextMenu(QWidget* parent);

}  // namespace kelta
