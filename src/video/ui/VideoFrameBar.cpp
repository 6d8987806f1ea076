#include "video/ui/VideoFrameBar.h"

#include <chrono>
#include <cmath>
#include <exception>
#include <thread>
#include <utility>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>

#include "imaging/ImageUtils.h"
#include "imaging/Resample.h"
#include "imaging/ui/DibImage.h"
#include "video/MPEG2Decoder.h"
#include "video/NearbyFrames.h"
#include "video/StillMaker.h"
#include "video/SubtitleOverlay.h"
#include "video/ui/FrameBarOpening.h"
#include "video/PlaybackPause.h"
#include "common/ui/VideoOutPanel.h"

namespace kelta {

namespace {

// The microsecond clock of the pacing; 64-bit and monotonic, so it never
// wraps. Never 0, which the schedule reads as "due at once".
std::int64_t MicroClock() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count() + 1;
}

std::int64_t RoundEven(double value) { return static_cast<std::int64_t>(std::nearbyint(value)); }

constexpr double TicksPerDay = 7776000000.0;  // 90 kHz x 86400 s

}  // namespace

TVideoFrameBar::TVideoFrameBar(QWidget* parent, const QString& libFolder) : QWidget(parent) {
  resize(DefaultWidth, DefaultHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
  setMouseTracking(true);

  const QString folder = libFolder.isEmpty() ? QCoreApplication::applicationDirPath() : libFolder;
  if (QFileInfo::exists(folder + QStringLiteral("/codec.so"))) {
    try {
      // The folder is named explicitly: the Linux loader does not search the
      // program's own folder for a bare name.
      DecoderFolder_ = QFile::encodeName(folder).toStdString();
      Decoder_ = MakeDecoder();
    } catch (const std::exception& error) {
      // A plugin that is there but cannot be loaded leaves the bar as if it
      // were missing, and says why.
      Decoder_.reset();
      QMessageBox::critical(nullptr, QStringLiteral("Tip"), QString::fromLocal8Bit(error.what()));
    }
  } else {
    QMessageBox::critical(nullptr, QStringLiteral("Tip"), QStringLiteral("Cannot find mpeg2 video stream decoder dll!"));
  }

  for (TFrameRect& cell : FrameRects_) cell.OnClick = [this](TFrameRect* sender) { FrameClick(sender); };
  LayoutCells(ScreenScale());
  FrameCopyProc = &CopyFrameBits;
}

TVideoFrameBar::~TVideoFrameBar() {
  // An open's worker ends first, untold: the window is going.
  Opening_.reset();
  // The thread uses the decoder and FrameDIB: it ends next.
  PlayThread_.reset();
  Decoder_.reset();
}

void TVideoFrameBar::Fire(const TNotifyEvent& event) {
  if (event) event(this);
}

double TVideoFrameBar::GetFrameRate() const { return Decoder_ ? Decoder_->Info().FrameRate : 0.0; }

TRect TVideoFrameBar::PanelArea() const {
  const TFastDIB& image = *OutputPanel->Image;
  return LetterboxRect(image.Width(), image.RowCount(), DisplayAspect_);
}

void TVideoFrameBar::RedrawPanel() {
  if (Playing_ || FrameDIB_.Empty() || OutputPanel == nullptr || OutputPanel->Image == nullptr) return;
  OutputPanel->Image->Fill(TBGRColor{0, 0, 0});
  ResampleBilinearInto(FrameDIB_, *OutputPanel->Image, PanelArea());
  OutputPanel->PictureChanged();
}

void TVideoFrameBar::ShowFrame(const FrameView& frame, std::uint32_t ticks) {
  // A frame of another shape than the open video's is not shown.
  if (!CopyFrameBits(frame, FrameDIB_)) return;
  DrawSubtitleOverFrame();
  CurrentTime_ = double(ticks) / TicksPerDay;
  FrameNumber_ = Decoder_->FrameNumber();
  // Those who hear of the frame see its position too.
  Position_ = Decoder_->GetFilePos() / PositionBlock;
  if (OutputPanel != nullptr && OutputPanel->Image != nullptr) {
    ResampleBilinearInto(FrameDIB_, *OutputPanel->Image, PanelArea());
    OutputPanel->PictureChanged();
  }
  Fire(OnFrameShown);
}

std::unique_ptr<TMPEG2Decoder> TVideoFrameBar::MakeDecoder() const {
  auto decoder = std::make_unique<TMPEG2Decoder>(DecoderFolder_);
  decoder->SetRGBScaleFlag(true);
  return decoder;
}

void TVideoFrameBar::BeginOpenDvdTitle(const QString& name, const TDvdCells& cells, TOpenDone done,
                                       TPlaybackBefore before) {
  FileName = name;
  PendingDvd_ = cells;
  BeginOpen(std::move(done), before);
}

void TVideoFrameBar::FrameClick(TFrameRect* sender) {
  if (!Decoder_ || !FileOpened_ || Opening_ || sender == nullptr) return;
  TPlaybackPause paused(*this);
  EndReached_ = false;
  Decoder_->Seek(sender->Position);
  ShowNextStill(Decoder_->NextFrameTime());
  Fire(OnFrameSelect);
  Position_ = Decoder_->GetFilePos() / PositionBlock;
  Fire(OnPositionChange);
}

void TVideoFrameBar::ShowFrameAt(std::int64_t position) {
  if (!Decoder_ || !FileOpened_ || Opening_) return;
  TPlaybackPause paused(*this);
  EndReached_ = false;
  if (position != -1) Decoder_->Seek(position);
  ShowNextStill(Decoder_->NextFrameTime());
  Position_ = Decoder_->GetFilePos() / PositionBlock;
}

// The frames played and the stills blend alike.
static_assert(TVideoFrameBar::BlendThreshold == StillBlendThreshold);

void TVideoFrameBar::ShowNextStill(std::uint32_t ticks) {
  const TMadeStill still = MakeNextStill(*Decoder_, StillMode_);
  if (!still.Frame) return;
  // Set first: those who hear of the frame ask what was done to it.
  StillKind_ = still.Kind;
  ShowFrame(still.Frame, ticks);
}

void TVideoFrameBar::DrawSubtitleOverFrame() {
  if (SubtitleStream_ < 0) return;
  TSubtitleImage subtitle;
  if (Decoder_->Subtitle(subtitle)) DrawSubtitle(subtitle, FrameDIB_);
}

bool TVideoFrameBar::SetSubtitle(std::int32_t stream, const std::vector<std::uint32_t>& palette) {
  if (!Decoder_ || !FileOpened_ || Opening_) return false;
  TPlaybackPause paused(*this);
  const bool chosen = Decoder_->SetSubtitleStream(stream, palette);
  if (!chosen && stream >= 0) Decoder_->SetSubtitleStream(-1, {});
  const std::int32_t before = SubtitleStream_;
  SubtitleStream_ = chosen ? stream : -1;
  if (SubtitleStream_ != before || stream >= 0) RemakeStill();
  return chosen;
}

std::uint32_t TVideoFrameBar::SubtitleStreams() const {
  return Decoder_ && FileOpened_ ? Decoder_->SubtitleStreams() : 0;
}

void TVideoFrameBar::RemakeStill() {
  if (FrameNavigation() && FrameNumber_ >= 0 && !Playing_) ShowFrameNumber(FrameNumber_);
}

void TVideoFrameBar::BecomeStill() {
  // Playback showed cheap frames: the one on screen becomes a still.
  StillKind_ = PlaybackThreshold() > 0 ? TStillKind::LineBlend : TStillKind::Unprocessed;
  if (StillMode_ == TStillMode::Clean) RemakeStill();
}

void TVideoFrameBar::SetStillMode(TStillMode mode) {
  if (mode == StillMode_) return;
  StillMode_ = mode;
  RemakeStill();
}

bool TVideoFrameBar::FrameNavigation() const { return Decoder_ && FileOpened_ && Decoder_->FrameNavigation(); }

void TVideoFrameBar::ShowFrameNumber(std::int64_t number) {
  if (!FrameNavigation() || number < 0 || number >= FrameCount_) return;
  TPlaybackPause paused(*this);
  EndReached_ = false;
  if (!Decoder_->SeekFrame(number)) return;
  ShowNextStill(Decoder_->NextFrameTime());
  Position_ = Decoder_->GetFilePos() / PositionBlock;
}

std::vector<TFastDIB> TVideoFrameBar::FramesNear(std::span<const std::int64_t> offsets) {
  if (!FrameNavigation() || Playing_ || Opening_ || FrameNumber_ < 0 || FrameDIB_.Empty()) return {};
  return DecodeFramesNear(*Decoder_, FrameNumber_, FrameCount_, offsets, FrameDIB_.Width(), FrameDIB_.Height());
}

void TVideoFrameBar::StepForward() {
  // The decoder's next frame need not follow the one on screen (after the
  // open's strip, or a frame playback decoded but never showed): the number
  // says which one does.
  if (FrameNavigation() && FrameNumber_ >= 0) {
    ShowFrameNumber(FrameNumber_ + 1);
  } else {
    ShowFrameAt(-1);
  }
}

void TVideoFrameBar::StepBack() {
  if (FrameNumber_ > 0) ShowFrameNumber(FrameNumber_ - 1);
}

void TVideoFrameBar::ShowFirstFrame() { ShowFrameNumber(0); }

void TVideoFrameBar::ShowLastFrame() { ShowFrameNumber(FrameCount_ - 1); }

void TVideoFrameBar::Play() {
  if (!Decoder_ || !FileOpened_ || Opening_) return;
  PlayThread_.reset();
  // Played through already: it starts over from the first frame.
  if (EndReached_) ShowFrameAt(0);
  Schedule_.Restart();
  // This run's rate shows once a second of it has been measured.
  RateMeter_.Restart();
  MeasuredRate_ = -1.0;
  PlayThread_ = std::make_unique<TMPEG2PlayThread>(Decoder_.get());
  PlayThread_->Target = &FrameDIB_;
  PlayThread_->OnStatus = [this](TPlayStatus status) { PlayStatus(status); };
  PlayThread_->Threshold = PlaybackThreshold();
  Playing_ = true;
  Paused_ = false;
  PlayThread_->Start();
  Fire(OnPlayStateChange);
}

void TVideoFrameBar::Pause() {
  if (!Decoder_ || !FileOpened_) return;
  PlayThread_.reset();
  const bool wasPlaying = Playing_;
  Playing_ = false;
  Paused_ = true;
  if (wasPlaying) BecomeStill();
  Fire(OnPlayStateChange);
}

void TVideoFrameBar::WaitForFrameDue() {
  // Sleep until shortly before the frame is due and yield only over the last
  // half millisecond, so a late wake-up does not make the frame late and the
  // wait never holds a core for the period.
  using namespace std::chrono;
  const std::int64_t due = Schedule_.Due();
  if (due - MicroClock() > 500)
    std::this_thread::sleep_until(steady_clock::time_point(microseconds(due - 1 - 500)));
  while (MicroClock() < due) std::this_thread::yield();
}

void TVideoFrameBar::PlayStatus(TPlayStatus status) {
  if (status & psFrameReady) {
    // The worker waits in this call: the decoder is this thread's now.
    FrameNumber_ = Decoder_->FrameNumber();
    DrawSubtitleOverFrame();
    if (OutputPanel != nullptr && OutputPanel->Image != nullptr) {
      ResampleNearestInto(FrameDIB_, *OutputPanel->Image, PanelArea());
      OutputPanel->PictureChanged();
    }
    if (Schedule_.Period() > 0) {
      WaitForFrameDue();
      Schedule_.FrameShown(MicroClock());
    }
    if (OutputPanel != nullptr) OutputPanel->PaintPictureNow();
    if (RateMeter_.FrameShown(MicroClock())) MeasuredRate_ = RateMeter_.Rate();
  }
  if ((status & (psFrameReady | psEndOfStream)) && PlayThread_) {
    Position_ = Decoder_->GetFilePos() / PositionBlock;
    // CurTime has moved on to the frame after the one shown.
    if (status & psFrameReady)
      CurrentTime_ = double(Decoder_->CurTime() - std::uint32_t(Decoder_->FrameDuration())) / TicksPerDay;
    Fire(OnPositionChange);
  }
  if (status & psEndOfStream) EndReached_ = true;
  if (status & psStopped) {
    Playing_ = false;
    // The worker waits in this call and decodes no more: the frame playback
    // ended on becomes a still, as when it is paused.
    BecomeStill();
    Fire(OnPlayStateChange);
  }
}

TPixelScale TVideoFrameBar::ScreenScale() const { return TPixelScale{devicePixelRatioF()}; }

void TVideoFrameBar::LayoutCells(TPixelScale scale) {
  TRect r{0, 0, width(), height()};
  r.Top += 10 + 4;
  r.Bottom -= 15 + 4;
  const int cellH = r.Bottom - r.Top - 4;
  const int cellW = int(RoundEven(cellH * 1.77));
  int left = r.Left + 9;
  for (TFrameRect& cell : FrameRects_) {
    cell.SetRect(TRect{left, r.Top + 2, left + cellW, r.Bottom - 2}, scale);
    left += cellW + 8;
  }
}

namespace {
// Rows top..bottom-1 of the buffer's whole width in one colour.
void FillRows(TFastDIB& buffer, int top, int bottom, COLORREF colour) {
  buffer.SelectBrush(TBrushStyle::Solid, 0, colour);
  buffer.FillRect(TRect{0, top, buffer.Width(), bottom});
}
}  // namespace

void TVideoFrameBar::PaintTo(TFastDIB& buffer, TPixelScale scale) {
  const int w = width();
  const int h = height();
  buffer.SetSize(scale.At(w), scale.At(h), 24);
  if (buffer.Empty()) return;
  buffer.Fill(TBGRColor{255, 255, 255});

  // The pointer mark at the top centre.
  buffer.SelectBrush(TBrushStyle::Solid, 0, 0xB3A592);
  buffer.SelectPen(TPenStyle::Solid, 1, 0xB3A592);
  const TPoint pointer[3] = {
      {scale.At(w / 2 - 10), scale.At(10)}, {scale.At(w / 2), 0}, {scale.At(w / 2 + 10), scale.At(10)}};
  buffer.Polygon(pointer);

  // The band: a dark outer strip, a light inner one with soft edges, each
  // edge line a logical row whatever the scale.
  const int bandTop = 10;
  const int bandBottom = h - 15;
  FillRows(buffer, scale.At(bandTop), scale.At(bandBottom), 0xB3A592);
  const int innerTop = bandTop + 4;
  const int innerBottom = bandBottom - 4;
  FillRows(buffer, scale.At(innerTop), scale.At(innerBottom), 0xE3DFDA);
  static constexpr COLORREF topShades[5] = {0xC6C0B9, 0xD1CCC9, 0xD9D4D1, 0xE0DAD5, 0xE8E0D9};
  static constexpr COLORREF bottomShades[5] = {0xC6C1B8, 0xD0CDC8, 0xDAD6D1, 0xE0DCD7, 0xE4E0DB};
  for (int i = 0; i < 5; ++i) {
    FillRows(buffer, scale.At(innerTop + i), scale.At(innerTop + i + 1), topShades[i]);
    FillRows(buffer, scale.At(innerBottom - i), scale.At(innerBottom - i + 1), bottomShades[i]);
  }

  LayoutCells(scale);
  for (TFrameRect& cell : FrameRects_) {
    cell.FrameColor = 0xC5C5C5;
    cell.Draw(buffer, scale);
  }
}

void TVideoFrameBar::paintEvent(QPaintEvent*) {
  const TPixelScale scale = ScreenScale();
  TFastDIB buffer;
  PaintTo(buffer, scale);
  QImage image = DibToImage(buffer);
  if (image.isNull()) return;
  // One buffer pixel to one screen pixel: the strip is drawn at the screen's
  // own resolution, not scaled up from the logical size.
  image.setDevicePixelRatio(scale.Ratio);
  QPainter painter(this);
  painter.drawImage(QPointF(0, 0), image);
}

void TVideoFrameBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutCells(ScreenScale());
}

void TVideoFrameBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  for (TFrameRect& cell : FrameRects_) {
    if (cell.Contains(p.x(), p.y())) {
      cell.Pressed = true;
      update();
      break;
    }
  }
}

void TVideoFrameBar::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  for (TFrameRect& cell : FrameRects_) {
    if (!cell.Contains(p.x(), p.y()) && cell.Pressed) {
      cell.Pressed = false;
      update();
    }
  }
}

void TVideoFrameBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  for (TFrameRect& cell : FrameRects_) {
    if (!cell.Contains(p.x(), p.y())) continue;
    cell.Pressed = false;
    if (FileOpened_ && !Opening_) {
      for (TFrameRect& other : FrameRects_) other.Selected = false;
      cell.Selected = true;
    }
    update();
    cell.Click();
    break;
  }
}

}  // namespace kelta
