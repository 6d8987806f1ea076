// The main window's own logic: keys, slider coupling, frame bar events,
// status line, command forwarding and window placement.
#include "app/ui/MainDlg.h"

#include <cmath>
#include <exception>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextEdit>
#include <QTime>
#include <QToolTip>
#include <QTreeWidget>
#include <QUrl>

#include "library/AspectChoice.h"
#include "library/LibraryPaths.h"
#include "app/WindowPlacement.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/PositionSlider.h"
#include "imaging/DisplayAspect.h"
#include "imaging/ImageUtils.h"
#include "imaging/ui/DibImage.h"
#include "common/ui/ClickRelease.h"
#include "common/ui/PictureClipboard.h"
#include "common/ui/ShowException.h"
#include "library/ui/FrameBarLibraryHost.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/PictureGrid.h"
#include "library/ui/ImageSourceLink.h"
#include "library/ui/LibraryTreeFilter.h"
#include "library/ui/NameTemplateDlg.h"
#include "library/ui/LibraryDocument.h"
#include "update/ui/CheckUpdateDlg.h"
#include "video/DvdChapters.h"
#include "video/PlaybackPause.h"
#include "video/ui/ActualSizeDlg.h"
#include "video/ui/VideoFrameBar.h"
#include "common/ui/VideoOutPanel.h"

namespace kelta {


TMainDlg::~TMainDlg() {
  qApp->removeEventFilter(this);
  // The controller uses the host and the frame bar: they go in that order.
  Library_.reset();
  LibraryHost_.reset();
  // The frame bar stops playback before the panel it paints into goes.
  delete FrameBar;
  FrameBar = nullptr;
}

void TMainDlg::RunCommand(const TMainCommands::TCommand& command) {
  if (!command) return;
  try {
    command();
  } catch (const std::exception& error) {
    ShowException(error, this);
  }
}

void TMainDlg::OfferUnreferencedPictures() {
  if (!Library_) return;
  RunCommand([this] { Library_->OfferUnreferencedPictures(LeftAlonePicturesPath()); });
}

void TMainDlg::ConnectCommands() {
  // Commands this window carries out itself until the controller takes them.
  Commands.OpenVideoFile = [this] { TImageLibraryManager::OpenVideoFile(*LibraryHost_); };
  Commands.About = [this] {
    TPlaybackPause paused(*FrameBar);
    TaboutDlg about(this);
    about.exec();
  };
  Commands.Help = [this] {
    const QString page = QString::fromStdString(ProgramFolder().string()) + QStringLiteral("/help/help.html");
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
      Explain(QStringLiteral("Help: no web browser took the help page %1.").arg(page));
  };

  auto bind = [this](std::initializer_list<QObject*> senders, TMainCommands::TCommand TMainCommands::*command) {
    for (QObject* sender : senders) {
      auto run = [this, command] { RunCommand(Commands.*command); };
      if (auto* action = qobject_cast<QAction*>(sender)) {
        connect(action, &QAction::triggered, this, run);
      } else if (auto* button = qobject_cast<QPushButton*>(sender)) {
        connect(button, &QPushButton::clicked, this, run);
      }
    }
  };
  bind({tbiOpen, btOpen}, &TMainCommands::OpenVideoFile);
  bind({tbiNewCategory, pmiNewCategory}, &TMainCommands::NewCategory);
  bind({tbiNewFilm, pmiNewFilm}, &TMainCommands::NewFilm);
  bind({tbiDelete, pmiDelete}, &TMainCommands::DeleteNode);
  bind({tbiEdit, pmiEdit}, &TMainCommands::EditNode);
  // The Delete key in the library tree is File > Delete.
  auto* deleteKey = new QShortcut(QKeySequence::Delete, imageTree, nullptr, nullptr, Qt::WidgetShortcut);
  connect(deleteKey, &QShortcut::activated, tbiDelete, &QAction::trigger);
  bind({btSave, pmiSaveImageHere}, &TMainCommands::SaveImage);
  bind({btView, tbiViewFrame}, &TMainCommands::ViewFrame);
  bind({btExport, tbiExportFrame}, &TMainCommands::ExportFrame);
  bind({btCrop, tbiCropFrame}, &TMainCommands::CropFrame);
  bind({btResize, tbiResizeFrame}, &TMainCommands::ResizeFrame);
  bind({tbiSaveImage}, &TMainCommands::SaveImage);
  bind({TBXItem1, pmiCrop}, &TMainCommands::CropImage);
  bind({TBXItem2, pmiResize}, &TMainCommands::ResizeImage);
  bind({pmiView}, &TMainCommands::ViewImage);
  bind({pmiPrint}, &TMainCommands::PrintImage);
  bind({tbiContent, btHelp}, &TMainCommands::Help);
  bind({tbiCheckUpdate, btUpdate}, &TMainCommands::CheckUpdate);
  bind({tbiAbout}, &TMainCommands::About);
  for (QAction* format : {pmiBmp, pmiJpeg, pmiPng, pmiGif, pmiPdf}) {
    connect(format, &QAction::triggered, this, [this, format] {
      const int tag = format->data().toInt();
      RunCommand([this, tag] {
        if (Commands.ExportImage) Commands.ExportImage(tag);
      });
    });
  }

  connect(tbiClose, &QAction::triggered, this, &QWidget::close);
  connect(tbiPlay, &QAction::triggered, this, [this] { RunCommand([this] { btPlayClick(); }); });
  connect(btPlay, &QPushButton::clicked, this, [this] { RunCommand([this] { btPlayClick(); }); });
  connect(tbiPause, &QAction::triggered, this, [this] { btPauseClick(); });
  connect(btPause, &QPushButton::clicked, this, [this] { btPauseClick(); });
  connect(tbiBackward, &QAction::triggered, this, [this] { SendKey(Qt::Key_A); });
  connect(tbiForward, &QAction::triggered, this, [this] { SendKey(Qt::Key_D); });
  connect(tbiBackwardMore, &QAction::triggered, this, [this] { SendKey(Qt::Key_S); });
  connect(tbiForwardMore, &QAction::triggered, this, [this] { SendKey(Qt::Key_W); });
  connect(tbiMoveStep, &QAction::triggered, this, [this] { RunCommand([this] { tbiMoveStepClick(); }); });
  connect(tbiBackStep, &QAction::triggered, this, [this] { RunCommand([this] { tbiBackStepClick(); }); });
  connect(tbiFirstFrame, &QAction::triggered, this,
          [this] { RunCommand([this] { PausedFrameStep(&TVideoFrameBar::ShowFirstFrame); }); });
  connect(tbiLastFrame, &QAction::triggered, this,
          [this] { RunCommand([this] { PausedFrameStep(&TVideoFrameBar::ShowLastFrame); }); });
  connect(tbiOpenDvd, &QAction::triggered, this, [this] { RunCommand([this] { OpenDvdCommand(); }); });
  connect(tbiPreviousChapter, &QAction::triggered, this, [this] { RunCommand([this] { StepChapter(-1); }); });
  connect(tbiNextChapter, &QAction::triggered, this, [this] { RunCommand([this] { StepChapter(1); }); });
  connect(tbiCopyFrame, &QAction::triggered, this, [this] { RunCommand([this] { CopyFrame(); }); });
  connect(tbiCopyExactPixels, &QAction::triggered, this, [this] { RunCommand([this] { CopyExactPixels(); }); });
  connect(tbiActualSize, &QAction::triggered, this, [this] { RunCommand([this] { ShowFrameAtActualSize(); }); });
  // A double click on the picture looks at it closely (nothing without a video).
  VideoPanel->OnPanelDblClick = [this](QObject*) { tbiActualSize->trigger(); };
  // Clicks on the thumbnail reach eventFilter through the application-wide filter.
  connect(imageTree, &QTreeWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { pmImageLibrary->popup(imageTree->viewport()->mapToGlobal(at)); });
}

void TMainDlg::ConnectLibrary() {
  Commands.CheckUpdate = [this] {
    TPlaybackPause paused(*FrameBar);
    ShowCheckUpdateDialog(this);
  };
  TMainWindowHooks hooks;
  hooks.ClearThumbnail = [this] {
    ClearThumbnail();
    imgThumb->setToolTip(QString());
  };
  // The box shows the focused image: its tip says where that came from.
  hooks.SetThumbnail = [this](const QImage& picture) {
    SetThumbnail(picture);
    imgThumb->setToolTip(Library_ ? ImageSourceTip(*FilmManager, Library_->FocusedNode()) : QString());
  };
  hooks.HideStartPicture = [this] { imgMainView->hide(); };
  hooks.VideoOpened = [this](std::int64_t) { VideoFileOpened(); };
  // An open that fails ends after the command that began it: its error is
  // reported as a command's would be.
  hooks.OpenFailed = [this](const std::exception_ptr& error) { RunCommand([&error] { std::rethrow_exception(error); }); };
  hooks.Explain = [this](const QString& why) { Explain(why); };
  hooks.SuggestedFilmName = [this] {
    return Dvd_ ? QString::fromStdString(DvdFilmName(Dvd_->Disc.VolumeName)) : QString();
  };
  hooks.DescribeDisc = [this](TCaptureSource& source) {
    const TDvdTitle* title = DvdTitle();
    if (title == nullptr) return;
    source.DvdVolume = Dvd_->Disc.VolumeName;
    source.DvdLocation = QFileInfo(QString::fromStdString(Dvd_->Disc.Location)).absoluteFilePath().toStdString();
    source.Title = title->Number;
    if (!title->Chapters.empty())
      source.Chapter = std::int32_t(ChapterAt(ChapterPositions(), FrameBar->Position()) + 1);
  };
  hooks.GoToSource = [this](const TCaptureSource& source, const TLibraryHost::TSourceFound& found) {
    GoToSource(source, found);
  };
  // Opening a video needs no library, so the host exists without one too.
  LibraryHost_ = std::make_unique<TFrameBarLibraryHost>(*FrameBar, this, std::move(hooks));
  if (FilmManager == nullptr) return;

  // The controller rebuilds the tree from the document, replacing the placeholder root.
  imageTree->clear();
  Library_ = std::make_unique<TImageLibraryManager>(imageTree, *FilmManager, *LibraryHost_, DataFolderPath(),
                                                    ProgramFolder());
  LibraryManager = Library_.get();
  Library_->SetContextMenu(
      {pmImageLibrary, pmiNewCategory, pmiNewFilm, pmiSaveImageHere, pmiDelete, pmiEdit, pmImage, nullptr});
  disconnect(imageTree, &QTreeWidget::customContextMenuRequested, this, nullptr);
  connect(imageTree, &QTreeWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { Library_->PopupContextMenu(at); });

  TImageLibraryManager* library = Library_.get();
  Commands.NewCategory = [library] { library->NewCategory(); };
  Commands.NewFilm = [library] { library->NewFilm(); };
  Commands.SaveImage = [library] { library->SaveImage(); };
  Commands.DeleteNode = [library] { library->DeleteNode(); };
  Commands.EditNode = [library] { library->EditNode(); };
  Commands.OpenVideoFile = [library] { library->OpenVideoFile(); };

  library->FramePosition = [this] { return FrameBar->Position(); };
  Commands.ViewFrame = [library] { library->ViewFrame(); };
  Commands.ExportFrame = [library] { library->ExportFrame(); };
  Commands.CropFrame = [library] { library->CropFrame(); };
  Commands.ResizeFrame = [library] { library->ResizeFrame(); };
  Commands.ViewImage = [library] { library->ViewImage(); };
  Commands.CropImage = [library] { library->CropImage(); };
  Commands.ResizeImage = [library] { library->ResizeImage(); };
  Commands.PrintImage = [this, library] { library->PrintImage(this); };
  Commands.ExportImage = [this, library](int tag) { library->ExportImage(tag, this); };
  Commands.CheckUpdate = [library] { library->CheckForUpdate(); };
  Commands.GoToSource = [this, library] { GoToImageSource(*FilmManager, *LibraryHost_, library->FocusedNode()); };
  AddGoToSource();
  AddNameTemplateItem(tbTools, this);
  // The search finds images by where they were captured too.
  if (auto* search = etSearch->findChild<TLibraryTreeFilter*>())
    search->MoreText = [this](QTreeWidgetItem* node) { return ImageSourceSearchText(*FilmManager, node); };
}

void TMainDlg::VideoFileOpened() {
  // A file took the place of the DVD title.
  Dvd_.reset();
  ShowOpenedVideo(FrameBar->MaxPosition());
  ShowVideoStatus();
  NoteOpenedVideo(FrameBar->FileName);
}

void TMainDlg::StartOpeningVideo(const QString& path) {
  if (!DvdLocation(QFile::encodeName(path).toStdString()).empty()) {
    OpenDvd(path);
    return;
  }
  TImageLibraryManager::OpenChosenVideo(*LibraryHost_, path);
}

void TMainDlg::OpenVideo(const QString& path) {
  StartOpeningVideo(path);
  FrameBar->WaitForOpen();
}

void TMainDlg::ShowOpenedVideo(std::int64_t maxPosition) {
  // The video's keys (arrows, Home, End, PageUp/PageDown) go to the picture
  // until the person clicks or tabs elsewhere.
  VideoPanel->setFocus(Qt::OtherFocusReason);
  Slider->setValue(0);
  Slider->setMaximum(int(maxPosition));
  std::vector<int> marks;
  for (const std::int64_t start : ChapterPositions()) marks.push_back(int(start));
  Slider->SetMarks(std::move(marks));
  FollowOpening();
}

void TMainDlg::ClearThumbnail() {
  ThumbDIB.Fill(TBGRColor{0, 0, 0});
  TFastDIB picture;
  picture.SetSize(ThumbDIB.Width(), ThumbDIB.Height(), 24);
  ThumbDIB.Draw(picture, 0, 0);
  DrawFrame(0xFFFFFF, 1, picture);
  imgThumb->setPixmap(QPixmap::fromImage(DibToImage(picture)));
}

void TMainDlg::SetThumbnail(const QImage& picture) {
  // A narrowed pane gives the box less than the picture: it shrinks to fit.
  const QSize box = imgThumb->size();
  const bool fits = picture.width() <= box.width() && picture.height() <= box.height();
  imgThumb->setPixmap(QPixmap::fromImage(fits ? picture : picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

bool TMainDlg::ShowCutNameTip(QHelpEvent* event) {
  const QTreeWidgetItem* item = imageTree->itemAt(event->pos());
  if (item == nullptr) {
    QToolTip::hideText();
    return true;
  }
  // A name the pane cuts shows whole in the tip, and an image's tip says
  // where it was captured.
  const QRect cell = imageTree->visualItemRect(item);
  const int needed = cell.x() + imageTree->fontMetrics().horizontalAdvance(item->text(0)) + 8;
  const bool cut = needed > imageTree->viewport()->width();
  const QString source =
      Library_ ? ImageSourceTip(*FilmManager, const_cast<QTreeWidgetItem*>(item)) : QString();
  if (!cut && source.isEmpty()) {
    QToolTip::hideText();
    return true;
  }
  const QString tip = cut ? (source.isEmpty() ? item->text(0) : item->text(0) + '\n' + source) : source;
  QToolTip::showText(event->globalPos(), tip, imageTree->viewport(), cell);
  return true;
}

void TMainDlg::Explain(const QString& why) { lbStatus->setText(why); }

void TMainDlg::CopyFrame() { CopyFrameAs(TFrameCopy::Shown); }

void TMainDlg::CopyExactPixels() { CopyFrameAs(TFrameCopy::Exact); }

void TMainDlg::CopyFrameAs(TFrameCopy how) {
  if (!FrameBar->FileOpened()) {
    Explain(QStringLiteral("Copy Frame: open a video first."));
    return;
  }
  // The playback thread writes the frame: it holds still while it is copied.
  TPlaybackPause paused(*FrameBar);
  TFastDIB shaped;
  if (how == TFrameCopy::Shown) {
    // The shape the picture windows show it in: the save dialog's last
    // choice may have been the ITU one.
    const TFastDIB& frame = FrameBar->FrameDIB();
    const TDisplayAspect viewed = ViewedFrameAspect(LoadAspectPreference(SaveAspectPath(ProgramFolder())),
                                                    frame.Width(), frame.RowCount(), FrameBar->DisplayAspect());
    ToSquarePixels(frame, viewed, shaped);
  }
  const TFastDIB& frame = how == TFrameCopy::Shown ? shaped : FrameBar->FrameDIB();
  if (CopyPictureToClipboard(frame))
    Explain(QStringLiteral("The frame (%1 x %2) is on the clipboard.").arg(frame.Width()).arg(frame.RowCount()));
}

void TMainDlg::ShowFrameAtActualSize() {
  if (!FrameBar->FileOpened() || FrameBar->Opening()) return;
  // The frame holds still while it is looked at; playback goes on afterwards.
  TPlaybackPause paused(*FrameBar);
  TActualSizeDlg view(this);
  view.SetFrame(FrameBar->FrameDIB(), FrameBar->DisplayAspect(), FrameBar->FrameNumber());
  view.exec();
}

void TMainDlg::UpdateVideoCommands() {
  tbiPlay->setEnabled(btPlay->isEnabled());
  tbiPause->setEnabled(btPause->isEnabled());
  const bool frameKeys = FrameKeysAllowed();
  for (QAction* step : {tbiBackward, tbiForward, tbiBackwardMore, tbiForwardMore, tbiMoveStep})
    step->setEnabled(frameKeys);
  const bool navigation = FrameNavigationAllowed();
  for (QAction* step : {tbiBackStep, tbiFirstFrame, tbiLastFrame}) step->setEnabled(navigation);
  // While another video opens, the panel shows that one's first picture.
  tbiCopyFrame->setEnabled(FrameBar->FileOpened() && !FrameBar->Opening());
  tbiCopyExactPixels->setEnabled(tbiCopyFrame->isEnabled());
  tbiActualSize->setEnabled(tbiCopyFrame->isEnabled());
  // The frame's commands go with their buttons.
  tbiViewFrame->setEnabled(btView->isEnabled());
  tbiCropFrame->setEnabled(btCrop->isEnabled());
  tbiResizeFrame->setEnabled(btResize->isEnabled());
  tbiExportFrame->setEnabled(btExport->isEnabled());
  tbiSaveImage->setEnabled(btSave->isEnabled());
  const bool chapters = frameKeys && ChapterPlaces().Starts.size() > 1;
  tbiPreviousChapter->setEnabled(chapters);
  tbiNextChapter->setEnabled(chapters);
}

void TMainDlg::FollowOpening() {
  const bool opening = FrameBar->Opening();
  pbParseVideo->setVisible(opening);
  btCancelOpen->setVisible(opening);
  // The status line takes the whole bar unless the progress needs its end.
  const int statusWidth = opening ? pbParseVideo->x() - 2 * lbStatus->x() : StatusPanel_->width() - 2 * lbStatus->x();
  if (lbStatus->width() != statusWidth) {
    lbStatus->resize(statusWidth, lbStatus->height());
    if (FrameBar->FileOpened() && !opening) ShowVideoStatus();
  }
  const bool usable = FrameBar->FileOpened() && !opening;
  for (QWidget* control : std::initializer_list<QWidget*>{btSave, btView, btExport, btCrop, btResize, Slider})
    control->setEnabled(usable);
  btPlay->setEnabled(usable && !FrameBar->Playing());
  btPause->setEnabled(usable && FrameBar->Playing());
  UpdateVideoCommands();
}

int TMainDlg::RoundedFrameRate() const {
  return static_cast<int>(std::nearbyint(FrameBar->GetFrameRate()));
}

bool TMainDlg::FrameKeysAllowed() const { return btPlay->isEnabled() || FrameBar->Playing(); }

bool TMainDlg::FrameNavigationAllowed() const { return FrameKeysAllowed() && FrameBar->FrameNavigation(); }

bool TMainDlg::FocusTakesNavigationKeys() const {
  const QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr) return false;
  // The tree's own editor lies inside it.
  if (focus == imageTree || imageTree->isAncestorOf(focus)) return true;
  // So do the picture grid's (it moves through the pictures with them).
  if (PictureGrid && (focus == PictureGrid || PictureGrid->isAncestorOf(focus))) return true;
  // So does the menu bar while the keyboard walks it.
  return qobject_cast<const QLineEdit*>(focus) != nullptr || qobject_cast<const QAbstractSpinBox*>(focus) != nullptr ||
         qobject_cast<const QTextEdit*>(focus) != nullptr || qobject_cast<const QPlainTextEdit*>(focus) != nullptr ||
         qobject_cast<const QMenuBar*>(focus) != nullptr;
}

bool TMainDlg::FocusTakesKey(int key) const {
  const QWidget* focus = QApplication::focusWidget();
  // What is typed into a text field (the library search) is text.
  if (qobject_cast<const QLineEdit*>(focus) != nullptr) return true;
  return key == Qt::Key_Space && qobject_cast<const QAbstractButton*>(focus) != nullptr;
}

void TMainDlg::PausedFrameStep(void (TVideoFrameBar::*step)()) {
  FrameBar->Pause();
  (FrameBar->*step)();
  Slider->setValue(int(FrameBar->Position()));
}

void TMainDlg::StepSlider(int delta) {
  FrameBar->Pause();
  Slider->setValue(Slider->value() + delta);
  FrameBar->ShowFrameAt(std::int64_t(Slider->value()) * PositionBlock);
}

void TMainDlg::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  const int r = RoundedFrameRate();
  switch (key) {
    case Qt::Key_Escape:
      FrameBar->CancelOpen();
      break;
    case Qt::Key_Space:
    case Qt::Key_P:
      // Both toggle whenever a video is open, also after the end or a failure.
      if (FrameBar->Playing()) {
        FrameBar->Pause();
      } else if (FrameBar->FileOpened()) {
        btPlayClick();
      }
      break;
    case Qt::Key_A:
      if (!(modifiers & Qt::ShiftModifier)) {
        if (FrameKeysAllowed()) StepSlider(-r);
      } else if (FrameNavigationAllowed()) {
        PausedFrameStep(&TVideoFrameBar::StepBack);
      }
      break;
    case Qt::Key_D:
      if (!FrameKeysAllowed()) break;
      if (modifiers & Qt::ShiftModifier) {
        PausedFrameStep(&TVideoFrameBar::StepForward);
      } else {
        StepSlider(r);
      }
      break;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
      if (FrameNavigationAllowed() && !FocusTakesNavigationKeys()) {
        PausedFrameStep(key == Qt::Key_Left    ? &TVideoFrameBar::StepBack
                        : key == Qt::Key_Right ? &TVideoFrameBar::StepForward
                        : key == Qt::Key_Home  ? &TVideoFrameBar::ShowFirstFrame
                                               : &TVideoFrameBar::ShowLastFrame);
      }
      break;
    case Qt::Key_S:
      if (FrameKeysAllowed()) StepSlider(-8 * r);
      break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      // The tree and the edits page with them; the menu items step anyway.
      if (FrameKeysAllowed() && !FocusTakesNavigationKeys()) StepChapter(key == Qt::Key_PageUp ? -1 : 1);
      break;
    case Qt::Key_W:
      if (!FrameKeysAllowed()) break;
      if (modifiers & Qt::ControlModifier) {
        RunCommand(Commands.SaveImage);
      } else {
        StepSlider(8 * r);
      }
      break;
    default:
      break;
  }
}

void TMainDlg::SendKey(int key) {
  RunCommand([this, key] { FormKeyDown(key, QApplication::queryKeyboardModifiers()); });
}

bool TMainDlg::eventFilter(QObject* watched, QEvent* event) {
  // An unhandled key travels on to the parents of its receiver. A command
  // that opened a dialog has moved the focus by then, so the parents are
  // recognised as the same key's way up: that walk is the only thing that
  // happens between the handling and the next other event.
  const bool onItsWayUp = event == KeyHandled_ && event->type() == QEvent::KeyPress && watched->isWidgetType() &&
                          KeyReceiver_ && static_cast<QWidget*>(watched)->isAncestorOf(KeyReceiver_);
  if (!onItsWayUp) KeyHandled_ = nullptr;
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() && !onItsWayUp) {
    // Each key once, at its first receiver: the focused control of this
    // window, or the window itself when nothing has the focus. The key goes
    // on to the control afterwards.
    auto* widget = static_cast<QWidget*>(watched);
    QWidget* focus = QApplication::focusWidget();
    const bool first = focus != nullptr ? widget == focus : widget == this;
    if (first && widget->window() == this && !FocusTakesKey(static_cast<QKeyEvent*>(event)->key())) {
      auto* keyEvent = static_cast<QKeyEvent*>(event);
      RunCommand([this, keyEvent] { FormKeyDown(keyEvent->key(), keyEvent->modifiers()); });
      KeyHandled_ = event;
      KeyReceiver_ = widget;
    }
  } else if (event->type() == QEvent::ToolTip && watched == imageTree->viewport()) {
    return ShowCutNameTip(static_cast<QHelpEvent*>(event));
  } else if (watched == imgThumb && IsClickRelease(watched, event)) {
    RunCommand(Commands.ViewImage);
  }
  return QWidget::eventFilter(watched, event);
}

void TMainDlg::btPlayClick() {
  if (Slider->value() == Slider->maximum()) {
    FrameBar->ShowFrameAt(0);
    Slider->setValue(0);
  }
  FrameBar->Play();
}

void TMainDlg::btPauseClick() { FrameBar->Pause(); }

void TMainDlg::tbiMoveStepClick() {
  FrameBar->StepForward();
  Slider->setValue(int(FrameBar->Position()));
}

void TMainDlg::tbiBackStepClick() {
  FrameBar->StepBack();
  Slider->setValue(int(FrameBar->Position()));
}

void TMainDlg::SliderMouseDown() {
  if (Slider->Dragging && FrameBar->Playing()) {
    WasPlaying = true;
    FrameBar->Pause();
  }
}

void TMainDlg::SliderMouseUp() {
  if (!Slider->Dragging) return;
  // The release positions exactly; a picture still waiting is not wanted.
  Scrub_->Cancel();
  if (Slider->value() == Slider->maximum()) {
    // Released at the end: rewind and stay stopped.
    FrameBar->ShowFrameAt(0);
    WasPlaying = false;
    Slider->setValue(0);
    return;
  }
  FrameBar->ShowFrameAt(std::int64_t(Slider->value()) * PositionBlock);
  if (WasPlaying) FrameBar->Play();
  Slider->Dragging = false;
  WasPlaying = false;
}

void TMainDlg::FrameBarProgress(TOpenProgress kind, std::int32_t value) {
  switch (kind) {
    case TOpenProgress::Started:
      pbParseVideo->setValue(value);
      // The new video's facts come with its end; until then, what goes on.
      lbStatus->setText(QStringLiteral("Opening %1\u2026").arg(FrameBar->FileName));
      lbStatus->setToolTip(FrameBar->FileName);
      break;
    case TOpenProgress::Step:
      pbParseVideo->setValue(value);
      return;
    case TOpenProgress::Finished:
      pbParseVideo->setValue(value);
      // The new video's size is known once it is open.
      ShowVideoStatus();
      break;
    case TOpenProgress::Abandoned:
      // The previous video is back, or none at all: then the start picture.
      if (FrameBar->FileOpened()) {
        ShowVideoStatus();
      } else {
        lbStatus->clear();
        imgMainView->show();
      }
      break;
  }
  FollowOpening();
}

void TMainDlg::FrameBarFrameSelect() { imgMainView->hide(); }

void TMainDlg::FrameBarPlayStateChange() {
  FollowOpening();
  // The rate shown turns from nominal to measured and back.
  if (FrameBar->FileOpened() && !FrameBar->Opening()) ShowVideoStatus();
}

void TMainDlg::FrameBarPositionChange() {
  Slider->setValue(int(FrameBar->Position()));
  ShowVideoStatus();
}

TStatusFacts TMainDlg::StatusFacts() const {
  TStatusFacts facts;
  facts.Path = FrameBar->FileName;
  facts.Width = FrameBar->VideoWidth();
  facts.Height = FrameBar->VideoHeight();
  facts.TimeMs = std::llround(FrameBar->CurrentTime() * 86400000.0);
  facts.FrameNumber = FrameBar->FrameNumber();
  facts.FrameCount = FrameBar->FrameCount();
  facts.NominalRate = FrameBar->GetFrameRate();
  facts.MeasuredRate = FrameBar->MeasuredRate();
  facts.Playing = FrameBar->Playing();
  if (const std::optional<TStillKind> still = FrameBar->StillKind()) facts.Still = QString::fromLatin1(StillKindText(*still));
  if (const TChapterPlaces chapters = ChapterPlaces(); !chapters.Starts.empty()) {
    facts.Chapter = std::int32_t(ChapterAt(chapters.Starts, chapters.Here) + 1);
    facts.ChapterCount = std::int32_t(chapters.Starts.size());
  }
  return facts;
}

void TMainDlg::ShowVideoStatus() {
  lbStatus->setText(StatusLineText(StatusFacts(), lbStatus->fontMetrics(), lbStatus->width()));
  // A DVD title's tip names the disc it came from.
  lbStatus->setToolTip(DvdTitle() != nullptr ? Dvd_->Chosen : FrameBar->FileName);
}

void TMainDlg::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  // Only X11 lets a program place its own window; elsewhere the window
  // system decides and nothing is done.
  if (QGuiApplication::platformName() != QLatin1String("xcb") || !isVisible()) return;
  const QScreen* screen = this->screen();
  if (screen == nullptr) return;
  const QRect work = screen->availableGeometry();
  const QRect frame = frameGeometry();
  // A window larger than the work area keeps its centred overhang.
  if (frame.width() > work.x() + work.width() || frame.height() > work.y() + work.height()) return;
  const TRect proposed{frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()};
  const TRect clamped = ClampMovedRect(proposed, work.x() + work.width(), work.y() + work.height());
  if (clamped.Left != proposed.Left || clamped.Top != proposed.Top) move(clamped.Left, clamped.Top);
}

}  // namespace kelta
