// The library commands: new category, new film, saving the current frame,
// deleting and editing, each keeping tree, document and image store in step,
// and opening a video file.
// Errors (a library file or picture that cannot be written) leave the command
// and reach the user through the main window's standard error report. The
// library changes first and the tree follows only once that has succeeded, so
// a change that could not be written is not shown either.

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <algorithm>

#include "imaging/FastDIB.h"
#include "library/CodePage.h"
#include "library/FilmManager.h"
#include "library/ImageSaveManager.h"
#include "library/LibraryPaths.h"
#include "library/LibraryStoreChanges.h"
#include "library/ui/ActionWarnning.h"
#include "library/ui/CommandPause.h"
#include "library/ui/CusException.h"
#include "library/ui/EditImageDlg.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryHost.h"
#include "library/ui/MemoText.h"
#include "library/ui/LibraryTreeItem.h"
#include "library/ui/TreeUpdate.h"
#include "library/ui/NewCategoryDlg.h"
#include "library/ui/NewFilmDlg.h"
#include "library/ui/SaveImageDlg.h"

namespace kelta {

namespace {

// Repaints the main window when a command that does not pause ends.
class TRepaintAfter {
 public:
  explicit TRepaintAfter(TLibraryHost& host) : Host_(host) {}
  ~TRepaintAfter() { Host_.Repaint(); }
  TRepaintAfter(const TRepaintAfter&) = delete;
  TRepaintAfter& operator=(const TRepaintAfter&) = delete;

 private:
  TLibraryHost& Host_;
};

// The folder of the last chosen video, from this run or the one before.
QString LastVideoFolder;

std::u16string Wide(const QString& text) { return text.toStdU16String(); }

TImageLibraryNodeData& RecordOf(QTreeWidgetItem* node) { return *TLibraryTreeItem::Record(node); }

// "1 image", "3 films".
QString Counted(int count, const QString& thing) {
  return QStringLiteral("%1 %2%3").arg(count).arg(thing, count == 1 ? QString() : QStringLiteral("s"));
}

// The one question asked before a delete: it names the item and all that
// goes with it, since a film or category goes with its images.
QString DeleteQuestion(QTreeWidgetItem* node) {
  const TImageLibraryNodeData& record = RecordOf(node);
  switch (TLibraryTreeItem::Level(node)) {
    case LevelCategory: {
      QString text = QStringLiteral("Delete the category '%1'").arg(QString::fromStdU16String(record.Category.Name));
      int images = 0;
      for (int i = 0; i < node->childCount(); ++i) images += node->child(i)->childCount();
      if (node->childCount() > 0) text += QStringLiteral(" with its ") + Counted(node->childCount(), "film");
      if (images > 0) text += QStringLiteral(" and ") + Counted(images, "image");
      return text + '?';
    }
    case LevelFilm: {
      QString text = QStringLiteral("Delete the film '%1'").arg(QString::fromStdU16String(record.Film.Name));
      if (node->childCount() > 0) text += QStringLiteral(" and its ") + Counted(node->childCount(), "image");
      return text + '?';
    }
    default:
      return QStringLiteral("Delete the image '%1'?").arg(QString::fromStdU16String(record.Image.Name));
  }
}

}  // namespace

void TImageLibraryManager::NewCategory() {
  TLibraryTreeItem* root = RootNode();
  if (root == nullptr) return;
  TCommandPause paused(Host_);
  TnewCategoryDlg dialog(Host_.Window());
  dialog.NameTaken = [this, root](const QString& name) { return HasChildNamed(root, Wide(name)); };
  dialog.exec();
  if (!dialog.Accepted) return;
  const std::u16string name = Wide(dialog.etCategoryName->text());
  if (HasChildNamed(root, name)) return;
  Films_.AddCategory(name);
  QTreeWidgetItem* added = nullptr;
  {
    TTreeUpdate update(Tree);
    TImageLibraryNodeData data;
    data.Category.Name = name;
    data.Category.Count = 0;
    added = AppendChild(root, std::move(data));
  }
  SelectNewNode(added);
}

void TImageLibraryManager::NewFilm() {
  QTreeWidgetItem* category = FocusedNode();
  switch (TLibraryTreeItem::Level(category)) {
    case LevelCategory:
      break;
    case LevelFilm:
      category = category->parent();
      break;
    case LevelImage:
      category = category->parent()->parent();
      break;
    default:
      Host_.Explain(QStringLiteral("New Film: select a category first; the film goes into it."));
      return;
  }
  if (category == nullptr || TLibraryTreeItem::Record(category) == nullptr) return;
  TCommandPause paused(Host_);
  TnewFilmDlg dialog(Host_.Window());
  dialog.NameTaken = [this, category](const QString& name) { return HasChildNamed(category, Wide(name)); };
  // A DVD's volume name is offered, selected, so that typing replaces it.
  dialog.etFilmName->setText(Host_.SuggestedFilmName());
  dialog.etFilmName->selectAll();
  dialog.exec();
  if (!dialog.Accepted) return;
  TImageLibraryFilmData film;
  film.Name = Wide(dialog.etFilmName->text());
  film.Count = 0;
  if (HasChildNamed(category, film.Name)) return;
  Films_.AddFilm(TLibraryTreeItem::Index(category), film);
  QTreeWidgetItem* added = nullptr;
  {
    TTreeUpdate update(Tree);
    TImageLibraryNodeData data;
    data.Film = film;
    added = AppendChild(category, std::move(data));
    RefreshCount(category);
  }
  SelectNewNode(added);
}

void TImageLibraryManager::SaveImage() {
  QTreeWidgetItem* focused = FocusedNode();
  QTreeWidgetItem* film = nullptr;
  switch (focused ? TLibraryTreeItem::Level(focused) : -1) {
    case LevelFilm:
      film = focused;
      break;
    case LevelImage:
      film = focused->parent();
      break;
    default: {
      TCommandPause paused(Host_);
      TcusException(focused ? TcusException::NoFilmFocused : TcusException::NoNodeFocused, Host_.Window());
      return;
    }
  }
  // Without an open video there is no frame to store.
  if (!Host_.FileOpened()) {
    Host_.Explain(QStringLiteral("Save Image: open a video first; the frame on screen is what it saves."));
    return;
  }
  TCommandPause paused(Host_);
  QTreeWidgetItem* category = film->parent();
  const int categoryIndex = TLibraryTreeItem::Index(category);
  const int filmIndex = TLibraryTreeItem::Index(film);
  const TFastDIB& frame = Host_.FrameDIB();
  if (frame.Empty()) return;

  TSaveImageDlg dialog(Host_.Window());
  dialog.AspectFile = SaveAspectPath(ProgramFolder_);
  dialog.SetPicture(frame, Host_.FrameAspect());
  if (dialog.Picture.Empty()) return;
  dialog.SetStillText(Host_.FrameStillText());
  dialog.FindPictureArea = [this] { return FrameAreaInsideBars(); };
  dialog.etFilm->setText(QString::fromStdU16String(RecordOf(category).Category.Name) + QStringLiteral(" -> ") +
                         QString::fromStdU16String(RecordOf(film).Film.Name));
  dialog.NameTaken = [this, film](const QString& name) { return HasChildNamed(film, Wide(name)); };
  // Stored while the dialog is open: a capture that cannot be stored is
  // reported there, with all that was typed kept for another try. The files
  // reach the disk before the library names them; a capture that cannot be
  // stored, or whose entry cannot be saved, leaves nothing behind.
  QTreeWidgetItem* added = nullptr;
  // Where the frame came from, taken now: the dialog shows this frame.
  TCaptureSource source = Host_.FrameSource();
  dialog.StorePicture = [&](TFastDIB& picture, const TImageSaveOptions& options) {
    TImageLibraryImageData image;
    image.Name = options.Name;
    image.Memo = MemoFromEditor(QString::fromStdU16String(options.Memo));
    TimageSaveManager store(DataFolder_);
    store.Image = &picture;
    store.ImageAspect = dialog.PictureAspect();
    store.Options = options;
    if (!source.Empty()) source.Captured = CaptureDateNow();
    added = AppendImageNode(film, StoreCapture(Films_, store, categoryIndex, filmIndex, std::move(image), source));
  };
  dialog.exec();
  if (added) SelectNewNode(added);
}

QTreeWidgetItem* TImageLibraryManager::AppendImageNode(QTreeWidgetItem* film, TImageLibraryImageData image) {
  TTreeUpdate update(Tree);
  TImageLibraryNodeData data;
  data.Image = std::move(image);
  QTreeWidgetItem* node = AppendChild(film, std::move(data));
  RefreshCount(film);
  return node;
}

void TImageLibraryManager::DeleteNode() {
  QTreeWidgetItem* node = FocusedNode();
  const int level = node ? TLibraryTreeItem::Level(node) : LevelRoot;
  if (node == nullptr || level == LevelRoot || TLibraryTreeItem::Record(node) == nullptr) {
    Host_.Explain(QStringLiteral("Delete: select the category, film or image to delete first."));
    return;
  }
  TActionWarnning question;
  question.Suppressed = false;
  question.Owner = Tree->window();
  question.Text = DeleteQuestion(node);
  if (!question.Confirm()) return;
  QTreeWidgetItem* parent = node->parent();
  // The library forgets the entries before their files go: a crash between
  // the two leaves files to recover, never an entry without its picture. A
  // library file that cannot be written stops it all before anything goes.
  switch (level) {
    case LevelCategory:
      DeleteCategoryAndFiles(Films_, DataFolder_, TLibraryTreeItem::Index(node));
      break;
    case LevelFilm:
      DeleteFilmAndFiles(Films_, DataFolder_, TLibraryTreeItem::Index(parent), TLibraryTreeItem::Index(node));
      break;
    default:
      DeleteImageAndFiles(Films_, DataFolder_, TLibraryTreeItem::Index(parent->parent()),
                          TLibraryTreeItem::Index(parent), TLibraryTreeItem::Index(node));
      break;
  }
  {
    TTreeUpdate update(Tree);
    RemoveNode(node);
    RefreshCount(parent);
  }
  // The focus has moved to a neighbour: the box shows it when it is an image
  // and is blank otherwise, never a picture that has gone.
  if (!ShowFocusedThumbnail()) Host_.ClearThumbnail();
}

void TImageLibraryManager::EditNode() {
  QTreeWidgetItem* node = FocusedNode();
  const int level = node ? TLibraryTreeItem::Level(node) : LevelRoot;
  if (node == nullptr || level == LevelRoot || TLibraryTreeItem::Record(node) == nullptr) {
    Host_.Explain(QStringLiteral("Edit: select the category, film or image to edit first."));
    return;
  }
  TRepaintAfter repaint(Host_);
  TImageLibraryNodeData& record = RecordOf(node);
  auto* item = static_cast<TLibraryTreeItem*>(node);
  // A new name is refused as New refuses it: no two siblings share a name.
  // Keeping the node's own name is no clash.
  const TNameTaken takenBySibling = [this, node](const QString& name) {
    return HasChildNamed(node->parent(), Wide(name), node);
  };
  switch (level) {
    case LevelCategory: {
      TnewCategoryDlg dialog(Host_.Window());
      dialog.NameTaken = takenBySibling;
      dialog.EditMode = true;
      dialog.etCategoryName->setText(QString::fromStdU16String(record.Category.Name));
      dialog.exec();
      if (!dialog.Accepted) return;
      const std::u16string name = Wide(dialog.etCategoryName->text());
      Films_.RenameCategory(TLibraryTreeItem::Index(node), name);
      {
        TTreeUpdate update(Tree);
        record.Category.Name = name;
        item->Invalidate();
      }
      break;
    }
    case LevelFilm: {
      TnewFilmDlg dialog(Host_.Window());
      dialog.NameTaken = takenBySibling;
      dialog.EditMode = true;
      dialog.etFilmName->setText(QString::fromStdU16String(record.Film.Name));
      dialog.exec();
      if (!dialog.Accepted) return;
      TImageLibraryFilmData film = record.Film;
      film.Name = Wide(dialog.etFilmName->text());
      Films_.RenameFilm(TLibraryTreeItem::Index(node->parent()), TLibraryTreeItem::Index(node), film);
      {
        TTreeUpdate update(Tree);
        record.Film = std::move(film);
        item->Invalidate();
      }
      break;
    }
    default: {
      TeditImageDlg dialog(Host_.Window());
      dialog.NameTaken = takenBySibling;
      dialog.EditMode = true;
      dialog.etImageName->setText(QString::fromStdU16String(record.Image.Name));
      dialog.moMemo->setPlainText(MemoToEditor(record.Image.Memo));
      dialog.exec();
      if (!dialog.Accepted) return;
      TImageLibraryImageData image = record.Image;
      image.Name = Wide(dialog.etImageName->text());
      image.Memo = MemoFromEditor(dialog.moMemo->toPlainText());
      QTreeWidgetItem* film = node->parent();
      Films_.UpdateImage(TLibraryTreeItem::Index(film->parent()), TLibraryTreeItem::Index(film),
                         TLibraryTreeItem::Index(node), image);
      {
        TTreeUpdate update(Tree);
        record.Image = std::move(image);
        item->Invalidate();
      }
      break;
    }
  }
}

QStringList TImageLibraryManager::VideoFileFilters() {
  return {QStringLiteral("All Video (*.vob *.mpg *.mpeg *.m2v *.mpv *.ts *.m2ts *.mts *.mkv *.mp4 *.m4v *.mov)"),
          QStringLiteral("DVD Video/Audio Files (vts*.vob)"), QStringLiteral("MPEG2 Video Files (*.vob *.mp2)"),
          QStringLiteral("Matroska and MP4 Video (*.mkv *.mp4 *.m4v *.mov)"), QStringLiteral("ALL Files (*)")};
}

void TImageLibraryManager::RememberVideoFolder(const QString& folder) { LastVideoFolder = folder; }

QString TImageLibraryManager::VideoFileStartFolder() {
  if (!LastVideoFolder.isEmpty()) return LastVideoFolder;
  return QString::fromStdString(ProgramFolder().string()) + QStringLiteral("/samples");
}

void TImageLibraryManager::OpenChosenVideo(TLibraryHost& host, const QString& path, TPlaybackBefore before) {
  LastVideoFolder = QFileInfo(path).absolutePath();
  host.StartOpeningVideo(path, before);
}

void TImageLibraryManager::OpenVideoFile(TLibraryHost& host) {
  TPlaybackPause pause(host);
  QString chosen;
  {
    QFileDialog dialog(host.Window(), QStringLiteral("Open"), VideoFileStartFolder());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Name filters match in any letter case, so "vts*.vob" also finds VTS_01_1.VOB.
    dialog.setNameFilters(VideoFileFilters());
    dialog.selectNameFilter(VideoFileFilters().constFirst());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) chosen = dialog.selectedFiles().first();
  }
  if (chosen.isEmpty()) return;
  // Playback stays paused on the newly opened video; the open resumes it
  // when no video opens.
  pause.StayPaused();
  OpenChosenVideo(host, chosen, pause.Before());
}

}  // namespace kelta
