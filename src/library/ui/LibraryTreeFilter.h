#pragma once
// The search field above the library tree: as the person types, the tree
// shows only the categories, films and images whose text (see
// SearchableText.h) holds every word typed, letter case and accents aside,
// or whose text with that of their parents does ("summer beach" finds the
// image Beach of the film Summer), with the parents that lead to them
// opened, and all that a matching category or film holds. Enter makes the first hit the tree's current node
// and views it when it is an image; Escape empties the field, which shows
// the whole tree again, opened as it was before the search but for the way
// to the current node.
// Hidden nodes stay in the tree, so the commands' positions keep counting
// them; the current node is never a hidden one, so no command acts on
// something the person cannot see.

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace kelta {

class TLibraryTreeFilter : public QObject {
  Q_OBJECT
 public:
  // Both are not owned; the filter is a child of the field.
  TLibraryTreeFilter(QLineEdit* field, QTreeWidget* tree);

  // What Enter does once an image hit is the current node (nothing when unset).
  std::function<void()> ViewImage;

  // Filters the tree by the field's text; the field's changes call it.
  void Apply();
  // The first node in the tree's order whose own text matches; null when the
  // field holds no words or nothing matches.
  QTreeWidgetItem* FirstHit();
  // Enter: the first hit becomes current and an image hit is viewed.
  void GoToFirstHit();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TFolded {
    std::u16string Raw, Folded;
  };
  // One bit per word typed, in order; words past the last bit are not looked for.
  using TWordSet = std::uint32_t;
  static constexpr std::size_t MaxWords = 32;
  // The words the node's own text holds.
  TWordSet WordsIn(QTreeWidgetItem* node, int level);
  // Sets the visibility of the children of `node` (of the root always, of
  // others only when something below them matches) and opens the way to the
  // hits; whether anything below matches. `above`: the words found in the
  // text of `node` and its parents.
  bool FilterBelow(QTreeWidgetItem* node, int level, TWordSet above);
  QTreeWidgetItem* FirstHitBelow(QTreeWidgetItem* node, int level, TWordSet above);
  // Shows every node below `node`.
  static void ShowAllBelow(QTreeWidgetItem* node);
  void RememberExpanded(QTreeWidgetItem* node);
  void RestoreExpanded(QTreeWidgetItem* node);
  // Moves the current node up to its nearest shown ancestor when it is hidden.
  void KeepCurrentShown();

  QLineEdit* const Field_;
  QTreeWidget* const Tree_;
  std::vector<std::u16string> Words_;
  TWordSet AllWords_ = 0;
  // The folded text of each node, kept while it is the same; a node's entry
  // is checked against its text, so an entry left by a deleted node is harmless.
  std::unordered_map<const QTreeWidgetItem*, TFolded> Folded_;
  // Between the first word typed and the emptied field.
  bool Searching_ = false;
  // The categories and films open when the search began (compared only,
  // never followed: some may have been deleted since).
  std::unordered_set<const QTreeWidgetItem*> ExpandedBefore_;
};

}  // namespace kelta
