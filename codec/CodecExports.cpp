// The entry points of codec.so over one VideoSource: the ten every Kelta
// loads and the optional ones for frame-exact navigation, open progress, DVD
// titles, clean stills, subtitles, why an open failed and chapters. Each loaded copy of the library has its own state; calls come
// from one thread at a time.
// Nothing may throw across the C boundary.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "CodecApi.h"
#include "DvdCells.h"
#include "FrameView.h"
#include "VideoSource.h"

#define KELTA_EXPORT __attribute__((visibility("default")))

namespace {

std::unique_ptr<kelta::codec::VideoSource> video;
bool fullRange = true;
kelta::codec::VideoSource::OpenProgress openProgress;
// Why the last open failed, and what it concerned.
KeltaCodecOpenFailure openFailure = KeltaOpenSucceeded;
std::string openFailureDetail;

// Keeps the outcome of an open: the source becomes the open video on success.
std::int32_t Opened(std::unique_ptr<kelta::codec::VideoSource> source, bool opened) {
  openFailure = opened ? KeltaOpenSucceeded : source->Failure();
  openFailureDetail = opened ? std::string() : source->FailureDetail();
  if (opened) video = std::move(source);
  return opened ? 1 : 0;
}

// The body of an entry point, with every exception turned into the entry
// point's failure result: nothing may cross the C boundary.
template <typename Result, typename Body>
Result Guarded(Result onFailure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return onFailure;
  }
}

template <typename T>
void Put(std::FILE* f, T value) {
  std::fwrite(&value, sizeof value, 1, f);
}

}  // namespace

extern "C" {

KELTA_EXPORT std::int32_t openFile(const char* path, std::int64_t start, std::int64_t end) {
  return Guarded<std::int32_t>(0, [&] {
    // The old video goes first, so that a failure leaves nothing open.
    video.reset();
    openFailure = KeltaOpenFailed;
    openFailureDetail.clear();
    if (!path || !*path) return 0;
    // Damaged video is expected here; FFmpeg's complaints would only clutter
    // the program's output.
    if (av_log_get_level() > AV_LOG_FATAL) av_log_set_level(AV_LOG_FATAL);
    auto source = std::make_unique<kelta::codec::VideoSource>();
    source->SetFullRangeOutput(fullRange);
    const bool opened = source->Open(path, start, end, openProgress);
    return Opened(std::move(source), opened);
  });
}

KELTA_EXPORT std::int32_t openDvdCells(const char* disc, std::int32_t titleSet, const KeltaCodecSectorRange* cells,
                                       std::int32_t count) {
  return Guarded<std::int32_t>(0, [&] {
    video.reset();
    openFailure = KeltaOpenFailed;
    openFailureDetail.clear();
    if (!disc || !*disc || !cells || count <= 0) return 0;
    if (av_log_get_level() > AV_LOG_FATAL) av_log_set_level(AV_LOG_FATAL);
    auto stream = std::make_unique<kelta::codec::DvdCellStream>();
    if (!stream->Open(disc, titleSet, std::vector<KeltaCodecSectorRange>(cells, cells + count))) return 0;
    auto source = std::make_unique<kelta::codec::VideoSource>();
    source->SetFullRangeOutput(fullRange);
    // A DVD title is a program stream whatever the disc's name says.
    const bool opened = source->Open(std::move(stream), "title.vob", openProgress);
    return Opened(std::move(source), opened);
  });
}

KELTA_EXPORT std::int32_t getFrameInfo(KeltaCodecFrameInfo* info) {
  return Guarded<std::int32_t>(0, [&] {
    if (!info) return 0;
    std::memset(info, 0, sizeof *info);
    if (!video) return 0;
    info->Width = video->Width();
    info->Height = video->Height();
    info->FrameRate = video->FrameRate();
    info->AspectWidth = video->Aspect().width;
    info->AspectHeight = video->Aspect().height;
    return 1;
  });
}

KELTA_EXPORT std::int32_t getFileInfo(KeltaCodecFileInfo* info) {
  return Guarded<std::int32_t>(0, [&] {
    if (!info) return 0;
    std::memset(info, 0, sizeof *info);
    if (!video) return 0;
    info->TotalSize = video->TotalSize();
    info->Position = video->Position();
    info->Time = video->Time();
    return 1;
  });
}

KELTA_EXPORT std::int32_t closeFile() {
  return Guarded<std::int32_t>(0, [&] {
    const bool wasOpen = video != nullptr;
    video.reset();
    return wasOpen ? 1 : 0;
  });
}

KELTA_EXPORT std::uint8_t* getFrame() {
  return Guarded<std::uint8_t*>(nullptr, [&]() -> std::uint8_t* { return video ? video->NextFrame() : nullptr; });
}

KELTA_EXPORT std::int32_t seek(std::int64_t position) {
  return Guarded<std::int32_t>(0, [&] {
    if (!video) return 0;
    video->Seek(position);
    return 1;
  });
}

KELTA_EXPORT std::int32_t skipFrames(std::int32_t count) {
  return Guarded<std::int32_t>(0, [&] { return video && count > 0 ? video->SkipFrames(count) : 0; });
}

KELTA_EXPORT std::int32_t setPixelFormat(std::int32_t bitsPerPixel) {
  return Guarded<std::int32_t>(0, [&] { return bitsPerPixel == 24 ? 1 : 0; });
}

KELTA_EXPORT std::int32_t setRGBScaleFlag(std::int32_t flag) {
  return Guarded<std::int32_t>(0, [&] {
    const std::int32_t previous = fullRange ? -1 : 0;
    fullRange = flag != 0;
    if (video) video->SetFullRangeOutput(fullRange);
    return previous;
  });
}

KELTA_EXPORT std::int32_t setOpenProgress(KeltaCodecProgress report, void* context) {
  openProgress = {report, context};
  return 1;
}

KELTA_EXPORT std::int32_t writeToFile(const char* path) {
  return Guarded<std::int32_t>(0, [&] {
    if (!video || !path) return 0;
    const kelta::FrameView frame = video->LastFrame();
    if (!frame) return 0;
    const std::size_t imageSize = frame.Bytes();
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return 0;
    // BITMAPFILEHEADER and BITMAPINFOHEADER, little-endian; the frame already
    // has the bitmap's row layout.
    Put<std::uint16_t>(f, 0x4D42);
    Put<std::uint32_t>(f, std::uint32_t(54 + imageSize));
    Put<std::uint32_t>(f, 0);
    Put<std::uint32_t>(f, 54);
    Put<std::uint32_t>(f, 40);
    Put<std::int32_t>(f, frame.width);
    Put<std::int32_t>(f, frame.height);
    Put<std::uint16_t>(f, 1);
    Put<std::uint16_t>(f, 24);
    for (int i = 0; i < 6; ++i) Put<std::uint32_t>(f, 0);
    const bool written = std::fwrite(frame.data, 1, imageSize, f) == imageSize;
    const bool closed = std::fclose(f) == 0;
    if (!(written && closed)) {
      std::remove(path);
      return 0;
    }
    return 1;
  });
}

KELTA_EXPORT std::int64_t getFrameCount() {
  return Guarded<std::int64_t>(-1, [&]() -> std::int64_t { return video ? video->FrameCount() : -1; });
}

KELTA_EXPORT std::int64_t getFrameNumber() {
  return Guarded<std::int64_t>(-1, [&]() -> std::int64_t { return video ? video->FrameNumber() : -1; });
}

KELTA_EXPORT std::int32_t seekFrame(std::int64_t number) {
  return Guarded<std::int32_t>(0, [&] { return video && video->SeekFrame(number) ? 1 : 0; });
}

KELTA_EXPORT std::uint8_t* getCleanStill(std::int32_t* kind) {
  return Guarded<std::uint8_t*>(nullptr, [&]() -> std::uint8_t* {
    KeltaCodecStillKind made = KeltaStillProgressive;
    std::uint8_t* still = video ? video->CleanStillFrame(made) : nullptr;
    if (kind) *kind = still ? made : KeltaStillProgressive;
    return still;
  });
}

KELTA_EXPORT std::uint32_t getSubtitleStreams() {
  return Guarded<std::uint32_t>(0, [&]() -> std::uint32_t { return video ? video->SubtitleStreams() : 0; });
}

KELTA_EXPORT std::int32_t setSubtitleStream(std::int32_t stream, const std::uint32_t* palette) {
  return Guarded<std::int32_t>(0, [&] { return video && video->ChooseSubtitle(stream, palette) ? 1 : 0; });
}

KELTA_EXPORT std::int32_t getSubtitle(KeltaCodecSubtitle* subtitle) {
  return Guarded<std::int32_t>(0, [&] {
    if (!subtitle) return 0;
    *subtitle = KeltaCodecSubtitle{};
    const KeltaCodecSubtitle* shown = video ? video->Subtitle() : nullptr;
    if (!shown) return 0;
    *subtitle = *shown;
    return 1;
  });
}

KELTA_EXPORT KeltaCodecOpenFailure getOpenFailure(char* detail, std::int32_t size) {
  if (detail && size > 0) {
    const std::size_t n = std::min(openFailureDetail.size(), std::size_t(size - 1));
    std::memcpy(detail, openFailureDetail.data(), n);
    detail[n] = 0;
  }
  return openFailure;
}

KELTA_EXPORT std::int32_t getChapterFrames(std::int64_t* frames, std::int64_t* positions, std::int32_t capacity) {
  return Guarded<std::int32_t>(0, [&] {
    if (!video) return 0;
    const std::vector<std::int64_t>& chapters = video->ChapterFrames();
    const std::vector<std::int64_t>& places = video->ChapterPositions();
    for (std::size_t i = 0; i < chapters.size() && i < std::size_t(std::max(capacity, 0)); ++i) {
      if (frames) frames[i] = chapters[i];
      if (positions) positions[i] = places[i];
    }
    return std::int32_t(chapters.size());
  });
}

}  // extern "C"
