// The main window's ways of opening a video besides the Open dialog: the
// recent list, a drop on the window, the command line and a later start.
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

#include "app/ui/MainDlg.h"
#include "app/ui/VideoDrop.h"
#include "library/ui/ImageLibraryManager.h"
#include "video/DvdDisc.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

namespace {

constexpr int PendingCheckMilliseconds = 250;

std::string LocalName(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString FromLocalName(const std::string& name) { return QFile::decodeName(QByteArray::fromStdString(name)); }

}  // namespace

void TMainDlg::OpenWhenFree(const QString& path) {
  PendingVideo_ = path;
  OpenPendingVideo();
}

void TMainDlg::OpenPendingVideo() {
  if (PendingVideo_.isEmpty()) return;
  // A dialog may hold a copy of the current frame or the decoder's attention,
  // and a disc may be being read: the new video waits until they are done.
  if (QApplication::activeModalWidget() != nullptr || ReadingDisc_) {
    PendingTimer_->start(PendingCheckMilliseconds);
    return;
  }
  PendingTimer_->stop();
  const QString path = PendingVideo_;
  PendingVideo_.clear();
  RunCommand([this, path] { StartOpeningVideo(path); });
}

void TMainDlg::HandOver(const QString& video) {
  BringToFront();
  if (!video.isEmpty()) OpenWhenFree(video);
}

void TMainDlg::BringToFront() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
  // A dialog open over the window stays in front of it.
  if (QWidget* modal = QApplication::activeModalWidget()) {
    modal->raise();
    modal->activateWindow();
  }
}

void TMainDlg::UseRecentVideosFile(const std::filesystem::path& file) {
  RecentFile_ = file;
  Recent_ = TRecentVideos::Load(file);
  if (!Recent_.Folder().empty()) TImageLibraryManager::RememberVideoFolder(FromLocalName(Recent_.Folder()));
  if (Recent_.DropMissing()) SaveRecentVideos();
  RebuildRecentMenu();
}

void TMainDlg::NoteOpenedVideo(const QString& path) {
  Recent_.Add(LocalName(QFileInfo(path).absoluteFilePath()));
  SaveRecentVideos();
  RebuildRecentMenu();
}

void TMainDlg::SaveRecentVideos() {
  if (RecentFile_.empty()) return;
  try {
    Recent_.Save(RecentFile_);
  } catch (const std::exception&) {
    // The list is a convenience: a folder that cannot be written keeps it for
    // this run, without troubling the user over it.
  }
}

void TMainDlg::RebuildRecentMenu() {
  tbRecent->clear();
  int number = 1;
  for (const std::string& video : Recent_.Videos()) {
    const QString path = FromLocalName(video);
    // "&1 name": the digit is the menu key; ampersands of the name show as such.
    QString caption = QFileInfo(path).fileName();
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* item = tbRecent->addAction(QStringLiteral("&%1 %2").arg(number++).arg(caption));
    item->setToolTip(path);
    item->setStatusTip(path);
    item->setData(path);
    connect(item, &QAction::triggered, this, [this, path] { OpenRecentVideo(path); });
  }
  tbRecent->setToolTipsVisible(true);
  tbRecent->menuAction()->setEnabled(!Recent_.Videos().empty());
}

void TMainDlg::OpenRecentVideo(const QString& path) {
  if (!QFileInfo(path).isFile() && DvdLocation(LocalName(path)).empty()) {
    Recent_.Remove(LocalName(path));
    SaveRecentVideos();
    RebuildRecentMenu();
    Explain(QStringLiteral("Recent Videos: %1 is no longer there.").arg(path));
    return;
  }
  OpenWhenFree(path);
}

void TMainDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedVideo(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TMainDlg::dropEvent(QDropEvent* event) {
  const QString video = DroppedVideo(event->mimeData());
  if (video.isEmpty()) return;
  event->acceptProposedAction();
  // The drag's source waits for the drop to end: the video opens afterwards.
  QTimer::singleShot(0, this, [this, video] { OpenWhenFree(video); });
}

}  // namespace kelta
