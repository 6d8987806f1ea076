#pragma once
// The picture commands of the library: viewing, exporting, cropping, resizing
// and printing the current video frame or the focused library picture, and the
// update check. Each opens its window for the one use, modally, pausing
// playback meanwhile; a crop or resize saved in its window is written back to
// the picture's file (the thumbnail, node and library file stay as they are).
// They work over the tree controller's public side and the program's host.

#include <cstdint>
#include <filesystem>
#include <functional>

#include <QString>

class QTreeWidgetItem;
class QWidget;

namespace kelta {

class TFastDIB;
class TImageLibraryManager;
class TLibraryHost;
class TimageViewDlg;

class TImageLibraryPictures {
 public:
  // Hooks itself in as the controller's OnViewImage (tree double-click).
  TImageLibraryPictures(TImageLibraryManager& manager, TLibraryHost& host, std::filesystem::path programFolder);
  ~TImageLibraryPictures();
  TImageLibraryPictures(const TImageLibraryPictures&) = delete;
  TImageLibraryPictures& operator=(const TImageLibraryPictures&) = delete;

  // The frame bar's position (byte offset) for the export dialog.
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

 private:
  // The focused node's picture file when the node is an image and the file is there.
  bool FocusedImageFile(QTreeWidgetItem*& node, std::filesystem::path& file) const;
  bool ImageFile(QTreeWidgetItem* node, std::filesystem::path& file) const;
  void StepViewer(int step);
  void CopyFrameInto(TFastDIB& picture);

  TImageLibraryManager& Manager_;
  TLibraryHost& Host_;
  std::filesystem::path ProgramFolder_;
  TimageViewDlg* Viewer_ = nullptr;  // while ViewImage shows it
};

// Writes the picture over a library file: a temporary sibling first, renamed
// over the file only once complete, so a failed write leaves the old picture.
// Throws std::runtime_error when the picture cannot be written.
void ReplacePictureFile(const TFastDIB& picture, const std::filesystem::path& file);

}  // namespace kelta
