#pragma once
// Brackets a group of tree changes: the view repaints once at the end.

#include <QTreeWidget>

namespace kelta {

class TTreeUpdate {
 public:
  explicit TTreeUpdate(QTreeWidget* tree) : Tree_(tree), WasEnabled_(tree->updatesEnabled()) {
    Tree_->setUpdatesEnabled(false);
  }
  ~TTreeUpdate() { Tree_->setUpdatesEnabled(WasEnabled_); }
  TTreeUpdate(const TTreeUpdate&) = delete;
  TTreeUpdate& operator=(const TTreeUpdate&) = delete;

 private:
  QTreeWidget* Tree_;
  bool WasEnabled_;
};

}  // namespace kelta
