#include "library/ui/LibraryTreeFilter.h"

#include <QAbstractItemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

#include "library/SearchableText.h"
#include "library/ui/LibraryTreeItem.h"
#include "library/ui/SearchFold.h"
#include "library/ui/TreeUpdate.h"

namespace kelta {

namespace {

// Asking before setting spares the view work for the many nodes that stay as they are.
void SetHidden(QTreeWidgetItem* node, bool hidden) {
  if (node->isHidden() != hidden) node->setHidden(hidden);
}

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
  // A command that deletes the current node moves the focus to a neighbour,
  // which the search may have hidden; the check runs once the view has settled.
  connect(Tree_->model(), &QAbstractItemModel::rowsRemoved, this, [this] {
    if (Searching_) QTimer::singleShot(0, this, [this] { KeepCurrentShown(); });
  });
}

TLibraryTreeFilter::TWordSet TLibraryTreeFilter::WordsIn(QTreeWidgetItem* node, int level) {
  const TImageLibraryNodeData* record = TLibraryTreeItem::Record(node);
  if (record == nullptr) return 0;
  std::u16string raw = SearchableText(*record, level);
  TFolded& entry = Folded_[node];
  if (entry.Raw != raw) {
    entry.Folded = FoldForSearch(raw);
    entry.Raw = std::move(raw);
  }
  TWordSet found = 0;
  for (std::size_t i = 0; i < Words_.size(); ++i)
    if (entry.Folded.find(Words_[i]) != std::u16string::npos) found |= TWordSet(1) << i;
  return found;
}

void TLibraryTreeFilter::ShowAllBelow(QTreeWidgetItem* node) {
  for (int i = 0; i < node->childCount(); ++i) {
    QTreeWidgetItem* child = node->child(i);
    SetHidden(child, false);
    ShowAllBelow(child);
  }
}

bool TLibraryTreeFilter::FilterBelow(QTreeWidgetItem* node, int level, TWordSet above) {
  const int count = node->childCount();
  // 0 hidden, 1 shown on the way to a hit, 2 a hit.
  std::vector<char> shown(std::size_t(count), 0);
  bool any = false;
  for (int i = 0; i < count; ++i) {
    QTreeWidgetItem* child = node->child(i);
    const TWordSet found = above | WordsIn(child, level + 1);
    if (found == AllWords_) {
      shown[std::size_t(i)] = 2;
    } else if (FilterBelow(child, level + 1, found)) {
      shown[std::size_t(i)] = 1;
    }
    any = any || shown[std::size_t(i)] != 0;
  }
  // A node with nothing to show is hidden by its parent: what lies below it
  // is left as it is until it shows again.
  if (!any && level != LevelRoot) return false;
  for (int i = 0; i < count; ++i) {
    QTreeWidgetItem* child = node->child(i);
    SetHidden(child, shown[std::size_t(i)] == 0);
    if (shown[std::size_t(i)] == 2) {
      // A matching category or film shows all it holds.
      ShowAllBelow(child);
    } else if (shown[std::size_t(i)] == 1 && !child->isExpanded()) {
      child->setExpanded(true);
    }
  }
  return any;
}

void TLibraryTreeFilter::Apply() {
  QTreeWidgetItem* root = Tree_->topLevelItemCount() > 0 ? Tree_->topLevelItem(0) : nullptr;
  Words_ = SearchWords(Field_->text());
  std::erase_if(Words_, [](const std::u16string& word) { return word.empty(); });
  if (Words_.size() > MaxWords) Words_.resize(MaxWords);
  AllWords_ = Words_.size() == MaxWords ? ~TWordSet(0) : (TWordSet(1) << Words_.size()) - 1;
  if (root == nullptr) return;
  TTreeUpdate update(Tree_);
  if (Words_.empty()) {
    if (!Searching_) return;
    Searching_ = false;
    ShowAllBelow(root);
    RestoreExpanded(root);
    // What the person found stays in sight.
    if (QTreeWidgetItem* current = Tree_->currentItem()) {
      for (QTreeWidgetItem* p = current->parent(); p; p = p->parent()) p->setExpanded(true);
      Tree_->scrollToItem(current);
    }
    // Entries of deleted nodes go with the search.
    Folded_.clear();
    return;
  }
  if (!Searching_) {
    Searching_ = true;
    ExpandedBefore_.clear();
    RememberExpanded(root);
  }
  FilterBelow(root, LevelRoot, 0);
  KeepCurrentShown();
}

void TLibraryTreeFilter::RememberExpanded(QTreeWidgetItem* node) {
  for (int i = 0; i < node->childCount(); ++i) {
    QTreeWidgetItem* child = node->child(i);
    if (child->childCount() == 0) continue;
    if (child->isExpanded()) ExpandedBefore_.insert(child);
    RememberExpanded(child);
  }
}

void TLibraryTreeFilter::RestoreExpanded(QTreeWidgetItem* node) {
  for (int i = 0; i < node->childCount(); ++i) {
    QTreeWidgetItem* child = node->child(i);
    if (child->childCount() == 0) continue;
    const bool expanded = ExpandedBefore_.count(child) != 0;
    if (child->isExpanded() != expanded) child->setExpanded(expanded);
    RestoreExpanded(child);
  }
}

void TLibraryTreeFilter::KeepCurrentShown() {
  QTreeWidgetItem* current = Tree_->currentItem();
  if (current == nullptr || Shown(current)) return;
  QTreeWidgetItem* shown = current->parent();
  while (shown && !Shown(shown)) shown = shown->parent();
  Tree_->setCurrentItem(shown);
}

QTreeWidgetItem* TLibraryTreeFilter::FirstHitBelow(QTreeWidgetItem* node, int level, TWordSet above) {
  for (int i = 0; i < node->childCount(); ++i) {
    QTreeWidgetItem* child = node->child(i);
    const TWordSet found = above | WordsIn(child, level + 1);
    if (found == AllWords_) return child;
    if (QTreeWidgetItem* hit = FirstHitBelow(child, level + 1, found)) return hit;
  }
  return nullptr;
}

QTreeWidgetItem* TLibraryTreeFilter::FirstHit() {
  if (Words_.empty() || Tree_->topLevelItemCount() == 0) return nullptr;
  return FirstHitBelow(Tree_->topLevelItem(0), LevelRoot, 0);
}

void TLibraryTreeFilter::GoToFirstHit() {
  QTreeWidgetItem* hit = FirstHit();
  if (hit == nullptr) return;
  // A node the person made since typing may hide nothing of the way.
  for (QTreeWidgetItem* p = hit; p; p = p->parent()) SetHidden(p, false);
  for (QTreeWidgetItem* p = hit->parent(); p; p = p->parent()) p->setExpanded(true);
  Tree_->setCurrentItem(hit);
  Tree_->scrollToItem(hit);
  if (TLibraryTreeItem::Level(hit) == LevelImage && ViewImage) ViewImage();
}

bool TLibraryTreeFilter::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Field_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !Field_->text().isEmpty()) {
    Field_->clear();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kelta
