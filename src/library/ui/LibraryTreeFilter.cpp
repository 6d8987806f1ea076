#include "library/ui/LibraryTreeFilter.h"

#include <QAbstractItemModel>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "library/SearchableText.h"
#include "library/ui/LibraryTreeItem.h"
#include "library/ui/SearchFold.h"
#include "library/ui/TreeUpdate.h"

namespace kelta {

namespace {

bool Shown(const QTreeWidgetItem* node) {
  for (; node; node = node->parent())
    if (node->isHidden()) return false;
  return true;
}

}  // namespace

TLibraryTreeFilter::TLibraryTreeFilter(QLineEdit* field, QTreeWidget* tree)
    : QObject(field), Field_(field), Tree_(tree) {
  connect(Field_, &QLineEdit::textChanged, this, [this] { Apply(); });
  connect(Field_, &QLineEdit::returnPressed, this, [this] { GoToFirstHit(); });
  Field_->installEventFilter(this);
  QAbstractItemModel* model = Tree_->model();
  const auto changed = [this] {
    Stale_ = true;
    Reusable_ = false;
  };
  // Nodes added (a move adds the node it took out) are new to the entries.
  connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int first, int last) {
    Stale_ = true;
    auto* into = static_cast<QTreeWidgetItem*>(parent.internalPointer());
    for (int row = first; row <= last; ++row) Freshen(into ? into->child(row) : Tree_->topLevelItem(row));
  });
  connect(model, &QAbstractItemModel::rowsMoved, this, changed);
  // A renamed node (or a new count) changes one text: only its entry is made again.
  connect(model, &QAbstractItemModel::dataChanged, this, [this, changed](const QModelIndex& first, const QModelIndex& last) {
    // The tree's model keeps each item in its indexes (a changed item's
    // range ends at a column of its own, which may be no valid one).
    auto* node = static_cast<QTreeWidgetItem*>(first.internalPointer());
    if (node == nullptr || last.internalPointer() != node) {
      changed();
    } else if (Stale_) {
      Freshen(node);
    } else if (Retexted_.size() < 32) {
      Retexted_.push_back(node);
    } else {
      changed();
    }
  });
  connect(model, &QAbstractItemModel::modelReset, this, changed);
  connect(model, &QAbstractItemModel::layoutChanged, this, changed);
  // A command that deletes the current node moves the focus to a neighbour,
  // which the search may have hidden; the check runs once the view has settled.
  connect(model, &QAbstractItemModel::rowsRemoved, this, [this] {
    // What stays keeps its entry; the removed nodes are simply not met.
    Stale_ = true;
    if (Searching_) QTimer::singleShot(0, this, [this] { KeepCurrentShown(); });
  });
  connect(Tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) { NodeOpened(node); });
  connect(Tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* node) { NodeClosed(node); });
}

std::u16string TLibraryTreeFilter::NodeText(const TImageLibraryNodeData& record, int level,
                                            QTreeWidgetItem* node) const {
  std::u16string text = SearchableText(record, level);
  if (MoreText) {
    const std::u16string more = MoreText(node);
    if (!more.empty()) text += u'\n' + more;
  }
  return text;
}

void TLibraryTreeFilter::Retext() {
  for (const QTreeWidgetItem* node : Retexted_) {
    const auto at = std::find_if(Entries_.begin(), Entries_.end(),
                                 [node](const TEntry& entry) { return entry.Node == node; });
    if (at == Entries_.end()) continue;
    if (const TImageLibraryNodeData* record = TLibraryTreeItem::Record(at->Node))
      at->Folded = FoldForSearch(NodeText(*record, at->Level, at->Node));
  }
  Retexted_.clear();
}

void TLibraryTreeFilter::Freshen(QTreeWidgetItem* node) {
  if (node == nullptr || !Reusable_) return;
  // Many new nodes (the tree being built) are as quickly made all anew.
  if (Fresh_.size() >= 1024) {
    Reusable_ = false;
    Fresh_.clear();
    return;
  }
  Fresh_.insert(node);
  for (int i = 0; i < node->childCount(); ++i) Freshen(node->child(i));
}

void TLibraryTreeFilter::Rebuild() {
  Retexted_.clear();
  Previous_ = std::move(Entries_);
  PreviousAt_ = 0;
  Entries_.clear();
  Entries_.reserve(Previous_.size() + 16);
  Stale_ = false;
  if (Tree_->topLevelItemCount() > 0) {
    QTreeWidgetItem* root = Tree_->topLevelItem(0);
    TEntry entry;
    entry.Node = root;
    entry.Hidden = root->isHidden();
    Entries_.push_back(std::move(entry));
    AddEntries(root, 0, LevelRoot);
  }
  Previous_.clear();
  Fresh_.clear();
  Reusable_ = true;
}

bool TLibraryTreeFilter::Reuse(TEntry& entry) {
  // A change of the tree is mostly a node more or less: the entries made
  // before meet the tree's nodes in the same order, and neither the texts
  // nor the view (slow to ask once it hides rows) need be asked again. A
  // node added or changed since is no node seen before, even where a
  // deleted one's address came back (addresses are compared, never followed).
  if (!Reusable_ || Fresh_.count(entry.Node) != 0) return false;
  for (std::size_t ahead = PreviousAt_; ahead < Previous_.size() && ahead < PreviousAt_ + 64; ++ahead) {
    if (Previous_[ahead].Node != entry.Node) continue;
    PreviousAt_ = ahead + 1;
    entry.Folded = std::move(Previous_[ahead].Folded);
    entry.Hidden = Previous_[ahead].Hidden;
    return true;
  }
  return false;
}

void TLibraryTreeFilter::AddEntries(QTreeWidgetItem* node, int index, int level) {
  for (int i = 0; i < node->childCount(); ++i) {
    QTreeWidgetItem* child = node->child(i);
    TEntry entry;
    entry.Node = child;
    entry.Parent = index;
    entry.Level = level + 1;
    if (!Reuse(entry)) {
      if (const TImageLibraryNodeData* record = TLibraryTreeItem::Record(child))
        entry.Folded = FoldForSearch(NodeText(*record, level + 1, child));
      entry.Hidden = child->isHidden();
    }
    Entries_.push_back(std::move(entry));
    AddEntries(child, int(Entries_.size()) - 1, level + 1);
  }
}

TLibraryTreeFilter::TWordSet TLibraryTreeFilter::WordsIn(const std::u16string& folded) const {
  TWordSet found = 0;
  for (std::size_t i = 0; i < Words_.size(); ++i)
    if (folded.find(Words_[i]) != std::u16string::npos) found |= TWordSet(1) << i;
  return found;
}

void TLibraryTreeFilter::Match() {
  const std::size_t count = Entries_.size();
  std::vector<TWordSet> found(count, 0);
  for (std::size_t i = 1; i < count; ++i) {
    TEntry& entry = Entries_[i];
    const TEntry& parent = Entries_[std::size_t(entry.Parent)];
    found[i] = found[std::size_t(entry.Parent)] | WordsIn(entry.Folded);
    entry.BelowHit = parent.Hit || parent.BelowHit;
    entry.Hit = !entry.BelowHit && found[i] == AllWords_;
    entry.AboveHit = false;
  }
  // Children come after their parents: from the end, each hit marks its way up.
  for (std::size_t i = count; i-- > 1;) {
    const TEntry& entry = Entries_[i];
    if (entry.Hit || entry.AboveHit) Entries_[std::size_t(entry.Parent)].AboveHit = true;
  }
}

void TLibraryTreeFilter::OpenWays() {
  const auto onTheWay = [](const TEntry& entry) {
    return entry.Parent >= 0 && entry.AboveHit && !entry.Hit && !entry.BelowHit;
  };
  const bool openWays = std::count_if(Entries_.begin(), Entries_.end(), onTheWay) <= MostOpenedForHits;
  Applying_ = true;
  for (const TEntry& entry : Entries_) {
    if (entry.Parent < 0 || entry.Level >= LevelImage || entry.Node->childCount() == 0) continue;
    const bool open = ExpandedBefore_.count(entry.Node) != 0 || OpenedMeanwhile_.count(entry.Node) != 0 ||
                      (openWays && onTheWay(entry));
    if (entry.Node->isExpanded() != open) entry.Node->setExpanded(open);
  }
  Applying_ = false;
}

void TLibraryTreeFilter::ShowOpenNodes() {
  // A node is reached when its parent is shown and open: only those the view
  // lays out need to be right now.
  const std::size_t count = Entries_.size();
  std::vector<char> open(count, 0);
  for (std::size_t i = 0; i < count; ++i) {
    TEntry& entry = Entries_[i];
    const bool reached = entry.Parent < 0 || open[std::size_t(entry.Parent)];
    if (!reached) continue;
    const bool shown = entry.Shown();
    if (entry.Hidden == shown) {
      entry.Node->setHidden(!shown);
      entry.Hidden = !shown;
    }
    open[i] = shown && entry.Level < LevelImage && (entry.Parent < 0 || entry.Node->isExpanded());
  }
}

void TLibraryTreeFilter::ShowAll() {
  for (TEntry& entry : Entries_) {
    if (!entry.Hidden) continue;
    entry.Node->setHidden(false);
    entry.Hidden = false;
  }
}

void TLibraryTreeFilter::RestoreExpanded() {
  Applying_ = true;
  for (const TEntry& entry : Entries_) {
    if (entry.Parent < 0 || entry.Level >= LevelImage || entry.Node->childCount() == 0) continue;
    const bool open = ExpandedBefore_.count(entry.Node) != 0 || OpenedMeanwhile_.count(entry.Node) != 0;
    if (entry.Node->isExpanded() != open) entry.Node->setExpanded(open);
  }
  Applying_ = false;
}

void TLibraryTreeFilter::Apply() {
  Words_ = SearchWords(Field_->text());
  std::erase_if(Words_, [](const std::u16string& word) { return word.empty(); });
  if (Words_.size() > MaxWords) Words_.resize(MaxWords);
  AllWords_ = Words_.size() == MaxWords ? ~TWordSet(0) : (TWordSet(1) << Words_.size()) - 1;
  if (Tree_->topLevelItemCount() == 0) return;
  TTreeUpdate update(Tree_);
  if (Stale_) Rebuild();
  Retext();
  if (Words_.empty()) {
    if (!Searching_) return;
    Searching_ = false;
    ShowAll();
    RestoreExpanded();
    // What the person found stays in sight.
    if (QTreeWidgetItem* current = Tree_->currentItem()) {
      for (QTreeWidgetItem* p = current->parent(); p; p = p->parent()) p->setExpanded(true);
      Tree_->scrollToItem(current);
    }
    emit Filtered();
    return;
  }
  if (!Searching_) {
    Searching_ = true;
    ExpandedBefore_.clear();
    OpenedMeanwhile_.clear();
    for (const TEntry& entry : Entries_)
      if (entry.Parent >= 0 && entry.Level < LevelImage && entry.Node->isExpanded()) ExpandedBefore_.insert(entry.Node);
  }
  Match();
  OpenWays();
  ShowOpenNodes();
  KeepCurrentShown();
  emit Filtered();
}

std::vector<QTreeWidgetItem*> TLibraryTreeFilter::ImagesInSight(QTreeWidgetItem* node) {
  std::vector<QTreeWidgetItem*> images;
  const int level = TLibraryTreeItem::Level(node);
  if (!Searching_) {
    const auto add = [&images](QTreeWidgetItem* film) {
      for (int i = 0; i < film->childCount(); ++i) images.push_back(film->child(i));
    };
    if (level == LevelFilm) add(node);
    if (level == LevelCategory)
      for (int i = 0; i < node->childCount(); ++i) add(node->child(i));
    return images;
  }
  if (Stale_ || !Retexted_.empty()) {
    if (Stale_) Rebuild();
    Retext();
    Match();
  }
  const auto at =
      std::find_if(Entries_.begin(), Entries_.end(), [node](const TEntry& entry) { return entry.Node == node; });
  if (at == Entries_.end() || !at->Shown()) return images;
  // What lies below a node follows it in the entries, up to the next node
  // of its level or above.
  for (auto entry = at + 1; entry != Entries_.end() && entry->Level > at->Level; ++entry) {
    const bool parentShown = entry->Parent == int(at - Entries_.begin()) ||
                             Entries_[std::size_t(entry->Parent)].Shown();
    if (entry->Level == LevelImage && parentShown && entry->Shown()) images.push_back(entry->Node);
  }
  return images;
}

void TLibraryTreeFilter::NodeOpened(QTreeWidgetItem* node) {
  if (!Searching_ || Applying_) return;
  OpenedMeanwhile_.insert(node);
  if (Stale_) {
    Apply();
  } else {
    TTreeUpdate update(Tree_);
    ShowOpenNodes();
  }
}

void TLibraryTreeFilter::NodeClosed(QTreeWidgetItem* node) {
  if (!Searching_ || Applying_) return;
  OpenedMeanwhile_.erase(node);
  ExpandedBefore_.erase(node);
}

void TLibraryTreeFilter::KeepCurrentShown() {
  QTreeWidgetItem* current = Tree_->currentItem();
  if (current == nullptr) return;
  QTreeWidgetItem* shown = nullptr;
  if (Stale_) {
    // Right after a change: the view's own state tells.
    if (Shown(current)) return;
    shown = current->parent();
    while (shown && !Shown(shown)) shown = shown->parent();
  } else {
    const auto at = std::find_if(Entries_.begin(), Entries_.end(),
                                 [current](const TEntry& entry) { return entry.Node == current; });
    if (at == Entries_.end()) return;
    // The highest node of the way up that the search hides, and its parent.
    int hidden = -1;
    for (int i = int(at - Entries_.begin()); i >= 0; i = Entries_[std::size_t(i)].Parent)
      if (!Entries_[std::size_t(i)].Shown()) hidden = i;
    if (hidden < 0) return;
    shown = Entries_[std::size_t(Entries_[std::size_t(hidden)].Parent)].Node;
  }
  Tree_->setCurrentItem(shown);
}

QTreeWidgetItem* TLibraryTreeFilter::FirstHit() {
  if (Words_.empty() || Tree_->topLevelItemCount() == 0) return nullptr;
  if (Stale_ || !Retexted_.empty()) {
    if (Stale_) Rebuild();
    Retext();
    Match();
  }
  const auto hit = std::find_if(Entries_.begin(), Entries_.end(), [](const TEntry& entry) { return entry.Hit; });
  return hit == Entries_.end() ? nullptr : hit->Node;
}

void TLibraryTreeFilter::GoToFirstHit() {
  QTreeWidgetItem* hit = FirstHit();
  if (hit == nullptr) return;
  // The way to it opens; opening a node brings its children up to date.
  for (QTreeWidgetItem* p = hit->parent(); p; p = p->parent())
    if (!p->isExpanded()) p->setExpanded(true);
  ShowOpenNodes();
  Tree_->setCurrentItem(hit);
  Tree_->scrollToItem(hit);
  if (TLibraryTreeItem::Level(hit) == LevelImage && ViewImage) ViewImage();
}

bool TLibraryTreeFilter::eventFilter(QObject* watched, QEvent* event) {
  // The entries are made while the person comes to the field (not when a
  // window gives it the focus by itself), so that the first key finds them ready.
  if (watched == Field_ && event->type() == QEvent::FocusIn && Stale_ && !Searching_) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
        reason == Qt::ShortcutFocusReason)
      Rebuild();
  }
  if (watched == Field_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !Field_->text().isEmpty()) {
    Field_->clear();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kelta
