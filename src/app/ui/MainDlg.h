#pragma once
// TMainDlg: the program's main window. It builds the video area, couples the
// position slider with the frame bar, maps the playback keys, shows progress
// and the status line, and forwards every library and picture command to
// the controller through Commands.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include <QPointer>
#include <QString>
#include <QWidget>

#include "imaging/FastDIB.h"
#include "app/MainLayout.h"
#include "app/RecentVideos.h"
#include "app/ui/MainCommands.h"
#include "app/ui/StatusLine.h"
#include "library/CaptureSource.h"
#include "library/ui/LibraryHost.h"
#include "common/ui/LatestValueThrottle.h"
#include "video/DvdDisc.h"
#include "video/PlaybackPause.h"
#include "video/StillMode.h"

class QAction;
class QHelpEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolButton;
class QTreeWidget;

namespace kelta {

class TFrameBarLibraryHost;
class TPictureGrid;
class TPositionSlider;
class TImageLibraryManager;
class TVideoFrameBar;
enum class TOpenProgress : std::uint8_t;
class TVideoOutPanelEx;

class TMainDlg : public QWidget {
  Q_OBJECT
 public:
  // The client size of a new window; it resizes from there (see MainLayout).
  static constexpr int DesignWidth = TMainLayout::DesignWidth;
  static constexpr int DesignHeight = TMainLayout::DesignHeight;

  // libFolder: where codec.so is looked for (the program folder when empty).
  explicit TMainDlg(QWidget* parent = nullptr, const QString& libFolder = QString());
  ~TMainDlg() override;

  TMainCommands Commands;

  // Menus and their items.
  QMenuBar* TBXToolbar1 = nullptr;
  QMenu *tbFile = nullptr, *tbPlayback = nullptr, *tbTools = nullptr, *tbHelp = nullptr;
  QMenu* tbRecent = nullptr;
  // Tools: the frame on screen's commands, each with its key, and the two
  // ways to copy it.
  QAction *tbiViewFrame = nullptr, *tbiCropFrame = nullptr, *tbiResizeFrame = nullptr, *tbiExportFrame = nullptr,
          *tbiSaveImage = nullptr;
  // The frame's pixels one to one on the screen (Z, or a double click on the picture).
  QAction* tbiActualSize = nullptr;
  QAction *tbiCopyFrame = nullptr, *tbiCopyExactPixels = nullptr;
  QAction *tbiOpenDvd = nullptr, *tbiPreviousChapter = nullptr, *tbiNextChapter = nullptr;
  // Playback > Still: how a paused frame becomes a still.
  QMenu* tbStill = nullptr;
  QAction *tbiStillClean = nullptr, *tbiStillWeave = nullptr, *tbiStillBlend = nullptr;
  // Playback > Subtitles: "Off" and the streams of the video on screen,
  // made afresh each time it opens.
  QMenu* tbSubtitles = nullptr;
  QAction *tbiOpen = nullptr, *tbiNewCategory = nullptr, *tbiNewFilm = nullptr, *tbiDelete = nullptr,
          *tbiEdit = nullptr, *tbiClose = nullptr;
  QAction *tbiPlay = nullptr, *tbiPause = nullptr, *tbiBackward = nullptr, *tbiForward = nullptr,
          *tbiBackwardMore = nullptr, *tbiForwardMore = nullptr, *tbiMoveStep = nullptr, *tbiBackStep = nullptr,
          *tbiFirstFrame = nullptr, *tbiLastFrame = nullptr;
  QAction *TBXItem1 = nullptr, *TBXItem2 = nullptr;
  QAction *tbiContent = nullptr, *tbiCheckUpdate = nullptr, *tbiAbout = nullptr;
  // The library pane's pop-up menu; which items show is the tree's business.
  QMenu* pmImageLibrary = nullptr;
  QMenu *pmImage = nullptr, *pmExport = nullptr;
  QAction *pmiNewCategory = nullptr, *pmiNewFilm = nullptr, *pmiSaveImageHere = nullptr, *pmiDelete = nullptr,
          *pmiEdit = nullptr, *pmiView = nullptr, *pmiCrop = nullptr, *pmiResize = nullptr, *pmiPrint = nullptr,
          *pmiBmp = nullptr, *pmiJpeg = nullptr, *pmiPng = nullptr, *pmiGif = nullptr, *pmiPdf = nullptr;
  // Image > Go to Source: the selected image's video or disc title on its frame.
  QAction* pmiGoToSource = nullptr;

  // Buttons.
  QPushButton *btOpen = nullptr, *btPlay = nullptr, *btPause = nullptr, *btSave = nullptr, *btHelp = nullptr,
              *btUpdate = nullptr;
  QPushButton *btView = nullptr, *btResize = nullptr, *btCrop = nullptr, *btExport = nullptr;
  // Beside the progress bar while a video opens: ends the open (so does Esc).
  QPushButton* btCancelOpen = nullptr;

  // Video area.
  QFrame* FlatPanel1 = nullptr;
  TVideoOutPanelEx* VideoPanel = nullptr;
  QLabel* imgMainView = nullptr;
  TVideoFrameBar* FrameBar = nullptr;
  TPositionSlider* Slider = nullptr;

  // Library pane.
  QFrame* Panel3 = nullptr;
  QLabel* Label1 = nullptr;
  // Filters the tree as the person types (see LibraryTreeFilter).
  QLineEdit* etSearch = nullptr;
  QTreeWidget* imageTree = nullptr;
  // The pictures of the film or category chosen in the tree, over the video
  // area while Tools > Picture Grid (or the toggle on the pane's title) is on.
  TPictureGrid* PictureGrid = nullptr;
  QAction* tbiPictureGrid = nullptr;
  QLabel* imgThumb = nullptr;
  TFastDIB ThumbDIB;

  // Status bar.
  QLabel* lbStatus = nullptr;
  QProgressBar* pbParseVideo = nullptr;

  // Playback was running when a slider drag began.
  bool WasPlaying = false;
  // While the slider is dragged, the picture follows it at the pace the
  // decoder allows.
  const TLatestValueThrottle& Scrubbing() const { return *Scrub_; }

  // Starts opening a video as if it had been chosen in the Open Video
  // dialog, a DVD folder or disc image as Open DVD opens it; the window
  // follows the open and shows its error when it fails.
  void StartOpeningVideo(const QString& path);
  // The same, returning once the open has ended.
  void OpenVideo(const QString& path);

  // File > Open DVD: asks for a DVD folder or disc image and opens it.
  void OpenDvdCommand();
  // Opens a DVD folder or disc image: its only title at once, else the title
  // chosen in the chooser. An encrypted title or one the decoder refuses
  // raises an error and leaves the open video as it was; a disc whose title
  // information is damaged opens its largest title set as plain video and
  // says so. False when the chooser was cancelled.
  // The title opens beside the window like a file (see StartOpeningVideo);
  // true once it began. Playback that ran until the caller paused it runs
  // again if no title opens.
  bool OpenDvd(const QString& chosen, TPlaybackBefore before = TPlaybackBefore::Paused);
  // Shows the first frame of the chapter `delta` chapters from the one on
  // screen (Previous/Next Chapter).
  void StepChapter(int delta);
  // The DVD title on screen; null for a file, for nothing, and while another
  // video opens.
  const TDvdTitle* DvdTitle() const;

  // Opening from outside the Open dialog: the recent list, a drop, the
  // command line, a later start. The video opens once no modal window is up
  // (a dialog may be working on the current frame); an error in it reaches
  // the user as the standard error report.
  void OpenWhenFree(const QString& path);
  // A later start's request: the window comes to the front and opens the
  // video, when one is named.
  void HandOver(const QString& video);

  // Remembers the videos opened, and the Open dialog's folder, in this file
  // (beside the library); without one they are kept for this run only.
  void UseRecentVideosFile(const std::filesystem::path& file);
  const TRecentVideos& RecentVideos() const { return Recent_; }
  // Takes the still choice kept in this file (beside the library) and keeps
  // each new choice there; without one a choice lasts for this run.
  void UseStillModeFile(const std::filesystem::path& file);
  // The Playback > Still choice: the frame on screen is made again.
  void ChooseStillMode(TStillMode mode);
  // Keeps each disc's subtitle choice in this file (beside the library);
  // without one a choice lasts while the disc is on screen.
  void UseSubtitleChoiceFile(const std::filesystem::path& file);
  // The Playback > Subtitles choice (SubtitlesOff for "Off"): drawn over
  // the frame on screen and every frame after it, and kept for a disc.
  void ChooseSubtitle(std::int32_t stream);
  // Lists the subtitle choices of the video on screen in Playback > Subtitles.
  void FillSubtitlesMenu();

  // Copies the frame on screen to the clipboard in the shape it is shown
  // at (square pixels, as the picture windows copy it)...
  void CopyFrame();
  // ...or with its pixels as decoded, as the "Original" aspect stores them.
  void CopyExactPixels();
  // Shows the frame on screen at 100 % in a window of its own, playback
  // paused while it is open.
  void ShowFrameAtActualSize();

  // Opens the video or DVD title a still was captured from and shows its
  // frame (see TLibraryHost::GoToSource). A video that is not at its path is
  // said so, and a file dialog finds it; a disc is recognised by its volume
  // name, and one that is not at its place, or is another disc, is asked for.
  void GoToSource(const TCaptureSource& source, const TLibraryHost::TSourceFound& found);

  // Says in the status line why a command could not act.
  void Explain(const QString& why);

  // Offers the pictures that no library entry names, once the window shows.
  void OfferUnreferencedPictures();

  // The library pane's width; the layout may give less when the window is narrow.
  int LibraryWidth() const { return LibraryWidth_; }
  void SetLibraryWidth(int width);

  // Blanks the thumbnail box: black 200 x 113 with a white outline.
  void ClearThumbnail();
  // Shows a library picture in the thumbnail box (centred).
  void SetThumbnail(const QImage& picture);

  // The key table; modifiers other than the ones named are ignored.
  void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);

  // Handlers of the window's own commands.
  void btPlayClick();
  void btPauseClick();
  void tbiMoveStepClick();
  void tbiBackStepClick();
  void SliderMouseDown();
  void SliderMouseUp();
  void FrameBarProgress(TOpenProgress kind, std::int32_t value);
  void FrameBarFrameSelect();
  void FrameBarPlayStateChange();
  void FrameBarPositionChange();

  // "<file> - [<w>x<h>] - Time: <time> (<rate> fps)" from the frame bar.
  TStatusFacts StatusFacts() const;
  // The status line for the frame on screen, fitted to the label.
  void ShowVideoStatus();
  // Runs a command; an error it raises ends it and reaches the user as the
  // standard error report, and the window stays usable.
  void RunCommand(const TMainCommands::TCommand& command);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A dragged local file may be dropped on the window to open it.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TLatestValueThrottle* Scrub_ = nullptr;

  void BuildMenus();
  void BuildButtons();
  void BuildVideoArea(const QString& libFolder);
  void BuildLibraryPane();
  // The search field above the tree, with the filter behind it.
  void BuildSearchField();
  // The picture grid, its toggle and their wiring to the tree, the search
  // and the commands (made with the first layout).
  void BuildPictureGrid();
  // Shows the grid over the video area, or the video again.
  void ShowPictureGrid(bool on);
  void BuildStatusBar();
  // Puts every control at its place for the window's size and the library
  // pane's width (see MainLayout).
  void ApplyLayout();
  // Tab goes through the buttons, the picture, its commands, the slider, the
  // search field and the library tree in the order they stand.
  void ChainTabOrder();
  void ConnectCommands();
  // Hands the library commands to the controller once the document exists.
  void ConnectLibrary();
  // Sends the key table a key with the keyboard's current modifiers.
  void SendKey(int key);
  bool FrameKeysAllowed() const;
  // The frame-exact steps need a video whose decoder numbers its frames.
  bool FrameNavigationAllowed() const;
  // Left, Right, Home and End belong to the library tree, to text boxes
  // and to the menu bar while they have the keyboard focus.
  bool FocusTakesNavigationKeys() const;
  // The tip of a library entry whose name the pane cuts: the whole name.
  bool ShowCutNameTip(QHelpEvent* event);
  // Space presses a button that has the focus instead of playing; a text
  // field takes every key.
  bool FocusTakesKey(int key) const;
  enum class TFrameCopy : std::uint8_t { Shown, Exact };
  void CopyFrameAs(TFrameCopy how);
  // Pauses playback, shows the frame the frame bar's `step` picks and moves
  // the slider to it.
  void PausedFrameStep(void (TVideoFrameBar::*step)());
  // Moves the slider by delta blocks (clamped) and shows the frame there.
  void StepSlider(int delta);
  int RoundedFrameRate() const;
  // The playback items and Copy Frame follow whether there is a video to act on.
  void UpdateVideoCommands();
  // While a video opens, the controls that act on the open video rest, and
  // the progress bar and its Cancel button show.
  void FollowOpening();
  void BringToFront();
  // The controls of a newly opened video: the slider over its positions with
  // its chapter marks, the frame commands.
  void ShowOpenedVideo(std::int64_t maxPosition);
  // The chapter starts of the DVD title or rip on screen, in slider positions.
  std::vector<std::int64_t> ChapterPositions() const;
  // The chapters of the video on screen and where it is among them: a DVD
  // title's by slider position, a rip's (Matroska and MP4 chapters) by
  // frame number; none while another video opens.
  struct TChapterPlaces {
    std::vector<std::int64_t> Starts;
    std::int64_t Here = 0;
  };
  TChapterPlaces ChapterPlaces() const;
  void OpenPendingVideo();
  // A video opened: first in the recent list, its folder remembered.
  void NoteOpenedVideo(const QString& path);
  void SaveRecentVideos();
  void RebuildRecentMenu();
  void OpenRecentVideo(const QString& path);

  // The library controller's view of this window; the Open Video command
  // uses it also while there is no library document.
  std::unique_ptr<TFrameBarLibraryHost> LibraryHost_;
  // The library controller (none without a library document). Owned here
  // rather than by its tree, so that it goes before the host it works through.
  std::unique_ptr<TImageLibraryManager> Library_;
  // The key event last handed to the key table, while it walks up from the
  // control it reached first.
  const QEvent* KeyHandled_ = nullptr;
  QPointer<QWidget> KeyReceiver_;

  // The DVD on screen and which of its titles, with what was chosen to open it.
  struct TOpenDvd {
    QString Chosen;
    TDvdDisc Disc;
    std::size_t Title = 0;
  };
  std::optional<TOpenDvd> Dvd_;
  std::filesystem::path StillModeFile_;
  std::filesystem::path SubtitleChoiceFile_;
  // Draws the subtitle kept for the disc of the title that opened.
  void UseDiscSubtitle();
  // The controls' containers that the layout moves, beside the public ones.
  QFrame *ButtonPanel_ = nullptr, *ButtonSeparator_ = nullptr, *StatusPanel_ = nullptr;
  QWidget *SliderStrip_ = nullptr, *Splitter_ = nullptr;
  QLabel* LibraryTitlePicture_ = nullptr;
  QToolButton* GridToggle_ = nullptr;
  // The library pane's width as the person dragged it.
  int LibraryWidth_ = TMainLayout::DesignLibraryWidth;

  // While a disc's structure is being read, other videos wait.
  bool ReadingDisc_ = false;
  // The window takes the disc whose title has opened.
  void DvdTitleOpened(TOpenDvd opened);
  // The window takes the file that has opened.
  void VideoFileOpened();
  // Go to Source's parts (MainDlgSource.cpp): the menu item, the file or
  // disc found, and the frame shown once it is open.
  void AddGoToSource();
  std::optional<QString> FindSourceVideo(const TCaptureSource& source);
  std::optional<TOpenDvd> FindSourceDisc(const TCaptureSource& source);
  void ShowSourceFrame(const TCaptureSource& source);

  TRecentVideos Recent_;
  std::filesystem::path RecentFile_;
  // The video that waits for a modal window to close, and the timer that looks.
  QString PendingVideo_;
  QTimer* PendingTimer_ = nullptr;
};

}  // namespace kelta
