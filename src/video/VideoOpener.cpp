#include "video/VideoOpener.h"

#include <algorithm>

#include "imaging/ImageUtils.h"
#include "imaging/Resample.h"
#include "video/MPEG2Decoder.h"

namespace kelta {

namespace {

// The cells of a title's first `bytes`: whole ranges, then the one that
// reaches past them cut short.
TDvdCells HeadOfTitle(const TDvdCells& title, std::int64_t bytes) {
  TDvdCells head{title.Disc, title.TitleSet, {}};
  std::int64_t sectors = bytes / DvdSectorBytes;
  for (const KeltaCodecSectorRange& range : title.Ranges) {
    if (sectors <= 0) break;
    const std::int64_t taken = std::min(std::int64_t(range.Last) - range.First + 1, sectors);
    head.Ranges.push_back({range.First, std::uint32_t(range.First + taken - 1)});
    sectors -= taken;
  }
  return head;
}

}  // namespace

TVideoOpener::TVideoOpener(TRequest request, std::function<void()> notify)
    : Request_(std::move(request)), Notify_(std::move(notify)) {
  Worker_ = std::thread([this] { Run(); });
}

TVideoOpener::~TVideoOpener() {
  Cancel();
  if (Worker_.joinable()) Worker_.join();
}

TVideoOpener::TNews TVideoOpener::Take() {
  std::lock_guard lock(Mutex_);
  TNews news = std::move(News_);
  News_ = TNews{};
  HasNews_ = false;
  Told_ = false;
  return news;
}

void TVideoOpener::WaitForNews() {
  std::unique_lock lock(Mutex_);
  Changed_.wait(lock, [this] { return HasNews_; });
}

void TVideoOpener::Publish(const std::function<void(TNews&)>& change) {
  bool tell = false;
  {
    std::lock_guard lock(Mutex_);
    change(News_);
    HasNews_ = true;
    tell = !Told_;
    Told_ = true;
  }
  Changed_.notify_all();
  if (tell && Notify_) Notify_();
}

void TVideoOpener::ThrowIfCancelled() const {
  if (Cancelled_) throw EOpenCancelled();
}

void TVideoOpener::ReportPercent(int percent) {
  if (percent <= Percent_) return;
  Percent_ = percent;
  Publish([percent](TNews& news) { news.Percent = percent; });
}

void TVideoOpener::Run() {
  std::unique_ptr<TMPEG2Decoder> decoder;
  try {
    decoder = Request_.MakeDecoder();
    const auto progress = [this](std::int64_t done, std::int64_t total) {
      if (total > 0) ReportPercent(int(IndexPercent * done / total));
      return !Cancelled_;
    };
    const bool opened = QuickLook(*decoder);
    ThrowIfCancelled();
    if (!opened) {
      if (Request_.Dvd.Empty())
        decoder->Open(Request_.Path, 0, -1, progress);
      else
        decoder->OpenDvdCells(Request_.Dvd, Request_.Path, progress);
    }
    ReportPercent(IndexPercent);
    TFastDIB first;
    MakeStrip(*decoder, first);
    decoder->Seek(0);
    ThrowIfCancelled();
    Publish([&](TNews& news) {
      news.Ended = true;
      news.Decoder = std::move(decoder);
      news.First = std::move(first);
    });
  } catch (...) {
    const std::exception_ptr error = std::current_exception();
    // The decoder goes here, on the worker: unloading it can take a moment.
    decoder.reset();
    Publish([&](TNews& news) {
      news.Ended = true;
      news.Error = error;
    });
  }
}

bool TVideoOpener::QuickLook(TMPEG2Decoder& decoder) {
  const auto untold = [this](std::int64_t, std::int64_t) { return !Cancelled_; };
  try {
    if (Request_.Dvd.Empty())
      decoder.Open(Request_.Path, 0, QuickLookBytes, untold);
    else
      decoder.OpenDvdCells(HeadOfTitle(Request_.Dvd, QuickLookBytes), Request_.Path, untold);
  } catch (const EOpenCancelled&) {
    throw;
  } catch (const std::exception&) {
    return false;
  }
  const TMPEG2FrameInfo& info = decoder.Info();
  TFastDIB picture;
  picture.SetSize(info.Width, info.Height, 24);
  if (CopyFrameBits(decoder.GetFrame(Request_.Threshold), picture))
    Publish([&](TNews& news) {
      news.FirstPicture = std::move(picture);
      news.FirstAspect = decoder.DisplayAspect();
    });
  return decoder.FileSize() < QuickLookBytes;
}

void TVideoOpener::MakeStrip(TMPEG2Decoder& decoder, TFastDIB& first) {
  const TMPEG2FrameInfo info = decoder.Info();
  first.SetSize(info.Width, info.Height, 24);
  first.Fill(TBGRColor{0, 0, 0});
  TFastDIB scratch;
  scratch.SetSize(info.Width, info.Height, 24);
  scratch.Fill(TBGRColor{0, 0, 0});
  const int count = int(Request_.ThumbSizes.size());
  const std::int64_t step = count > 0 ? decoder.FileSize() / count : 0;
  for (int i = 0; i < count; ++i) {
    ThrowIfCancelled();
    TCell cell;
    cell.Index = i;
    decoder.Seek(step * i);
    cell.Position = decoder.GetFilePos();
    if (CopyFrameBits(decoder.GetFrame(Request_.Threshold), scratch) && i == 0) scratch.Draw(first, 0, 0);
    // A missing (or misshapen) frame leaves the previous cell's picture
    // (black for the first cell).
    const auto [width, height] = Request_.ThumbSizes[std::size_t(i)];
    cell.Thumb.SetSize(width, height, 24);
    cell.Thumb.Fill(TBGRColor{0, 0, 0});
    ResampleBilinearInto(scratch, cell.Thumb, LetterboxRect(width, height, decoder.DisplayAspect()));
    const int percent = IndexPercent + (99 - IndexPercent) * (i + 1) / count;
    Publish([&](TNews& news) { news.Cells.push_back(std::move(cell)); });
    ReportPercent(percent);
  }
}

}  // namespace kelta
