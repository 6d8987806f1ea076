#pragma once
// TVideoFrameBar: owns the decoder and the open video, draws the strip of
// eight thumbnails spread over the file, shows the current frame in the
// output panel, seeks and steps on request, and runs and paces playback.
// Positions are byte offsets; the user interface counts blocks of 10240 bytes.
// A video opens on a worker thread (VideoFrameBarOpening.cpp); the bar
// switches to it only once it opened.

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <QPointer>
#include <QString>
#include <QWidget>

#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"
#include "imaging/PixelScale.h"
#include "video/FrameSchedule.h"
#include "video/MPEG2Decoder.h"
#include "video/PlaybackPause.h"
#include "video/RateMeter.h"
#include "video/StillMode.h"
#include "video/ui/FrameRect.h"
#include "video/ui/MPEG2PlayThread.h"

namespace kelta {

class TMPEG2Decoder;
class TVideoOutPanelEx;

// Bytes per slider step and per position unit.
constexpr std::int64_t PositionBlock = 10240;


// The steps of an open that the progress event reports.
enum class TOpenProgress : std::uint8_t {
  Started = 0,   // value 0
  Step = 1,      // value: percent done
  Finished = 2,  // value 100: the new video is open
  Abandoned = 3  // value 0: the open failed or was cancelled; the previous video is back
};

// How an open ended.
enum class TOpenEnd : std::uint8_t { Opened, Failed, Cancelled };

class TVideoFrameBar : public QWidget {
  Q_OBJECT
 public:
  using TNotifyEvent = std::function<void(QObject* sender)>;
  using TProgressEvent = std::function<void(QObject* sender, TOpenProgress kind, std::int32_t value)>;
  // Hears how one open ended; `error` is set when it failed.
  using TOpenDone = std::function<void(TOpenEnd end, const std::exception_ptr& error)>;

  static constexpr int DefaultWidth = 475;
  static constexpr int DefaultHeight = 65;
  static constexpr std::int32_t BlendThreshold = 240;

  // Loads the decoder when codec.so lies in libFolder (by default the program
  // folder); otherwise tells the user once and works as an empty strip.
  explicit TVideoFrameBar(QWidget* parent = nullptr, const QString& libFolder = QString());
  ~TVideoFrameBar() override;

  // Set by the caller before OpenVideo.
  QString FileName;
  // The window may take the panel down before the bar.
  QPointer<TVideoOutPanelEx> OutputPanel;

  TProgressEvent OnProgress;
  TNotifyEvent OnFrameSelect;
  TNotifyEvent OnPlayStateChange;
  TNotifyEvent OnPositionChange;
  // A still frame was shown: a cell's, a seek's or a step's.
  TNotifyEvent OnFrameShown;

  // Starts opening FileName on a worker thread and returns at once (without
  // the decoder or a name nothing happens). Playback pauses; the video's
  // first picture shows in the output panel as soon as it is decoded, the
  // progress events follow the pass over the file and the strip's cells fill
  // in as their frames are decoded. Stepping, seeks, cell clicks and playback
  // do nothing until the open ends. It ends on this thread, from the event
  // loop or WaitForOpen: on the new video, or, when it failed or was
  // cancelled, with the previous video's picture, strip, name, position and
  // playback as they were. `done` then hears how it ended. An open still
  // running when another begins ends as cancelled. Playback that ran until
  // the caller paused it runs again if no new video opens.
  void BeginOpen(TOpenDone done = {}, TPlaybackBefore before = TPlaybackBefore::Paused);
  // Ends a running open as cancelled, at once with a plugin that reports its
  // reading.
  void CancelOpen();
  // Runs a running open to its end on this thread.
  void WaitForOpen();
  bool Opening() const { return Opening_ != nullptr; }
  // Opens FileName and builds the strip before it returns: BeginOpen and
  // WaitForOpen. Throws the open's error (EMPEG2Error) with the bar unchanged.
  void OpenVideo();
  // Begins to open cells of a DVD title as BeginOpen begins a file; `name`
  // becomes FileName, which names the title (the previous name comes back
  // when no title opens).
  void BeginOpenDvdTitle(const QString& name, const TDvdCells& cells, TOpenDone done = {},
                         TPlaybackBefore before = TPlaybackBefore::Paused);
  void Play();
  void Pause();
  // Shows the next frame at byte position; -1 shows the next frame without seeking.
  void ShowFrameAt(std::int64_t position);
  // Draws the frame on screen into the output panel again, after the panel
  // took a new size; while playing, the next frame does it.
  void RedrawPanel();
  double GetFrameRate() const;
  // Frame-exact steps, where the decoder numbers its frames
  // (FrameNavigation): the frame after or before the one on screen, the
  // first and the last frame. Each pauses playback around it, like a seek.
  // Without numbers, StepForward shows the decoder's next frame and the
  // others do nothing.
  bool FrameNavigation() const;
  void StepForward();
  void StepBack();
  void ShowFirstFrame();
  void ShowLastFrame();
  // Shows frame `number` when the video has it.
  void ShowFrameNumber(std::int64_t number);
  // How a paused frame is made into a still (see StillMode.h). Playback
  // keeps the cheap line blend unless the choice is Weave; the frame on
  // screen when paused is the still the choice makes, and FrameDIB holds it,
  // so what is saved, copied or exported is what is seen. Changing the
  // choice while paused makes the frame on screen again.
  void SetStillMode(TStillMode mode);
  TStillMode StillMode() const { return StillMode_; }
  // The subtitle stream drawn over every frame shown, paused or playing,
  // after the still is made (SubtitleOverlay.h): FrameDIB holds it too, so
  // that what is saved, copied or exported shows it. Palette: the 16
  // colours of a DVD title; any other count: the plugin's greys.
  // SubtitlesOff (-1) draws none. Playback pauses around the change, and a
  // paused frame is made again with it. False, and subtitles off, when the
  // video lacks the stream or the plugin cannot draw subtitles. Every open
  // turns subtitles off.
  bool SetSubtitle(std::int32_t stream, const std::vector<std::uint32_t>& palette);
  std::int32_t Subtitle() const { return SubtitleStream_; }
  // The sub-picture streams of the open video: bit n for stream n.
  std::uint32_t SubtitleStreams() const;
  // What was done to the frame on screen; nothing while playing.
  std::optional<TStillKind> StillKind() const { return Playing_ ? std::nullopt : StillKind_; }
  // Frames `offsets` away from the one on screen (in display order), decoded
  // as they are and not shown: the frame on screen, its number, position and
  // still stay, and the next step, a new still choice or playback go on from
  // it as before. Offsets outside the video are left out; nothing without
  // frame numbers, while playing or while a video opens.
  std::vector<TFastDIB> FramesNear(std::span<const std::int64_t> offsets);
  // A cell's click: shows the cell's frame and reports the new position.
  void FrameClick(TFrameRect* sender);
  // Runs on the main thread for every report of the playback thread.
  void PlayStatus(TPlayStatus status);

  bool DecoderLoaded() const { return Decoder_ != nullptr; }
  // A video is open (also while another one is opening).
  bool FileOpened() const { return FileOpened_; }
  bool Playing() const { return Playing_; }
  bool Paused() const { return Paused_; }
  // Playback ran to the last frame and nothing was shown since; Play then
  // starts over.
  bool EndReached() const { return EndReached_; }
  std::int64_t Position() const { return Position_; }
  std::int64_t MaxPosition() const { return MaxPosition_; }
  // Microseconds each frame stays on screen in playback.
  std::int64_t FramePeriod() const { return Schedule_.Period(); }
  double MeasuredRate() const { return MeasuredRate_; }
  // Number of the frame on screen (display order from 0) and the frames of
  // the video; -1 when the decoder does not say.
  std::int64_t FrameNumber() const { return FrameNumber_; }
  std::int64_t FrameCount() const { return FrameCount_; }
  // The first frames of the chapters the open file marks (Matroska and MP4),
  // rising, and those frames' positions; none for other videos.
  const std::vector<std::int64_t>& ChapterFrames() const { return ChapterFrames_; }
  const std::vector<std::int64_t>& ChapterPositions() const { return ChapterPositions_; }
  // The time of the frame on screen as a fraction of a day (90 kHz ticks /
  // 7,776,000,000), as the status line formats it.
  double CurrentTime() const { return CurrentTime_; }
  std::int32_t VideoWidth() const { return VideoWidth_; }
  std::int32_t VideoHeight() const { return VideoHeight_; }
  // The shape the open video's pictures are shown at: the panel and the
  // cells show them so, with black bars. Unknown when the decoder does not
  // say; pictures then fill the panel and the cells.
  TDisplayAspect DisplayAspect() const { return DisplayAspect_; }
  // The current frame at full video size; pause playback before reading it.
  TFastDIB& FrameDIB() { return FrameDIB_; }
  TMPEG2Decoder* Decoder() { return Decoder_.get(); }
  TFrameRect& FrameRect(int index) { return FrameRects_.at(std::size_t(index)); }
  static constexpr int CellCount = 8;

  // The strip as painted, into a buffer of the bar's size in the pixels of a
  // screen of that scale (the cells' thumbnails take that scale too).
  void PaintTo(TFastDIB& buffer, TPixelScale scale = {});

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void LayoutCells(TPixelScale scale);
  // The scale of the screen the bar is on.
  TPixelScale ScreenScale() const;
  // Shows a still frame of time `ticks` (90 kHz from the first frame).
  void ShowFrame(const FrameView& frame, std::uint32_t ticks);
  // Decodes the next frame and shows it as the still the choice makes.
  void ShowNextStill(std::uint32_t ticks);
  // Lays the chosen stream's subtitle of the frame the decoder returned
  // last over FrameDIB_.
  void DrawSubtitleOverFrame();
  // Makes the frame on screen again as a still, where frames are numbered.
  void RemakeStill();
  // The frame playback left on screen, paused or at the end, as a still.
  void BecomeStill();
  // The line blend's threshold for frames decoded while playing and for the
  // opener's pictures: 0 (none) for the Weave choice.
  std::int32_t PlaybackThreshold() const { return StillMode_ == TStillMode::Weave ? 0 : BlendThreshold; }
  // Where the picture lies in the output panel's image.
  TRect PanelArea() const;
  void Fire(const TNotifyEvent& event);
  void WaitForFrameDue();

  // A decoder over the plugin in DecoderFolder_, ready for RGB frames.
  std::unique_ptr<TMPEG2Decoder> MakeDecoder() const;

  // The open in progress and the previous video's look to put back.
  struct TOpening;
  // Applies what the worker has made ready; ends the open when it ended.
  void TakeOpenNews();
  void SwitchToOpenedVideo(std::unique_ptr<TMPEG2Decoder> decoder, TFastDIB first);
  // Puts the previous video's look back; the playback pause stays when
  // another open follows at once.
  enum class TAfterward : std::uint8_t { ResumePlayback, AnotherOpen };
  void AbandonOpen(TOpenEnd end, const std::exception_ptr& error, TAfterward afterward);

  std::string DecoderFolder_;
  // The DVD cells the next OpenVideo opens instead of FileName's file; taken
  // (and so cleared) as that open begins.
  TDvdCells PendingDvd_;
  std::unique_ptr<TMPEG2Decoder> Decoder_;
  std::unique_ptr<TMPEG2PlayThread> PlayThread_;
  std::array<TFrameRect, CellCount> FrameRects_;
  TFastDIB FrameDIB_;
  bool FileOpened_ = false;
  bool Playing_ = false;
  bool Paused_ = true;
  bool EndReached_ = false;
  TFrameSchedule Schedule_;
  TRateMeter RateMeter_;
  std::int64_t MaxPosition_ = 0;
  std::int64_t Position_ = 0;
  double MeasuredRate_ = -1.0;
  std::int64_t FrameNumber_ = -1;
  std::int64_t FrameCount_ = -1;
  std::vector<std::int64_t> ChapterFrames_, ChapterPositions_;
  double CurrentTime_ = 0.0;
  std::int32_t VideoWidth_ = 0;
  std::int32_t VideoHeight_ = 0;
  // FileName of the video open, which it gets back when no other opens.
  QString OpenedName_;
  std::uint64_t OpenCount_ = 0;
  std::unique_ptr<TOpening> Opening_;
  TDisplayAspect DisplayAspect_;
  TStillMode StillMode_ = TStillMode::Blend;
  std::optional<TStillKind> StillKind_;
  std::int32_t SubtitleStream_ = -1;
};

}  // namespace kelta
