#pragma once
// One node of the library tree with its record. Text, icon, colour, font and
// hint are worked out from the record and the node's level whenever the view
// asks, so changing the record and invalidating the node is all an update needs.

#include <QString>
#include <QTreeWidgetItem>

#include "library/LibraryNodeData.h"

namespace kelta {

class TLibraryTreeItem : public QTreeWidgetItem {
 public:
  static constexpr int ItemType = QTreeWidgetItem::UserType + 1;

  explicit TLibraryTreeItem(const TImageLibraryNodeData& data) : QTreeWidgetItem(ItemType), Data(data) {}

  TImageLibraryNodeData Data;

  // Repaint after the record changed.
  void Invalidate() { emitDataChanged(); }

  QVariant data(int column, int role) const override;

  // The level by ancestry: 0 root, 1 category, 2 film, 3 image; no node is 0.
  static int Level(const QTreeWidgetItem* node);
  // The node's position among its parent's children, as the library
  // document counts them; 0 for the root.
  static int Index(const QTreeWidgetItem* node);
  // The record of a node of this tree (null for no node or a foreign item).
  static TImageLibraryNodeData* Record(QTreeWidgetItem* node);

  // "%s (%d)" for categories and films, the bare name otherwise.
  static QString NodeText(const TImageLibraryNodeData& data, int level);
  // Lines joined by LF; empty for the root.
  static QString NodeHint(const TImageLibraryNodeData& data, int level);
};

}  // namespace kelta
