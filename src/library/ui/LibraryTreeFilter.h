#pragma once
// The search field above the library tree: as the person types, the tree
// shows only the categories, films and images whose text (see
// SearchableText.h) holds every word typed, letter case and accents aside,
// or whose text with that of their parents does ("summer beach" finds the
// image Beach of the film Summer), with the parents that lead to them, and
// all that a matching category or film holds. The way to the hits is opened
// while that opens no more than a screenful of nodes; the person opens the
// rest. Enter makes the first hit the tree's current node and views it when
// it is an image; Escape empties the field, which shows the whole tree
// again, opened as it was before the search but for the way to the current
// node.
// Hidden nodes stay in the tree, so the commands' positions keep counting
// them; the current node is never a hidden one, so no command acts on
// something the person cannot see.
// A library of tens of thousands of images answers each key at once: the
// folded texts are kept in the tree's order until the tree changes (made
// anew as the field takes the focus or at the next key), and only
// the children of open nodes are shown or hidden; a node's children are
// brought up to date when it opens.

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "library/LibraryNodeData.h"

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
  // What else a node is found by besides its own text (an image's source,
  // which the library file keeps and the tree's records do not); asked as
  // the search makes its texts, so a large library starts as quickly.
  std::function<std::u16string(QTreeWidgetItem* node)> MoreText;

  // Filters the tree by the field's text; the field's changes call it.
  void Apply();
  // The first node in the tree's order that matches; null when the field
  // holds no words or nothing matches.
  QTreeWidgetItem* FirstHit();
  // Enter: the first hit becomes current and an image hit is viewed.
  void GoToFirstHit();
  // The images below a category or film that the search leaves in sight
  // (all of them without a search), in the tree's order.
  std::vector<QTreeWidgetItem*> ImagesInSight(QTreeWidgetItem* node);

  // Opening the way to the hits opens at most this many categories and films.
  static constexpr int MostOpenedForHits = 100;

 signals:
  // The tree shows another set of nodes.
  void Filtered();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The node's own text and what else it is found by, on lines of their own.
  std::u16string NodeText(const TImageLibraryNodeData& record, int level, QTreeWidgetItem* node) const;

  // One bit per word typed, in order; words past the last bit are not looked for.
  using TWordSet = std::uint32_t;
  static constexpr std::size_t MaxWords = 32;

  // A node of the tree in the tree's order, the root first.
  struct TEntry {
    QTreeWidgetItem* Node = nullptr;
    int Parent = -1;
    int Level = 0;
    std::u16string Folded;
    bool Hidden = false;  // as the view has it
    // What the search last made of it: a hit (with the words of its
    // parents), below a hit, or on the way to one.
    bool Hit = false, BelowHit = false, AboveHit = false;
    bool Shown() const { return Hit || BelowHit || AboveHit || Parent < 0; }
  };

  void Rebuild();
  // Folds the texts of the nodes changed since anew.
  void Retext();
  // Takes the folded text and the hidden state of the entry's node from the
  // entries made before the change, when it is one of them; false when not.
  bool Reuse(TEntry& entry);
  // Marks a node (and all below it) as added or changed since the entries were made.
  void Freshen(QTreeWidgetItem* node);
  void AddEntries(QTreeWidgetItem* node, int index, int level);
  TWordSet WordsIn(const std::u16string& folded) const;
  // Works out Hit, BelowHit and AboveHit of every entry; the number of hits.
  void Match();
  // Opens the way to the hits (when it is short) besides what was open.
  void OpenWays();
  // Shows and hides the children of open nodes as the entries want them.
  void ShowOpenNodes();
  void ShowAll();
  void RestoreExpanded();
  // Moves the current node up to its nearest shown ancestor when it is hidden.
  void KeepCurrentShown();
  void NodeOpened(QTreeWidgetItem* node);
  void NodeClosed(QTreeWidgetItem* node);

  QLineEdit* const Field_;
  QTreeWidget* const Tree_;
  std::vector<std::u16string> Words_;
  TWordSet AllWords_ = 0;
  std::vector<TEntry> Entries_;
  // While the entries are made again: those before, and how far they are met.
  std::vector<TEntry> Previous_;
  std::size_t PreviousAt_ = 0;
  // The tree changed since the entries were made; or only these nodes' texts.
  bool Stale_ = true;
  std::vector<const QTreeWidgetItem*> Retexted_;
  // Nodes added or changed while stale, and whether the other entries may
  // be taken over when the entries are made again.
  std::unordered_set<const QTreeWidgetItem*> Fresh_;
  bool Reusable_ = false;
  // Between the first word typed and the emptied field.
  bool Searching_ = false;
  // While the filter itself opens and closes nodes.
  bool Applying_ = false;
  // The categories and films open when the search began, and those the
  // person opened since (compared only, never followed: some may have been
  // deleted since).
  std::unordered_set<const QTreeWidgetItem*> ExpandedBefore_, OpenedMeanwhile_;
};

}  // namespace kelta
