// The picture commands: viewing, exporting, cropping, resizing and printing
// the current video frame or the focused library picture, and the update check.

#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include "common/ui/BusyCursor.h"
#include "common/ui/ShowException.h"
#include "editing/ui/ImageCropDlg.h"
#include "editing/ui/ImageResizeDlg.h"
#include "editing/ui/ImageViewDlg.h"
#include "editing/ui/ViewDlg.h"
#include "imaging/BlackBars.h"
#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"
#include "imaging/PictureFile.h"
#include "library/AspectChoice.h"
#include "library/FilmManager.h"
#include "library/ImageSaveManager.h"
#include "library/LibraryPaths.h"
#include "library/LibraryStoreChanges.h"
#include "library/ui/CommandPause.h"
#include "library/ui/EditImageDlg.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/ImageSourceLink.h"
#include "library/ui/LibraryHost.h"
#include "library/ui/LibraryTreeItem.h"
#include "library/ui/MemoText.h"
#include "library/ui/SingleImageExport.h"
#include "output/ui/ExportForm.h"
#include "output/ui/PrintPreviewDlg.h"
#include "update/ui/CheckUpdateDlg.h"

namespace kelta {

namespace {

QString Text(const std::u16string& s) { return QString::fromStdU16String(s); }

// The export of a window whose picture is called `name` and described by
// `describe` at the moment of the export.
TExportImageAs ExportNamed(std::function<QString()> name, std::function<TExportMetadata()> describe) {
  return [name = std::move(name), describe = std::move(describe)](int format, QWidget* owner,
                                                                  const TFastDIB& picture) {
    ExportImageAs(format, owner, picture, name(), describe());
  };
}

// The source of the node's image in a crop or resize window.
void ShowSourceIn(const TFilmManager& films, TPictureEditDlg& window, QTreeWidgetItem* node) {
  const std::optional<TCaptureSource> source = ImageSourceOf(films, node);
  window.ShowSource(source ? SourceBrief(*source) : QString());
}

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

bool TImageLibraryManager::LoadImagePicture(QTreeWidgetItem* node, TFastDIB& picture, QWidget* owner) const {
  const TImageLibraryNodeData* record = TLibraryTreeItem::Record(node);
  if (!record || TLibraryTreeItem::Level(node) != LevelImage) return false;
  std::string why = "its name is not one of the image folder's own";
  if (const auto file = DataFile(record->Image.FileName)) {
    if (LoadPictureFile(file->string(), picture, &why)) return true;
  }
  // Missing or unreadable alike: said once, and nothing opens.
  ShowErrorMessage(QStringLiteral("The picture file \"%1\" of \"%2\" cannot be read: %3")
                       .arg(Text(record->Image.FileName), Text(record->Image.Name), QString::fromStdString(why)),
                   owner);
  return false;
}

void TImageLibraryManager::ExplainNoImageSelected(const QString& command) {
  Host_.Explain(command + QStringLiteral(": select an image in the library first."));
}

TDisplayAspect TImageLibraryManager::ViewedFrameAspect() {
  const TFastDIB& frame = Host_.FrameDIB();
  // The shape the user last picked when saving: the ITU shape there is the
  // ITU shape everywhere the frame is seen.
  return kelta::ViewedFrameAspect(LoadAspectPreference(SaveAspectPath(ProgramFolder_)), frame.Width(),
                                  frame.RowCount(), Host_.FrameAspect());
}

void TImageLibraryManager::CopyFrameInto(TFastDIB& picture) {
  // The frame as it is seen: a 16:9 DVD frame is cropped, resized and
  // exported unsqueezed.
  ToSquarePixels(Host_.FrameDIB(), ViewedFrameAspect(), picture);
}

TRect TImageLibraryManager::FrameAreaInsideBars() {
  const std::vector<TFastDIB> near = Host_.FramesNearFrame();
  std::vector<const TFastDIB*> frames{&Host_.FrameDIB()};
  for (const TFastDIB& frame : near) frames.push_back(&frame);
  return AreaInsideBlackBars(frames);
}

bool TImageLibraryManager::CopyFrameWithoutBars(TFastDIB& picture) {
  const TFastDIB& frame = Host_.FrameDIB();
  const TRect area = FrameAreaInsideBars();
  if (area == TRect{0, 0, frame.Width(), frame.RowCount()} || area.WidthOf() <= 0 || area.HeightOf() <= 0)
    return false;
  // Square pixels at the frame's viewed aspect, as CopyFrameInto, of the part kept.
  TFastDIB cut;
  TimageSaveManager::ShapePicture(frame, TAspectRatio::SquarePixels, ViewedFrameAspect(), cut, area);
  if (cut.Empty()) return false;
  picture = std::move(cut);
  return true;
}

QString TImageLibraryManager::FrameName() const {
  // The frame export names its files after the position too.
  return QString::number(FramePosition ? FramePosition() : 0);
}

void TImageLibraryManager::ViewFrame() {
  TCommandPause pause(Host_);
  {
    TViewDlg view(Host_.Window());
    view.ExportImageAs = ExportNamed([this] { return FrameName(); }, [this] { return FrameMetadataOf(Host_); });
    view.SetVideoFrame(Host_.FrameDIB(), ViewedFrameAspect());
    view.exec();
  }
}

void TImageLibraryManager::ExportFrame() {
  TCommandPause pause(Host_);
  TFastDIB frame;
  CopyFrameInto(frame);
  TExportDlg::ShowForFrame(frame, FramePosition ? FramePosition() : 0, ProgramFolder_.string(), Host_.Window(),
                           [this](TFastDIB& cropped) { return CopyFrameWithoutBars(cropped); },
                           FrameMetadataOf(Host_));
}

void TImageLibraryManager::CropFrame() {
  TCommandPause pause(Host_);
  {
    TimageCropDlg crop(Host_.Window());
    crop.ExportImageAs = ExportNamed([this] { return FrameName(); }, [this] { return FrameMetadataOf(Host_); });
    CopyFrameInto(crop.Control()->WorkImage());
    crop.Control()->ImageLoaded();
    // A frame has no library file to save into; cropping and exporting stay.
    crop.DisableSaving();
    crop.exec();
  }
}

void TImageLibraryManager::ResizeFrame() {
  TCommandPause pause(Host_);
  {
    TimageResizeDlg resize(Host_.Window());
    resize.ExportImageAs = ExportNamed([this] { return FrameName(); }, [this] { return FrameMetadataOf(Host_); });
    CopyFrameInto(resize.Control()->WorkImage());
    resize.Control()->ImageLoaded();
    const TFastDIB& work = resize.Control()->WorkImage();
    resize.SetEdits(work.Width(), work.RowCount());
    resize.UpdateStatus(work.Width(), work.RowCount());
    resize.DisableSaving();
    resize.exec();
  }
}

void TImageLibraryManager::ShowInViewer(TimageViewDlg& viewer, QTreeWidgetItem* node, TFastDIB&& picture) {
  const TImageLibraryNodeData* record = TLibraryTreeItem::Record(node);
  viewer.setWindowTitle("View Image - " + LibraryPathText(node));
  viewer.Control()->WorkImage() = std::move(picture);
  viewer.Control()->ImageLoaded();
  TViewRecord& view = viewer.ViewRecord;
  view.Tree = Tree;
  view.Node = node;
  view.Count = std::uint32_t(node->parent()->childCount());
  view.Index = node->parent()->indexOfChild(node) + 1;
  view.Image = &viewer.Control()->WorkImage();
  view.Name = Text(record->Image.Name);
  view.Memo = Text(record->Image.Memo);
  const std::optional<TCaptureSource> source = ImageSourceOf(Films_, node);
  viewer.ShowSource(source ? SourceBrief(*source) : QString());
  viewer.Control()->update();
}

void TImageLibraryManager::ViewImage() {
  QTreeWidgetItem* node = FocusedNode();
  if (TLibraryTreeItem::Level(node) != LevelImage) return ExplainNoImageSelected(QStringLiteral("View"));
  TCommandPause pause(Host_);
  TFastDIB picture;
  // A picture that is not there shows no viewer, and the video stays paused.
  if (!LoadImagePicture(node, picture, Host_.Window())) {
    pause.StayPaused();
    return;
  }
  TimageViewDlg viewer(Host_.Window());
  viewer.ExportImageAs = ExportNamed([&viewer] { return viewer.ViewRecord.Name; },
                                     [this, &viewer] { return ImageMetadataOf(Films_, viewer.ViewRecord.Node); });
  viewer.ShowPreviousImage = [this] { ShowPreviousImage(); };
  viewer.ShowNextImage = [this] { ShowNextImage(); };
  ShowInViewer(viewer, node, std::move(picture));
  Viewer_ = &viewer;
  viewer.exec();
  Viewer_ = nullptr;
  if (viewer.GoToSourceChosen && viewer.ViewRecord.Node) GoToImageSource(Films_, Host_, viewer.ViewRecord.Node);
}

void TImageLibraryManager::StepViewer(int step) {
  if (!Viewer_ || !Viewer_->ViewRecord.Node) return;
  QTreeWidgetItem* current = Viewer_->ViewRecord.Node;
  QTreeWidgetItem* parent = current->parent();
  if (!parent) return;
  QTreeWidgetItem* node = parent->child(parent->indexOfChild(current) + step);
  if (!node) return;
  TFastDIB picture;
  // A picture that cannot be read is said so; the viewer keeps the current one.
  if (!LoadImagePicture(node, picture, Viewer_)) return;
  ShowInViewer(*Viewer_, node, std::move(picture));
}

void TImageLibraryManager::ShowNextImage() { StepViewer(+1); }

void TImageLibraryManager::ShowPreviousImage() { StepViewer(-1); }

void TImageLibraryManager::PrintImage(QWidget* owner) {
  QTreeWidgetItem* node = FocusedNode();
  if (TLibraryTreeItem::Level(node) != LevelImage) return ExplainNoImageSelected(QStringLiteral("Print"));
  TCommandPause pause(Host_);
  TFastDIB picture;
  if (!LoadImagePicture(node, picture, owner ? owner : Host_.Window())) {
    pause.StayPaused();
    return;
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
  QTreeWidgetItem* node = FocusedNode();
  if (TLibraryTreeItem::Level(node) != LevelImage) return ExplainNoImageSelected(QStringLiteral("Export"));
  TFastDIB picture;
  if (!LoadImagePicture(node, picture, owner ? owner : Host_.Window())) return;
  ExportImageAs(format, owner, picture, Text(TLibraryTreeItem::Record(node)->Image.Name),
                ImageMetadataOf(Films_, node));
}

void TImageLibraryManager::SaveEditedPicture(QTreeWidgetItem* node, const TFastDIB& picture) {
  ReplaceStoredPicture(DataFolder_, TLibraryTreeItem::Record(node)->Image, picture);
  // The thumbnail box shows the new thumbnail when it shows this image.
  if (FocusedNode() == node) TreeClick();
}

bool TImageLibraryManager::SaveAsNewImage(QTreeWidgetItem* node, const TFastDIB& picture, QWidget* owner,
                                          const QString& suffix) {
  QTreeWidgetItem* film = node->parent();
  const TImageLibraryImageData& original = TLibraryTreeItem::Record(node)->Image;
  TeditImageDlg dialog(owner);
  dialog.setWindowTitle(QStringLiteral("Save as New Image"));
  dialog.etImageName->setText(Text(original.Name) + suffix);
  dialog.moMemo->setPlainText(MemoToEditor(original.Memo));
  dialog.NameTaken = [this, film](const QString& name) { return HasChildNamed(film, name.toStdU16String()); };
  dialog.exec();
  if (!dialog.Accepted) return false;
  TImageLibraryImageData image;
  image.Name = dialog.etImageName->text().toStdU16String();
  image.Memo = MemoFromEditor(dialog.moMemo->toPlainText());
  if (HasChildNamed(film, image.Name)) return false;
  {
    TBusyCursor busy;
    // The new image shows the same moment of the same video.
    const int category = TLibraryTreeItem::Index(film->parent());
    const std::optional<TCaptureSource> source =
        Films_.ImageSource(category, TLibraryTreeItem::Index(film), TLibraryTreeItem::Index(node));
    image = StorePicture(Films_, DataFolder_, picture, category, TLibraryTreeItem::Index(film), std::move(image),
                         source.value_or(TCaptureSource{}));
  }
  AppendImageNode(film, std::move(image));
  return true;
}

void TImageLibraryManager::CropImage() {
  QTreeWidgetItem* node = FocusedNode();
  if (TLibraryTreeItem::Level(node) != LevelImage) return ExplainNoImageSelected(QStringLiteral("Crop"));
  TCommandPause pause(Host_);
  TFastDIB picture;
  if (!LoadImagePicture(node, picture, Host_.Window())) return;
  TimageCropDlg crop(Host_.Window());
  const QString name = Text(TLibraryTreeItem::Record(node)->Image.Name);
  crop.ExportImageAs = ExportNamed([name] { return name; }, [this, node] { return ImageMetadataOf(Films_, node); });
  crop.SavePicture = [this, node](const TFastDIB& cropped) { SaveEditedPicture(node, cropped); };
  crop.SaveAsNewImage = [this, node, &crop](const TFastDIB& cropped) {
    return SaveAsNewImage(node, cropped, &crop, QStringLiteral(" (cropped)"));
  };
  crop.setWindowTitle(crop.windowTitle() + " - " + LibraryPathText(node));
  crop.Control()->WorkImage() = std::move(picture);
  crop.Control()->ImageLoaded();
  crop.ImageName = name;
  crop.UpdateStatus();
  ShowSourceIn(Films_, crop, node);
  crop.exec();
  if (crop.GoToSourceChosen) GoToImageSource(Films_, Host_, node);
}

void TImageLibraryManager::ResizeImage() {
  QTreeWidgetItem* node = FocusedNode();
  if (TLibraryTreeItem::Level(node) != LevelImage) return ExplainNoImageSelected(QStringLiteral("Resize"));
  TCommandPause pause(Host_);
  TFastDIB picture;
  if (!LoadImagePicture(node, picture, Host_.Window())) return;
  TimageResizeDlg resize(Host_.Window());
  const QString name = Text(TLibraryTreeItem::Record(node)->Image.Name);
  resize.ExportImageAs = ExportNamed([name] { return name; }, [this, node] { return ImageMetadataOf(Films_, node); });
  resize.SavePicture = [this, node](const TFastDIB& resized) { SaveEditedPicture(node, resized); };
  resize.SaveAsNewImage = [this, node, &resize](const TFastDIB& resized) {
    return SaveAsNewImage(node, resized, &resize, QStringLiteral(" (resized)"));
  };
  resize.ImageName = name;
  resize.setWindowTitle(resize.windowTitle() + " - " + LibraryPathText(node));
  resize.Control()->WorkImage() = std::move(picture);
  resize.Control()->ImageLoaded();
  const TFastDIB& work = resize.Control()->WorkImage();
  resize.SetEdits(work.Width(), work.RowCount());
  resize.UpdateStatus(work.Width(), work.RowCount());
  ShowSourceIn(Films_, resize, node);
  resize.exec();
  if (resize.GoToSourceChosen) GoToImageSource(Films_, Host_, node);
}

void TImageLibraryManager::CheckForUpdate() {
  TCommandPause pause(Host_);
  ShowCheckUpdateDialog(Host_.Window());
}

}  // namespace kelta
