#pragma once
// TDvdTitleDlg: the title chooser of a DVD. It lists every title with its
// number, duration, chapter count, picture size and aspect and the languages
// of its subtitles, the longest selected at first; Enter, a double click or
// Open opens the selected one.

#include <cstddef>
#include <optional>

#include <QDialog>

#include "video/DvdDisc.h"

class QTreeWidget;

namespace kelta {

class TDvdTitleDlg : public QDialog {
  Q_OBJECT
 public:
  TDvdTitleDlg(const TDvdDisc& disc, QWidget* parent = nullptr);

  // The list of titles, one row each.
  QTreeWidget* Titles() const { return Titles_; }

  // Index into the disc's titles of the selected one.
  std::size_t Chosen() const;

 private:
  QTreeWidget* Titles_ = nullptr;
};

// The title to open: the only one of a disc with one title at once, else the
// one chosen in the chooser; none when the chooser was cancelled.
std::optional<std::size_t> ChooseDvdTitle(const TDvdDisc& disc, QWidget* parent);

// "1:02:03"; "–" when unknown (negative).
QString DvdDurationText(std::int64_t ms);

}  // namespace kelta
