// The picture commands: viewing, exporting, cropping, resizing and printing
// the current video frame or the focused library picture, and the update check.

#include <cstring>
#include <stdexcept>
#include <system_error>

#include <QTreeWidget>

#include "editing/ui/ImageCropDlg.h"
#include "editing/ui/ImageResizeDlg.h"
#include "editing/ui/ImageViewDlg.h"
#include "editing/ui/ViewDlg.h"
#include "imaging/FastDIB.h"
#include "imaging/PictureFile.h"
#include "library/StoredBitmap.h"
#include "library/ui/CommandPause.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryHost.h"
#include "library/ui/LibraryTreeItem.h"
#include "library/ui/SingleImageExport.h"
#include "output/ui/ExportForm.h"
#include "output/ui/PrintPreviewDlg.h"
#include "update/ui/CheckUpdateDlg.h"

namespace kelta {

namespace {

const TExportImageAs Export = [](int format, QWidget* owner, const TFastDIB& picture) {
  ExportImageAs(format, owner, picture);
};

QString Text(const std::u16string& s) { return QString::fromStdU16String(s); }

}  // namespace

QString TImageLibraryManager::LibraryPathText(QTreeWidgetItem* node) {
  const TImageLibraryNodeData* image = TLibraryTreeItem::Record(node);
  QTreeWidgetItem* filmNode = node ? node->parent() : nullptr;
  const TImageLibraryNodeData* film = TLibraryTreeItem::Record(filmNode);
  const TImageLibraryNodeData* category = TLibraryTreeItem::Record(filmNode ? filmNode->parent() : nullptr);
  if (!image || !film || !category) return {};
  return QString("~/library/%1/%2/%3").arg(Text(category->Category.Name), Text(film->Film.Name),
                                           Text(image->Image.FileName));
}

bool TImageLibraryManager::ImageFile(QTreeWidgetItem* node, std::filesystem::path& file) const {
  const TImageLibraryNodeData* record = TLibraryTreeItem::Record(node);
  if (!record || TLibraryTreeItem::Level(node) != LevelImage || record->Image.FileName.empty()) return false;
  const auto stored = DataFile(record->Image.FileName);
  if (!stored) return false;
  file = *stored;
  std::error_code ec;
  return std::filesystem::is_regular_file(file, ec);
}

bool TImageLibraryManager::FocusedImageFile(QTreeWidgetItem*& node, std::filesystem::path& file) const {
  node = FocusedNode();
  return ImageFile(node, file);
}

void TImageLibraryManager::ExplainNoPicture(const QString& command, QTreeWidgetItem* node) {
  const TImageLibraryNodeData* record = TLibraryTreeItem::Record(node);
  if (record == nullptr || TLibraryTreeItem::Level(node) != LevelImage) {
    Host_.Explain(command + QStringLiteral(": select an image in the library first."));
  } else {
    Host_.Explain(command + QStringLiteral(": the picture of \"") + Text(record->Image.Name) +
                  QStringLiteral("\" cannot be read from the data folder."));
  }
}

void TImageLibraryManager::CopyFrameInto(TFastDIB& picture) {
  const TFastDIB& frame = Host_.FrameDIB();
  picture.SetSize(frame.Width(), frame.Height(), std::uint8_t(frame.BitCount()));
  if (!picture.Empty() && picture.ImageSize() == frame.ImageSize())
    std::memcpy(picture.Bits(), frame.Bits(), frame.ImageSize());
}

void TImageLibraryManager::ViewFrame() {
  TCommandPause pause(Host_);
  {
    TViewDlg view(Host_.Window());
    view.ExportImageAs = Export;
    view.SetVideoFrame(Host_.FrameDIB());
    view.exec();
  }
}

void TImageLibraryManager::ExportFrame() {
  TCommandPause pause(Host_);
  TExportDlg::ShowForFrame(Host_.FrameDIB(), FramePosition ? FramePosition() : 0, ProgramFolder_.string(),
                            Host_.Window());
}

void TImageLibraryManager::CropFrame() {
  TCommandPause pause(Host_);
  {
    TimageCropDlg crop(Host_.Window());
    crop.ExportImageAs = Export;
    CopyFrameInto(crop.Control()->WorkImage());
    crop.Control()->ImageLoaded();
    // A frame has no library file to save into; cropping and exporting stay.
    DisableSaveItem(crop.ToolBar(), crop.tbiSave());
    crop.exec();
  }
}

void TImageLibraryManager::ResizeFrame() {
  TCommandPause pause(Host_);
  {
    TimageResizeDlg resize(Host_.Window());
    resize.ExportImageAs = Export;
    CopyFrameInto(resize.Control()->WorkImage());
    resize.Control()->ImageLoaded();
    const TFastDIB& work = resize.Control()->WorkImage();
    resize.SetEdits(work.Width(), work.RowCount());
    resize.UpdateStatus(work.Width(), work.RowCount());
    DisableSaveItem(resize.ToolBar(), resize.tbiSave());
    resize.exec();
  }
}

void TImageLibraryManager::ViewImage() {
  QTreeWidgetItem* node = nullptr;
  std::filesystem::path file;
  if (TLibraryTreeItem::Level(FocusedNode()) != LevelImage) return ExplainNoPicture(QStringLiteral("View"), nullptr);
  TCommandPause pause(Host_);
  // A missing picture shows nothing, and the video stays paused.
  if (!FocusedImageFile(node, file)) {
    pause.StayPaused();
    return ExplainNoPicture(QStringLiteral("View"), node);
  }
  {
    TimageViewDlg viewer(Host_.Window());
    viewer.ExportImageAs = Export;
    viewer.ShowPreviousImage = [this] { ShowPreviousImage(); };
    viewer.ShowNextImage = [this] { ShowNextImage(); };
    viewer.setWindowTitle("View Image - " + LibraryPathText(node));
    viewer.Control()->LoadFromFile(file.string());
    const TImageLibraryNodeData* record = TLibraryTreeItem::Record(node);
    TViewRecord& view = viewer.ViewRecord;
    view.Tree = Tree;
    view.Node = node;
    view.Count = std::uint32_t(node->parent()->childCount());
    view.Index = node->parent()->indexOfChild(node) + 1;
    view.Image = &viewer.Control()->WorkImage();
    view.Name = Text(record->Image.Name);
    view.Memo = Text(record->Image.Memo);
    viewer.UpdateStatus();
    Viewer_ = &viewer;
    viewer.exec();
    Viewer_ = nullptr;
  }
}

void TImageLibraryManager::StepViewer(int step) {
  if (!Viewer_ || !Viewer_->ViewRecord.Node) return;
  QTreeWidgetItem* current = Viewer_->ViewRecord.Node;
  QTreeWidgetItem* parent = current->parent();
  if (!parent) return;
  QTreeWidgetItem* node = parent->child(parent->indexOfChild(current) + step);
  std::filesystem::path file;
  if (!node || !ImageFile(node, file)) return;
  // A picture that cannot be read keeps the current one on screen.
  if (!Viewer_->Control()->LoadFromFile(file.string())) return;
  Viewer_->setWindowTitle("View Image - " + LibraryPathText(node));
  const TImageLibraryNodeData* record = TLibraryTreeItem::Record(node);
  TViewRecord& view = Viewer_->ViewRecord;
  view.Node = node;
  view.Index = parent->indexOfChild(node) + 1;
  view.Image = &Viewer_->Control()->WorkImage();
  view.Name = Text(record->Image.Name);
  view.Memo = Text(record->Image.Memo);
  Viewer_->UpdateStatus();
  Viewer_->Control()->update();
}

void TImageLibraryManager::ShowNextImage() { StepViewer(+1); }

void TImageLibraryManager::ShowPreviousImage() { StepViewer(-1); }

void TImageLibraryManager::PrintImage(QWidget* owner) {
  QTreeWidgetItem* node = nullptr;
  std::filesystem::path file;
  if (TLibraryTreeItem::Level(FocusedNode()) != LevelImage) return ExplainNoPicture(QStringLiteral("Print"), nullptr);
  TCommandPause pause(Host_);
  TFastDIB picture;
  // An unreadable picture is treated like a missing one: the video stays paused.
  if (!FocusedImageFile(node, file) || !LoadPictureFile(file.string(), picture)) {
    pause.StayPaused();
    return ExplainNoPicture(QStringLiteral("Print"), FocusedNode());
  }
  {
    TprintDlg print(owner);
    const TImageLibraryNodeData* record = TLibraryTreeItem::Record(node);
    print.FViewRecord.Image = &picture;
    print.FViewRecord.Name = Text(record->Image.Name);
    print.FViewRecord.Memo = Text(record->Image.Memo);
    print.setWindowTitle(print.windowTitle() + " - " + LibraryPathText(node));
    print.exec();
  }
  if (owner) owner->repaint();
}

void TImageLibraryManager::ExportImage(int format, QWidget* owner) {
  QTreeWidgetItem* node = nullptr;
  std::filesystem::path file;
  TFastDIB picture;
  if (!FocusedImageFile(node, file) || !LoadPictureFile(file.string(), picture))
    return ExplainNoPicture(QStringLiteral("Export"), FocusedNode());
  ExportImageAs(format, owner, picture);
}

void TImageLibraryManager::CropImage() {
  QTreeWidgetItem* node = nullptr;
  std::filesystem::path file;
  if (TLibraryTreeItem::Level(FocusedNode()) != LevelImage)
    return ExplainNoPicture(QStringLiteral("Crop"), nullptr);
  TCommandPause pause(Host_);
  if (!FocusedImageFile(node, file)) return ExplainNoPicture(QStringLiteral("Crop"), node);
  {
    TimageCropDlg crop(Host_.Window());
    crop.ExportImageAs = Export;
    crop.setWindowTitle(crop.windowTitle() + " - " + LibraryPathText(node));
    if (!crop.Control()->LoadFromFile(file.string())) return ExplainNoPicture(QStringLiteral("Crop"), node);
    crop.ImageName = Text(TLibraryTreeItem::Record(node)->Image.Name);
    crop.UpdateStatus();
    crop.exec();
    if (crop.SaveRequested) WriteStoredBitmap(crop.Control()->WorkImage(), file);
  }
}

void TImageLibraryManager::ResizeImage() {
  QTreeWidgetItem* node = nullptr;
  std::filesystem::path file;
  if (TLibraryTreeItem::Level(FocusedNode()) != LevelImage)
    return ExplainNoPicture(QStringLiteral("Resize"), nullptr);
  TCommandPause pause(Host_);
  if (!FocusedImageFile(node, file)) return ExplainNoPicture(QStringLiteral("Resize"), node);
  {
    TimageResizeDlg resize(Host_.Window());
    resize.ExportImageAs = Export;
    resize.setWindowTitle(resize.windowTitle() + " - " + LibraryPathText(node));
    if (!resize.Control()->LoadFromFile(file.string())) return ExplainNoPicture(QStringLiteral("Resize"), node);
    const TFastDIB& work = resize.Control()->WorkImage();
    resize.SetEdits(work.Width(), work.RowCount());
    resize.UpdateStatus(work.Width(), work.RowCount());
    resize.exec();
    // A resize to a size the buffer refused leaves nothing worth writing.
    if (resize.SaveRequested && !resize.Control()->WorkImage().Empty())
      WriteStoredBitmap(resize.Control()->WorkImage(), file);
  }
}

void TImageLibraryManager::CheckForUpdate() {
  TCommandPause pause(Host_);
  ShowCheckUpdateDialog(Host_.Window());
}

}  // namespace kelta
