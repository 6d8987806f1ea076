// TVideoFrameBar's opening of a video. The open runs on a TVideoOpener's
// worker; what it makes ready reaches the bar on the main thread, from the
// event loop or from WaitForOpen. The new video's first picture and strip
// cells show as they come, over the previous video's, which they cover until
// the open ends: the bar switches to the new video once it opened, and
// otherwise puts the previous one's look back.
#include <utility>

#include <QFile>
#include <QMetaObject>

#include "common/ui/VideoOutPanel.h"
#include "imaging/Resample.h"
#include "video/MPEG2Decoder.h"
#include "video/ui/FrameBarOpening.h"

namespace kelta {

void TVideoFrameBar::BeginOpen(TOpenDone done, TPlaybackBefore before) {
  // The cells of a DVD title go with this open only.
  TDvdCells dvd = std::exchange(PendingDvd_, TDvdCells{});
  if (!Decoder_ || FileName.isEmpty()) return;
  const QString name = FileName;
  if (Opening_) {
    if (Opening_->Before == TPlaybackBefore::Playing) before = TPlaybackBefore::Playing;
    AbandonOpen(TOpenEnd::Cancelled, nullptr, TAfterward::AnotherOpen);
    FileName = name;
  }
  // Playback of the previous video rests while the new one opens.
  if (Playing_) {
    before = TPlaybackBefore::Playing;
    Pause();
  }
  auto opening = std::make_unique<TOpening>();
  opening->Id = ++OpenCount_;
  opening->Done = std::move(done);
  opening->Before = before;

  TVideoOpener::TRequest request;
  request.Path = QFile::encodeName(name).toStdString();
  request.Dvd = std::move(dvd);
  request.MakeDecoder = [this] { return MakeDecoder(); };
  request.Threshold = PlaybackThreshold();
  for (const TFrameRect& cell : FrameRects_) request.ThumbSizes.emplace_back(cell.Thumb.Width(), cell.Thumb.RowCount());
  const std::uint64_t id = opening->Id;
  // In place before the worker starts, so that its first news finds it.
  Opening_ = std::move(opening);
  Opening_->Opener = std::make_unique<TVideoOpener>(std::move(request), [this, id] {
    QMetaObject::invokeMethod(
        this,
        [this, id] {
          if (Opening_ && Opening_->Id == id) TakeOpenNews();
        },
        Qt::QueuedConnection);
  });
  if (OnProgress) OnProgress(this, TOpenProgress::Started, 0);
}

void TVideoFrameBar::CancelOpen() {
  if (Opening_) AbandonOpen(TOpenEnd::Cancelled, nullptr, TAfterward::ResumePlayback);
}

void TVideoFrameBar::WaitForOpen() {
  while (Opening_) {
    Opening_->Opener->WaitForNews();
    TakeOpenNews();
  }
}

void TVideoFrameBar::OpenVideo() {
  std::exception_ptr failure;
  BeginOpen([&failure](TOpenEnd, const std::exception_ptr& error) { failure = error; });
  WaitForOpen();
  if (failure) std::rethrow_exception(failure);
}

void TVideoFrameBar::TakeOpenNews() {
  TOpening& opening = *Opening_;
  const std::uint64_t id = opening.Id;
  TVideoOpener::TNews news = opening.Opener->Take();
  TFastDIB* panel = OutputPanel != nullptr ? OutputPanel->Image : nullptr;
  if (!news.FirstPicture.Empty() && panel != nullptr) {
    if (!opening.PanelCovered) {
      opening.PreviousPanel.SetSize(panel->Width(), panel->RowCount(), 24);
      panel->Draw(opening.PreviousPanel, 0, 0);
      opening.PanelCovered = true;
    }
    panel->Fill(TBGRColor{0, 0, 0});
    ResampleBilinearInto(news.FirstPicture, *panel,
                         LetterboxRect(panel->Width(), panel->RowCount(), news.FirstAspect));
    OutputPanel->PictureChanged();
  }
  for (TVideoOpener::TCell& cell : news.Cells) {
    const auto i = std::size_t(cell.Index);
    if (!opening.ThumbReplaced[i]) {
      opening.PreviousThumbs[i] = std::move(FrameRects_[i].Thumb);
      opening.ThumbReplaced[i] = true;
    }
    FrameRects_[i].Thumb = std::move(cell.Thumb);
    opening.NewPositions[i] = cell.Position;
  }
  if (!news.Cells.empty()) update();
  if (news.Percent >= 0 && OnProgress) {
    OnProgress(this, TOpenProgress::Step, news.Percent);
    // The handler may have cancelled this open, or begun another.
    if (!Opening_ || Opening_->Id != id) return;
  }
  if (!news.Ended) return;
  if (news.Error) {
    AbandonOpen(TOpenEnd::Failed, news.Error, TAfterward::ResumePlayback);
  } else {
    SwitchToOpenedVideo(std::move(news.Decoder), std::move(news.First));
  }
}

void TVideoFrameBar::SwitchToOpenedVideo(std::unique_ptr<TMPEG2Decoder> decoder, TFastDIB first) {
  const std::unique_ptr<TOpening> opening = std::move(Opening_);
  const TMPEG2FrameInfo info = decoder->Info();
  Decoder_ = std::move(decoder);
  FrameDIB_ = std::move(first);
  // Nothing of the previous video's playback carries over. The first
  // picture is the first frame shown, number 0 where frames are numbered.
  CurrentTime_ = 0.0;
  MeasuredRate_ = -1.0;
  FrameNumber_ = Decoder_->FrameNavigation() ? 0 : -1;
  FrameCount_ = Decoder_->FrameCount();
  ChapterFrames_.clear();
  ChapterPositions_.clear();
  for (const TMPEG2Decoder::TChapterStart& start : Decoder_->ChapterStarts()) {
    ChapterFrames_.push_back(start.Frame);
    ChapterPositions_.push_back(start.Position / PositionBlock);
  }
  VideoWidth_ = info.Width;
  VideoHeight_ = info.Height;
  DisplayAspect_ = Decoder_->DisplayAspect();
  MaxPosition_ = Decoder_->FileSize() / PositionBlock;
  OpenedName_ = FileName;
  // The plugin starts every video without subtitles.
  SubtitleStream_ = -1;
  // Every cell's thumbnail came before the end.
  for (std::size_t i = 0; i < FrameRects_.size(); ++i) {
    TFrameRect& cell = FrameRects_[i];
    cell.Position = opening->NewPositions[i];
    cell.Pressed = false;
    cell.Selected = false;
  }
  if (OutputPanel != nullptr && OutputPanel->Image != nullptr) {
    // The bars of this video's shape; later frames only fill the picture's area.
    OutputPanel->Image->Fill(TBGRColor{0, 0, 0});
    ResampleBilinearInto(FrameDIB_, *OutputPanel->Image, PanelArea());
    OutputPanel->PictureChanged();
  }
  update();
  FileOpened_ = true;
  EndReached_ = false;
  Schedule_.SetPeriod(FramePeriodMicros(info.FrameRate));
  // The first picture came from the opener as playback shows frames.
  BecomeStill();
  if (OnProgress) OnProgress(this, TOpenProgress::Finished, 100);
  if (opening->Done) opening->Done(TOpenEnd::Opened, nullptr);
}

void TVideoFrameBar::AbandonOpen(TOpenEnd end, const std::exception_ptr& error, TAfterward afterward) {
  const std::unique_ptr<TOpening> opening = std::move(Opening_);
  // Cancels the worker and waits for it: nothing more comes from it.
  opening->Opener.reset();
  for (std::size_t i = 0; i < FrameRects_.size(); ++i)
    if (opening->ThumbReplaced[i]) FrameRects_[i].Thumb = std::move(opening->PreviousThumbs[i]);
  update();
  if (opening->PanelCovered && OutputPanel != nullptr && OutputPanel->Image != nullptr) {
    opening->PreviousPanel.Draw(*OutputPanel->Image, 0, 0);
    OutputPanel->PictureChanged();
  }
  FileName = OpenedName_;
  if (OnProgress) OnProgress(this, TOpenProgress::Abandoned, 0);
  if (afterward == TAfterward::ResumePlayback && opening->Before == TPlaybackBefore::Playing) Play();
  if (opening->Done) opening->Done(end, error);
}

}  // namespace kelta
