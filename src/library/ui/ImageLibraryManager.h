#pragma once
// TImageLibraryManager: the controller of the library tree. It builds the
// tree from the library document, answers the tree's questions (text, icon,
// hint, context menu, clicks) and carries out the library commands, keeping
// tree, document and image store in step. Its three roles live in three
// source files: the tree (ImageLibraryManagerTree.cpp), the library commands
// (ImageLibraryManagerCommands.cpp, moving in ImageLibraryManagerMove.cpp)
// and the picture commands (ImageLibraryManagerPictures.cpp).

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "imaging/DisplayAspect.h"
#include "library/LibraryNodeData.h"
#include "library/ui/LibraryContextMenu.h"
#include "video/PlaybackPause.h"

class QPoint;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace kelta {

class TFastDIB;
class TFilmManager;
class TLibraryHost;
class TLibraryTreeItem;
class TimageViewDlg;

class TImageLibraryManager : public QObject {
  Q_OBJECT
 public:
  // Configures and fills `tree` (not owned) from the document. `dataFolder`
  // is the image store folder that holds the pictures and thumbnails;
  // `programFolder` holds the export folder of the frame export.
  TImageLibraryManager(QTreeWidget* tree, TFilmManager& films, TLibraryHost& host,
                       std::filesystem::path dataFolder, std::filesystem::path programFolder);
  ~TImageLibraryManager() override;

  // ---- The tree ----------------------------------------------------------
  TLibraryTreeItem* RootNode() const;
  QTreeWidgetItem* FocusedNode() const;
  // The pop-up menu whose entries follow the node under the click. A menu
  // without the invisible "&Thumbnail" submenu is given one.
  void SetContextMenu(const TLibraryContextMenu& menu);
  const TLibraryContextMenu& ContextMenu() const { return Menu_; }
  // Enables and colours the entries for a node (null: no node).
  void PrepareContextMenu(QTreeWidgetItem* node);
  // A right click at a point of the tree's viewport: selects the node there,
  // prepares the entries and shows the menu.
  void PopupContextMenu(const QPoint& at);
  // A click in the tree body: the focused image's thumbnail, or the blank box.
  void TreeClick();
  // A double-click in the tree body: opens the focused image if it is there.
  void TreeDblClick();

  // Node operations used by the commands.
  TLibraryTreeItem* AppendChild(QTreeWidgetItem* parent, TImageLibraryNodeData data);
  // Sets a category's or film's count to its number of children.
  void RefreshCount(QTreeWidgetItem* parent);
  // The child of `parent` other than `except` that has exactly this name
  // (letter case counts), or null.
  QTreeWidgetItem* ChildNamed(QTreeWidgetItem* parent, const std::u16string& name,
                              QTreeWidgetItem* except = nullptr) const;
  bool HasChildNamed(QTreeWidgetItem* parent, const std::u16string& name, QTreeWidgetItem* except = nullptr) const {
    return ChildNamed(parent, name, except) != nullptr;
  }
  // Removes a node; the thumbnail box is left to the command.
  void RemoveNode(QTreeWidgetItem* node);
  // Makes a node just made the focused one, its parent expanded, so that the
  // next command acts where the user expects.
  void SelectNewNode(QTreeWidgetItem* node);

  // The image store file of a bare file name read from the library; nothing
  // for a name that is not the store's own or that leads out of the folder,
  // so such an entry reads as missing and never touches another file.
  std::optional<std::filesystem::path> DataFile(const std::u16string& bareName) const;
  const std::filesystem::path& DataFolder() const { return DataFolder_; }

  // ---- Library commands ---------------------------------------------------
  void NewCategory();
  void NewFilm();
  void SaveImage();
  void DeleteNode();
  void EditNode();
  // Moves an image node into another film (the picture grid's drag and
  // drop): the library file first, then the tree; the film's counts follow.
  // A film that already holds an image of that name is said so in the
  // status line and nothing moves.
  void MoveImage(QTreeWidgetItem* image, QTreeWidgetItem* film);
  // Pauses playback, asks for a video file and starts opening it through the
  // host; playback resumes when the dialog was cancelled, and when the open
  // does not complete. The decoder's errors reach the user through the host.
  void OpenVideoFile() { OpenVideoFile(Host_); }
  // The same over any host: the command needs no library, and the main
  // window runs it this way while there is no library document.
  static void OpenVideoFile(TLibraryHost& host);
  // What follows the dialog: starts opening the path as if it had been
  // chosen (see TLibraryHost::StartOpeningVideo).
  static void OpenChosenVideo(TLibraryHost& host, const QString& path,
                              TPlaybackBefore before = TPlaybackBefore::Paused);
  // The filters of the file dialog, the first one (all MPEG video) selected.
  static QStringList VideoFileFilters();
  // The folder the dialog opens in: the folder of the last video chosen, or
  // the program folder's samples/ before any was chosen.
  static QString VideoFileStartFolder();
  // The last folder as an earlier run left it.
  static void RememberVideoFolder(const QString& folder);

  // Offers the pictures of the data folder that no entry names (captures an
  // interrupted save kept out of the library) to be added to a film of the
  // category "Recovered"; those the user leaves alone, and those that turn
  // out unreadable when added (a message names them), are listed in
  // `leftAloneFile` and not offered again.
  void OfferUnreferencedPictures(const std::filesystem::path& leftAloneFile);

  // ---- Picture commands ---------------------------------------------------
  // Each opens its window for the one use, modally, pausing playback
  // meanwhile. A picture file that is missing or cannot be read is said so
  // once and opens nothing. A crop or resize saved in its window is written
  // back to the picture's file and its thumbnail remade (the node and the
  // library file stay as they are); "Save as New Image" adds it to the film as
  // a new image beside the original.

  // The frame bar's position (byte offset) for the frame export.
  std::function<std::int64_t()> FramePosition;

  // The current video frame (reachable once a video is open).
  void ViewFrame();
  void ExportFrame();
  void CropFrame();
  void ResizeFrame();

  // The focused library picture; other nodes do nothing.
  void ViewImage();
  void ShowNextImage();
  void ShowPreviousImage();
  void PrintImage(QWidget* owner);
  void ExportImage(int format, QWidget* owner);
  void CropImage();
  void ResizeImage();

  void CheckForUpdate();

  // "~/library/<category>/<film>/<picture file>" of an image node.
  static QString LibraryPathText(QTreeWidgetItem* node);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ConfigureTree();
  void BuildTree();
  // Shows the thumbnail of the focused image; false when no image is focused
  // or its thumbnail cannot be read (the box is then left as it is).
  bool ShowFocusedThumbnail();

  // Reads the picture of an image node; a file that is missing or cannot be
  // read is reported to the user (owned by owner) and gives false.
  bool LoadImagePicture(QTreeWidgetItem* node, TFastDIB& picture, QWidget* owner) const;
  void ShowInViewer(TimageViewDlg& viewer, QTreeWidgetItem* node, TFastDIB&& picture);
  // Tells in the status line that a picture command needs an image selected.
  // `command` names the command ("View").
  void ExplainNoImageSelected(const QString& command);
  void StepViewer(int step);
  // The suggested export name of the current frame.
  QString FrameName() const;
  // An edited picture over the node's files (raises when it cannot be written).
  void SaveEditedPicture(QTreeWidgetItem* node, const TFastDIB& picture);
  // Asks for a name and memo and stores the picture as a new image of the
  // node's film; false when the user cancelled.
  bool SaveAsNewImage(QTreeWidgetItem* node, const TFastDIB& picture, QWidget* owner, const QString& suffix);
  // Appends the node of an image just stored to its film and counts it.
  QTreeWidgetItem* AppendImageNode(QTreeWidgetItem* film, TImageLibraryImageData image);
  // The film for recovered pictures, made with its category when missing.
  QTreeWidgetItem* RecoveryFilm(const std::u16string& filmName);
  // The display aspect the frame commands show the current frame at: its
  // stream's, or the ITU shape's when that was the last aspect saved with.
  TDisplayAspect ViewedFrameAspect();
  // The current frame at square pixels for that aspect, as the frame
  // commands work on it.
  void CopyFrameInto(TFastDIB& picture);
  // The part of the current frame inside its black bars, found over it and
  // the frames near it; the whole frame when it has none.
  TRect FrameAreaInsideBars();
  // The frame as CopyFrameInto makes it with its black bars cut off, the
  // rest in its true shape; false, and `picture` untouched, without bars.
  bool CopyFrameWithoutBars(TFastDIB& picture);

  // The tree the controller serves (not owned). It keeps the name it is
  // documented by, hence no trailing underscore.
  QTreeWidget* const Tree;
  TFilmManager& Films_;
  TLibraryHost& Host_;
  std::filesystem::path DataFolder_;
  std::filesystem::path ProgramFolder_;
  TLibraryContextMenu Menu_;
  TimageViewDlg* Viewer_ = nullptr;  // while ViewImage shows it
  const QObject* Viewport_ = nullptr;  // the tree's viewport, whose clicks are watched
  // The focused node when the mouse went down in the tree.
  QTreeWidgetItem* PressedOn_ = nullptr;
};

// The process-wide controller of the main window (null when there is none).
extern TImageLibraryManager* LibraryManager;

}  // namespace kelta
