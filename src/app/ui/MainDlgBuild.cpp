// Construction of the main window: menus, buttons, video area, library pane
// and status bar at their fixed places.
#include <tuple>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "app/ui/MainDlg.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/FrameBarLibraryHost.h"
#include "library/ui/LibraryHost.h"
#include "library/ui/LibraryTreeFilter.h"
#include "app/ui/PositionSlider.h"
#include "common/ui/ShowException.h"
#include "video/ui/VideoFrameBar.h"
#include "common/ui/VideoOutPanel.h"

namespace kelta {

namespace {



QPushButton* BigButton(const QString& name, const QString& caption, QWidget* parent, int x, int y, int w, int h) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(x, y, w, h);
  // Tab reaches a button; a click leaves the focus where it was (the
  // picture keeps the video's keys).
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

}  // namespace

TMainDlg::TMainDlg(QWidget* parent, const QString& libFolder) : QWidget(parent) {
  setObjectName(QStringLiteral("MainDlg"));
  setWindowTitle(ApplicationTitle);
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  setMinimumSize(TMainLayout::MinimumWidth, TMainLayout::MinimumHeight);
  resize(DesignWidth, DesignHeight);

  BuildMenus();
  BuildButtons();
  BuildVideoArea(libFolder);
  BuildLibraryPane();
  BuildStatusBar();
  ChainTabOrder();
  ApplyLayout();
  ConnectCommands();

  ThumbDIB.SetSize(200, 113, 24);
  ClearThumbnail();
  ConnectLibrary();
  lbStatus->clear();
  UpdateVideoCommands();
  RebuildRecentMenu();
  PendingTimer_ = new QTimer(this);
  PendingTimer_->setSingleShot(true);
  connect(PendingTimer_, &QTimer::timeout, this, &TMainDlg::OpenPendingVideo);
  setAcceptDrops(true);
  // The key table sees every key before the focused control does.
  qApp->installEventFilter(this);
}

void TMainDlg::BuildMenus() {
  TBXToolbar1 = new QMenuBar(this);
  TBXToolbar1->setObjectName(QStringLiteral("TBXToolbar1"));
  TBXToolbar1->setGeometry(0, 0, DesignWidth, 21);
  TBXToolbar1->setNativeMenuBar(false);

  auto item = [this](QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
  };
  tbFile = TBXToolbar1->addMenu(QStringLiteral("&File"));
  tbFile->setObjectName(QStringLiteral("tbFile"));
  // A window shortcut works wherever the focus is in the window.
  auto shortcut = [this](QAction* action, const QKeySequence& keys) {
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
  };
  tbiOpen = item(tbFile, "tbiOpen", QStringLiteral("&Open Video"));
  shortcut(tbiOpen, QKeySequence::Open);
  tbiOpenDvd = item(tbFile, "tbiOpenDvd", QStringLiteral("Open D&VD\u2026"));
  tbRecent = tbFile->addMenu(QStringLiteral("&Recent Videos"));
  tbRecent->setObjectName(QStringLiteral("tbRecent"));
  tbFile->addSeparator();
  tbiNewCategory = item(tbFile, "tbiNewCategory", QStringLiteral("&New Category"));
  tbiNewFilm = item(tbFile, "tbiNewFilm", QStringLiteral("New &Film"));
  tbFile->addSeparator();
  tbiDelete = item(tbFile, "tbiDelete", QStringLiteral("&Delete"));
  tbiEdit = item(tbFile, "tbiEdit", QStringLiteral("&Edit"));
  tbFile->addSeparator();
  tbiClose = item(tbFile, "tbiClose", QStringLiteral("&Close"));

  tbPlayback = TBXToolbar1->addMenu(QStringLiteral("&Playback"));
  tbPlayback->setObjectName(QStringLiteral("tbPlayback"));
  // The playback keys belong to the window's key table, not to shortcuts:
  // the menus show them after a tab.
  tbiPlay = item(tbPlayback, "tbiPlay", QStringLiteral("&Play\tSpace"));
  tbiPause = item(tbPlayback, "tbiPause", QStringLiteral("Pa&use\tSpace"));
  tbPlayback->addSeparator();
  tbiBackward = item(tbPlayback, "tbiBackward", QStringLiteral("Backward\tA"));
  tbiForward = item(tbPlayback, "tbiForward", QStringLiteral("Forward\tD"));
  tbiBackwardMore = item(tbPlayback, "tbiBackwardMore", QStringLiteral("Backward More\tS"));
  tbiForwardMore = item(tbPlayback, "tbiForwardMore", QStringLiteral("Forward More\tW"));
  tbPlayback->addSeparator();
  tbiBackStep = item(tbPlayback, "tbiBackStep", QStringLiteral("Backward Step\tShift+A, Left"));
  tbiMoveStep = item(tbPlayback, "tbiMoveStep", QStringLiteral("Forward Step\tShift+D, Right"));
  tbiFirstFrame = item(tbPlayback, "tbiFirstFrame", QStringLiteral("First Frame\tHome"));
  tbiLastFrame = item(tbPlayback, "tbiLastFrame", QStringLiteral("Last Frame\tEnd"));
  tbPlayback->addSeparator();
  tbiPreviousChapter = item(tbPlayback, "tbiPreviousChapter", QStringLiteral("Previous &Chapter\tPgUp"));
  tbiNextChapter = item(tbPlayback, "tbiNextChapter", QStringLiteral("&Next Chapter\tPgDown"));
  tbPlayback->addSeparator();
  tbStill = tbPlayback->addMenu(QStringLiteral("&Still"));
  tbStill->setObjectName(QStringLiteral("tbStill"));
  auto* stillChoices = new QActionGroup(this);
  for (auto [action, name, mode] : {std::tuple{&tbiStillClean, "tbiStillClean", TStillMode::Clean},
                                    std::tuple{&tbiStillWeave, "tbiStillWeave", TStillMode::Weave},
                                    std::tuple{&tbiStillBlend, "tbiStillBlend", TStillMode::Blend}}) {
    *action = item(tbStill, name, QString::fromLatin1(StillModeCaption(mode)));
    (*action)->setCheckable(true);
    stillChoices->addAction(*action);
    connect(*action, &QAction::triggered, this, [this, mode = mode] { ChooseStillMode(mode); });
  }
  tbiStillClean->setChecked(true);
  tbSubtitles = tbPlayback->addMenu(QStringLiteral("Su&btitles"));
  tbSubtitles->setObjectName(QStringLiteral("tbSubtitles"));
  connect(tbSubtitles, &QMenu::aboutToShow, this, &TMainDlg::FillSubtitlesMenu);

  tbTools = TBXToolbar1->addMenu(QStringLiteral("&Tools"));
  tbTools->setObjectName(QStringLiteral("tbTools"));
  TBXItem1 = item(tbTools, "TBXItem1", QStringLiteral("&Crop"));
  TBXItem2 = item(tbTools, "TBXItem2", QStringLiteral("&Resize"));
  tbTools->addSeparator();
  tbiViewFrame = item(tbTools, "tbiViewFrame", QStringLiteral("&View Frame"));
  shortcut(tbiViewFrame, QKeySequence(Qt::CTRL | Qt::Key_Return));
  tbiActualSize = item(tbTools, "tbiActualSize", QStringLiteral("Frame at &100 %"));
  shortcut(tbiActualSize, QKeySequence(Qt::Key_Z));
  tbiCropFrame = item(tbTools, "tbiCropFrame", QStringLiteral("Cro&p Frame"));
  shortcut(tbiCropFrame, QKeySequence(Qt::CTRL | Qt::Key_K));
  tbiResizeFrame = item(tbTools, "tbiResizeFrame", QStringLiteral("Resi&ze Frame"));
  shortcut(tbiResizeFrame, QKeySequence(Qt::CTRL | Qt::Key_R));
  tbiExportFrame = item(tbTools, "tbiExportFrame", QStringLiteral("E&xport Frame\u2026"));
  shortcut(tbiExportFrame, QKeySequence(Qt::CTRL | Qt::Key_E));
  // Ctrl+W belongs to the key table, which saves without pausing playback.
  tbiSaveImage = item(tbTools, "tbiSaveImage", QStringLiteral("&Save Image\u2026\tCtrl+W"));
  tbTools->addSeparator();
  tbiCopyFrame = item(tbTools, "tbiCopyFrame", QStringLiteral("Copy &Frame"));
  shortcut(tbiCopyFrame, QKeySequence::Copy);
  tbiCopyExactPixels = item(tbTools, "tbiCopyExactPixels", QStringLiteral("Copy &Exact Pixels"));
  shortcut(tbiCopyExactPixels, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));

  tbHelp = TBXToolbar1->addMenu(QStringLiteral("&Help"));
  tbHelp->setObjectName(QStringLiteral("tbHelp"));
  tbiContent = item(tbHelp, "tbiContent", QStringLiteral("&Content"));
  shortcut(tbiContent, QKeySequence(Qt::Key_F1));
  tbHelp->addSeparator();
  tbiCheckUpdate = item(tbHelp, "tbiCheckUpdate", QStringLiteral("Check &Update"));
  tbHelp->addSeparator();
  tbiAbout = item(tbHelp, "tbiAbout", QStringLiteral("&About"));

  pmImageLibrary = new QMenu(this);
  pmImageLibrary->setObjectName(QStringLiteral("pmImageLibrary"));
  pmiNewCategory = item(pmImageLibrary, "pmiNewCategory", QStringLiteral("&New Category"));
  pmiNewFilm = item(pmImageLibrary, "pmiNewFilm", QStringLiteral("New &Film"));
  pmiSaveImageHere = item(pmImageLibrary, "pmiSaveImageHere", QStringLiteral("&Save Image Here"));
  pmImageLibrary->addSeparator();
  pmiDelete = item(pmImageLibrary, "pmiDelete", QStringLiteral("&Delete"));
  pmiEdit = item(pmImageLibrary, "pmiEdit", QStringLiteral("&Edit"));
  pmImageLibrary->addSeparator();
  pmImage = pmImageLibrary->addMenu(QStringLiteral("&Image"));
  pmImage->setObjectName(QStringLiteral("pmImage"));
  pmiView = item(pmImage, "pmiView", QStringLiteral("&View"));
  pmiCrop = item(pmImage, "pmiCrop", QStringLiteral("&Crop"));
  pmiResize = item(pmImage, "pmiResize", QStringLiteral("&Resize"));
  pmiPrint = item(pmImage, "pmiPrint", QStringLiteral("&Print"));
  pmExport = pmImage->addMenu(QStringLiteral("&Export"));
  pmExport->setObjectName(QStringLiteral("pmExport"));
  pmiBmp = item(pmExport, "pmiBmp", QStringLiteral("&BMP"));
  pmiJpeg = item(pmExport, "pmiJpeg", QStringLiteral("&JPEG"));
  pmiPng = item(pmExport, "pmiPng", QStringLiteral("&PNG"));
  pmiGif = item(pmExport, "pmiGif", QStringLiteral("&GIF"));
  pmiPdf = item(pmExport, "pmiPdf", QStringLiteral("P&DF"));
  int tag = 0;
  for (QAction* format : {pmiBmp, pmiJpeg, pmiPng, pmiGif, pmiPdf}) format->setData(tag++);
}

void TMainDlg::BuildButtons() {
  auto* panel1 = ButtonPanel_ = new QFrame(this);
  panel1->setObjectName(QStringLiteral("Panel1"));
  panel1->setGeometry(0, 21, DesignWidth, 50);
  btOpen = BigButton(QStringLiteral("btOpen"), QStringLiteral("Open Video"), panel1, 3, 4, 120, 42);
  btPlay = BigButton(QStringLiteral("btPlay"), QStringLiteral("Play Video"), panel1, 126, 4, 120, 42);
  btPause = BigButton(QStringLiteral("btPause"), QStringLiteral("Pause Video"), panel1, 249, 4, 120, 42);
  btSave = BigButton(QStringLiteral("btSave"), QStringLiteral("Save Image"), panel1, 372, 4, 120, 42);
  auto* image2 = ButtonSeparator_ = new QFrame(panel1);
  image2->setObjectName(QStringLiteral("Image2"));
  image2->setGeometry(498, 8, 2, 34);
  btHelp = BigButton(QStringLiteral("btHelp"), QStringLiteral("Help Doc"), panel1, 506, 4, 120, 42);
  btUpdate = BigButton(QStringLiteral("btUpdate"), QStringLiteral("Auto Update"), panel1, 629, 4, 120, 42);
  for (QPushButton* big : {btOpen, btPlay, btPause, btSave, btHelp, btUpdate}) big->setProperty("big", true);
}

void TMainDlg::BuildVideoArea(const QString& libFolder) {
  FlatPanel1 = new QFrame(this);
  FlatPanel1->setObjectName(QStringLiteral("FlatPanel1"));
  FlatPanel1->setGeometry(2, 71, 493, 403);
  FlatPanel1->setAutoFillBackground(true);
  QPalette white = FlatPanel1->palette();
  white.setColor(QPalette::Window, Qt::white);
  FlatPanel1->setPalette(white);
  const int clientW = 493 - 2;  // inside the one-pixel border
  const int clientH = 403 - 2;

  // The frame bar is created first so that it lies behind its siblings.
  FrameBar = new TVideoFrameBar(FlatPanel1, libFolder);
  FrameBar->SetStillMode(TStillMode::Clean);
  FrameBar->setObjectName(QStringLiteral("FrameBar"));
  FrameBar->move(1 + (clientW - FrameBar->width()) / 2, 1 + clientH - FrameBar->height() - 16);
  FrameBar->setCursor(Qt::ArrowCursor);
  // A click on the strip or the picture takes the keyboard focus from the
  // library tree, so that the arrow keys, Home and End step through frames.
  FrameBar->setFocusPolicy(Qt::ClickFocus);

  VideoPanel = new TVideoOutPanelEx(FlatPanel1);
  VideoPanel->setObjectName(QStringLiteral("VideoPanel"));
  VideoPanel->setGeometry(1 + (clientW - 400) / 2 + 1, 1 + 20, 400, 225);
  VideoPanel->setCursor(Qt::ArrowCursor);
  // A click or Tab gives the picture the video's keys.
  VideoPanel->setFocusPolicy(Qt::StrongFocus);
  imgMainView = new QLabel(VideoPanel);
  imgMainView->setObjectName(QStringLiteral("imgMainView"));

  btView = BigButton(QStringLiteral("btView"), QStringLiteral("View"), FlatPanel1, 1 + 49, 1 + 251, 98, 32);
  btResize = BigButton(QStringLiteral("btResize"), QStringLiteral("Resize"), FlatPanel1, 1 + 148, 1 + 251, 98, 32);
  btCrop = BigButton(QStringLiteral("btCrop"), QStringLiteral("Crop"), FlatPanel1, 1 + 247, 1 + 251, 98, 32);
  btExport = BigButton(QStringLiteral("btExport"), QStringLiteral("Export"), FlatPanel1, 1 + 346, 1 + 251, 98, 32);

  auto* sliderStrip = SliderStrip_ = new QWidget(FlatPanel1);
  sliderStrip->setObjectName(QStringLiteral("SliderStrip"));
  sliderStrip->setGeometry(1, 1 + clientH - 30, clientW, 30);
  Slider = new TPositionSlider(sliderStrip);
  Slider->setObjectName(QStringLiteral("Slider"));
  Slider->setGeometry(42, 6, 400, 18);

  FrameBar->OutputPanel = VideoPanel;
  VideoPanel->OnImageResized = [this] { FrameBar->RedrawPanel(); };
  FrameBar->OnProgress = [this](QObject*, TOpenProgress kind, std::int32_t value) { FrameBarProgress(kind, value); };
  FrameBar->OnFrameSelect = [this](QObject*) { FrameBarFrameSelect(); };
  FrameBar->OnPlayStateChange = [this](QObject*) { FrameBarPlayStateChange(); };
  FrameBar->OnPositionChange = [this](QObject*) { FrameBarPositionChange(); };
  FrameBar->OnFrameShown = [this](QObject*) { ShowVideoStatus(); };
  Slider->OnMouseDown = [this] { SliderMouseDown(); };
  Slider->OnMouseUp = [this] { SliderMouseUp(); };
  // Long enough between two pictures for the window to paint and take input.
  constexpr int ScrubPauseMs = 40;
  Scrub_ = new TLatestValueThrottle(this, ScrubPauseMs, [this](int value) {
    if (Slider->Dragging) FrameBar->ShowFrameAt(std::int64_t(value) * PositionBlock);
  });
  connect(Slider, &QSlider::valueChanged, this, [this](int value) {
    if (Slider->Dragging && FrameBar->FileOpened()) Scrub_->Request(value);
  });

  for (QWidget* off : std::initializer_list<QWidget*>{btPlay, btPause, btSave, btView, btResize, btCrop, btExport,
                                                       Slider}) {
    off->setEnabled(false);
  }
}

void TMainDlg::BuildLibraryPane() {
  Panel3 = new QFrame(this);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  Panel3->setGeometry(DesignWidth - 245, 71, 245, 403);
  auto* header = LibraryTitlePicture_ = new QLabel(Panel3);
  header->setObjectName(QStringLiteral("imgImageLibraryBar"));
  header->setGeometry(0, 0, 245, 24);
  Label1 = new QLabel(QStringLiteral("Image Library"), Panel3);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(0, 0, 245, 24);
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setTextFormat(Qt::PlainText);

  imageTree = new QTreeWidget(Panel3);
  imageTree->setObjectName(QStringLiteral("imageTree"));
  imageTree->setGeometry(0, 46, 245, 403 - 46 - 130);
  imageTree->setHeaderHidden(true);
  imageTree->setContextMenuPolicy(Qt::CustomContextMenu);
  // The root stays until the library controller builds the real tree.
  auto* root = new QTreeWidgetItem(imageTree, QStringList{QStringLiteral("My Library")});
  root->setExpanded(true);

  BuildSearchField();

  imgThumb = new QLabel(Panel3);
  imgThumb->setObjectName(QStringLiteral("imgThumb"));
  imgThumb->setGeometry(2, 403 - ThumbnailBoxHeight - 1, ThumbnailBoxWidth, ThumbnailBoxHeight);
  imgThumb->setAlignment(Qt::AlignCenter);
  imgThumb->setCursor(Qt::PointingHandCursor);
}

void TMainDlg::BuildSearchField() {
  etSearch = new QLineEdit(Panel3);
  etSearch->setObjectName(QStringLiteral("etSearch"));
  etSearch->setGeometry(0, 24, 245, 22);
  etSearch->setPlaceholderText(QStringLiteral("Search the library"));
  etSearch->setClearButtonEnabled(true);
  etSearch->setToolTip(QStringLiteral("Names, memos and sources of the library. Enter: view the first hit. Esc: clear"));
  // The filter works over the tree's items whoever fills them, so it is made with the tree.
  auto* filter = new TLibraryTreeFilter(etSearch, imageTree);
  filter->ViewImage = [this] { RunCommand(Commands.ViewImage); };
}

void TMainDlg::ChainTabOrder() {
  QWidget* const chain[] = {btOpen, btPlay,   btPause, btSave,   btHelp, btUpdate, VideoPanel,
                            btView, btResize, btCrop,  btExport, Slider, etSearch, imageTree};
  for (std::size_t i = 0; i + 1 < std::size(chain); ++i) setTabOrder(chain[i], chain[i + 1]);
}

void TMainDlg::BuildStatusBar() {
  auto* linePanel1 = StatusPanel_ = new QFrame(this);
  linePanel1->setObjectName(QStringLiteral("LinePanel1"));
  linePanel1->setGeometry(0, DesignHeight - 24, DesignWidth, 24);
  lbStatus = new QLabel(linePanel1);
  lbStatus->setObjectName(QStringLiteral("lbStatus"));
  lbStatus->setGeometry(3, 5, 494, 14);
  lbStatus->setTextFormat(Qt::PlainText);
  pbParseVideo = new QProgressBar(linePanel1);
  pbParseVideo->setObjectName(QStringLiteral("pbParseVideo"));
  pbParseVideo->setGeometry(506, 8, 176, 9);
  pbParseVideo->setRange(0, 100);
  pbParseVideo->setTextVisible(false);
  pbParseVideo->hide();
  btCancelOpen = new QPushButton(QStringLiteral("Cancel"), linePanel1);
  btCancelOpen->setObjectName(QStringLiteral("btCancelOpen"));
  btCancelOpen->setGeometry(688, 2, 58, 20);
  btCancelOpen->setToolTip(QStringLiteral("Stop opening the video (Esc); the open video stays"));
  btCancelOpen->setFocusPolicy(Qt::NoFocus);
  btCancelOpen->hide();
  connect(btCancelOpen, &QPushButton::clicked, this, [this] { FrameBar->CancelOpen(); });
}

}  // namespace kelta
