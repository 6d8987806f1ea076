// The picture grid in the main window: Tools > Picture Grid and the toggle on
// the library pane's title show it over the video area (playback pauses, as
// nothing of it would be seen); it follows the library tree and its search,
// and its commands are the tree's.
#include <QAction>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QShortcut>
#include <QToolButton>
#include <QTreeWidget>

#include "app/ui/MainDlg.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryTreeFilter.h"
#include "library/ui/PictureGrid.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

namespace {

// Four small squares: the grid's toggle.
QIcon GridIcon() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  for (int y : {2, 9})
    for (int x : {2, 9}) p.fillRect(x, y, 5, 5, QColor(0xF4, 0xF6, 0xF8));
  return QIcon(pixmap);
}

}  // namespace

void TMainDlg::BuildPictureGrid() {
  PictureGrid = new TPictureGrid(imageTree, this);
  PictureGrid->hide();
  PictureGrid->ThumbnailFile = [this](const std::u16string& bareName) -> std::optional<std::filesystem::path> {
    return Library_ ? Library_->DataFile(bareName) : std::nullopt;
  };
  PictureGrid->ViewImage = [this] { RunCommand(Commands.ViewImage); };
  PictureGrid->PopupMenu = [this](const QPoint& at) {
    if (Library_) Library_->PrepareContextMenu(imageTree->currentItem());
    pmImageLibrary->popup(at);
  };
  PictureGrid->MoveImage = [this](QTreeWidgetItem* image, QTreeWidgetItem* film) {
    RunCommand([this, image, film] {
      if (Library_) Library_->MoveImage(image, film);
    });
  };
  // The grid shows what the search leaves in the tree.
  auto* search = etSearch->findChild<TLibraryTreeFilter*>();
  PictureGrid->ImagesOf = [search](QTreeWidgetItem* node) { return search->ImagesInSight(node); };
  connect(search, &TLibraryTreeFilter::Filtered, PictureGrid, [this] { PictureGrid->ContentsChanged(); });
  // The Delete key in the grid is File > Delete, as in the tree.
  auto* deleteKey = new QShortcut(QKeySequence::Delete, PictureGrid, nullptr, nullptr, Qt::WidgetShortcut);
  connect(deleteKey, &QShortcut::activated, this, [this] { tbiDelete->trigger(); });

  tbiPictureGrid = new QAction(QStringLiteral("Picture &Grid"), this);
  tbiPictureGrid->setObjectName(QStringLiteral("tbiPictureGrid"));
  tbiPictureGrid->setCheckable(true);
  tbiPictureGrid->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  tbiPictureGrid->setIcon(GridIcon());
  tbiPictureGrid->setToolTip(QStringLiteral("Picture Grid (Ctrl+G): the pictures of the film or category chosen"));
  tbTools->addSeparator();
  tbTools->addAction(tbiPictureGrid);
  connect(tbiPictureGrid, &QAction::toggled, this, [this](bool on) { ShowPictureGrid(on); });

  GridToggle_ = new QToolButton(Panel3);
  GridToggle_->setObjectName(QStringLiteral("btPictureGrid"));
  GridToggle_->setDefaultAction(tbiPictureGrid);
  GridToggle_->setAutoRaise(true);
  GridToggle_->setFocusPolicy(Qt::NoFocus);
}

void TMainDlg::ShowPictureGrid(bool on) {
  if (on) {
    FrameBar->Pause();
    PictureGrid->raise();
    PictureGrid->show();
    PictureGrid->setFocus(Qt::OtherFocusReason);
  } else {
    PictureGrid->hide();
  }
  FlatPanel1->setVisible(!on);
}

}  // namespace kelta
