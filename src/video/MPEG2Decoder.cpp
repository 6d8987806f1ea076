#include "video/MPEG2Decoder.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <limits>
#include <system_error>
#include <algorithm>
#include <vector>

#include "video/OSError.h"
#include "video/OpenFailure.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kelta {

namespace {

constexpr const char* LibName = "codec.so";

std::atomic<std::int32_t> Instances{0};

std::string LastLoaderError() {
  const char* text = dlerror();
  return text ? std::string(text) : std::string("unknown dynamic loader error");
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string ProgramFolder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) throw EOSError("Cannot find the program folder: " + ec.message(), ec.value());
  return exe.parent_path().string();
}

// Makes a private copy of the plugin under a fresh name in the temporary
// folder, so that the loader maps it as a library of its own.
std::string MakePrivateCopy(const std::string& libFolder) {
  std::error_code ec;
  auto tempDir = std::filesystem::temp_directory_path(ec);
  if (ec) tempDir = "/tmp";
  std::string pattern = WithSlash(tempDir.string()) + "codec-XXXXXX.so";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = mkstemps(name.data(), 3);
  if (fd < 0) {
    int err = errno;
    throw EOSError(std::string("Cannot create a temporary file: ") + std::strerror(err), err);
  }
  close(fd);
  std::string copyName(name.data());

  std::string source = WithSlash(libFolder.empty() ? ProgramFolder() : libFolder) + LibName;
  std::filesystem::copy_file(source, copyName, std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) {
    std::filesystem::remove(copyName);
    throw EOSError("Cannot copy " + source + ": " + ec.message(), ec.value());
  }
  return copyName;
}

// Stores the address of `name` in `entry`, typed as the entry point is declared.
template <typename F>
void Resolve(void* handle, F& entry, const char* name) {
  dlerror();
  void* address = dlsym(handle, name);
  if (!address) throw EOSError(LastLoaderError());
  entry = reinterpret_cast<F>(address);
}

// Stores the address of `name` in `entry`, or null when the plugin lacks it.
template <typename F>
void ResolveOptional(void* handle, F& entry, const char* name) {
  entry = reinterpret_cast<F>(dlsym(handle, name));
}

}  // namespace

TMPEG2Decoder::TMPEG2Decoder(const std::string& LibFolder) {
  const std::int32_t count = ++Instances;
  try {
    std::string path;
    if (count == 1) {
      // An empty folder gives the bare name, found by the loader's search.
      path = WithSlash(LibFolder) + LibName;
    } else {
      TempCopyName_ = MakePrivateCopy(LibFolder);
      path = TempCopyName_;
    }
    LibHandle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!LibHandle_) throw EOSError(LastLoaderError());

    Codec_.ResolveAll([this](auto& entry, const char* name) { Resolve(LibHandle_, entry, name); });
    Optional_.ResolveAll([this](auto& entry, const char* name) { ResolveOptional(LibHandle_, entry, name); });
  } catch (...) {
    // The destructor does not run for a half-made object: undo everything here.
    if (LibHandle_) {
      Unload();
    } else {
      --Instances;
      if (!TempCopyName_.empty()) std::remove(TempCopyName_.c_str());
    }
    throw;
  }
}

TMPEG2Decoder::~TMPEG2Decoder() { Unload(); }

void TMPEG2Decoder::Unload() noexcept {
  if (LibHandle_) {
    dlclose(LibHandle_);
    LibHandle_ = nullptr;
    --Instances;
  }
  if (!TempCopyName_.empty()) {
    std::remove(TempCopyName_.c_str());
    TempCopyName_.clear();
  }
}

std::int32_t TMPEG2Decoder::InstanceCount() { return Instances.load(); }

namespace {

// Carries the plugin's progress reports to the listener across the C
// boundary, which no exception may cross: one from the listener is kept and
// cancels the open, to be raised once the plugin has returned.
struct TProgressRelay {
  const TMPEG2Decoder::TReadProgress* Listener = nullptr;
  bool Cancelled = false;
  std::exception_ptr Error;

  static std::int32_t Report(void* context, std::int64_t done, std::int64_t total) noexcept {
    auto* relay = static_cast<TProgressRelay*>(context);
    try {
      if (!(*relay->Listener)(done, total)) relay->Cancelled = true;
    } catch (...) {
      relay->Error = std::current_exception();
      relay->Cancelled = true;
    }
    return relay->Cancelled ? 0 : 1;
  }
};

}  // namespace

std::int32_t TMPEG2Decoder::RelayingProgress(const TReadProgress& Progress,
                                             const std::function<std::int32_t()>& PluginOpen) {
  TProgressRelay relay;
  relay.Listener = &Progress;
  const bool relayed = Progress && Optional_.setOpenProgress != nullptr;
  if (relayed) Optional_.setOpenProgress(&TProgressRelay::Report, &relay);
  const std::int32_t opened = PluginOpen();
  // The relay lives on this stack: the plugin forgets it before it goes.
  if (relayed) Optional_.setOpenProgress(nullptr, nullptr);
  if (relay.Error) std::rethrow_exception(relay.Error);
  if (relay.Cancelled) {
    // A plugin that opened all the same keeps nothing open.
    if (opened != 0) Codec_.closeFile();
    throw EOpenCancelled();
  }
  return opened;
}

void TMPEG2Decoder::Open(const std::string& FileName, std::int64_t Start, std::int64_t End,
                         const TReadProgress& Progress) {
  FileSize_ = 0;
  const std::int32_t opened =
      RelayingProgress(Progress, [&] { return Codec_.openFile(FileName.c_str(), Start, End); });
  if (opened == 0) {
    // A newer plugin says what it found; an older one only refuses.
    char detail[256] = {};
    const KeltaCodecOpenFailure failure =
        Optional_.getOpenFailure ? Optional_.getOpenFailure(detail, sizeof detail) : KeltaOpenFailed;
    throw EMPEG2Error("Unable to open video file: " + FileName + ". " + WhyVideoCannotOpen(FileName, failure, detail));
  }
  ReadInfo();
}

void TMPEG2Decoder::OpenDvdCells(const TDvdCells& Cells, const std::string& Name, const TReadProgress& Progress) {
  FileSize_ = 0;
  if (!Optional_.openDvdCells)
    throw EMPEG2Error("Unable to open " + Name + ". This decoder plugin (codec.so) cannot read DVDs");
  const std::int32_t opened = RelayingProgress(Progress, [&] {
    return Optional_.openDvdCells(Cells.Disc.c_str(), Cells.TitleSet, Cells.Ranges.data(),
                                  std::int32_t(Cells.Ranges.size()));
  });
  if (opened == 0)
    throw EMPEG2Error("Unable to open " + Name + ". Its video cannot be read or decoded");
  ReadInfo();
}

void TMPEG2Decoder::ReadInfo() {
  // A plugin that fills fewer fields than the record has leaves the rest 0.
  Info_ = TMPEG2FrameInfo{};
  Codec_.getFrameInfo(&Info_);
  // Each side on its own: two negative sizes must not multiply into a valid area.
  if (Info_.Width < 1 || Info_.Height < 1) throw EMPEG2Error("Error decoding video");
  const double rate = Info_.FrameRate;
  if (!std::isfinite(rate) || rate <= 0.0) throw EMPEG2Error("Error decoding video");
  // Ties go to the even neighbour (the default rounding mode).
  const double duration = std::nearbyint(90000.0 / rate);
  if (duration > double(std::numeric_limits<std::int32_t>::max()))
    throw EMPEG2Error("Error decoding video");
  FrameDuration_ = static_cast<std::int32_t>(duration);

  TMPEG2FileInfo fileInfo{};
  Codec_.getFileInfo(&fileInfo);
  FileSize_ = fileInfo.TotalSize;
  CurTime_ = fileInfo.Time;
}

void TMPEG2Decoder::Seek(std::int64_t Position) {
  Codec_.seek(Position);
  TMPEG2FileInfo fileInfo{};
  Codec_.getFileInfo(&fileInfo);
  CurTime_ = fileInfo.Time;
}

std::int64_t TMPEG2Decoder::FrameCount() const {
  return FrameNavigation() ? Optional_.getFrameCount() : -1;
}

std::vector<TMPEG2Decoder::TChapterStart> TMPEG2Decoder::ChapterStarts() const {
  if (!FrameNavigation() || !Optional_.getChapterFrames) return {};
  const std::size_t count = std::size_t(std::max(Optional_.getChapterFrames(nullptr, nullptr, 0), 0));
  std::vector<std::int64_t> frames(count), positions(count);
  std::vector<TChapterStart> starts;
  if (count == 0) return starts;
  // Only what the second call wrote counts, should the answer differ.
  const std::int32_t written = Optional_.getChapterFrames(frames.data(), positions.data(), std::int32_t(count));
  for (std::size_t i = 0; i < count && i < std::size_t(std::max(written, 0)); ++i)
    starts.push_back(TChapterStart{frames[i], positions[i]});
  return starts;
}

std::int64_t TMPEG2Decoder::FrameNumber() const {
  return FrameNavigation() ? Optional_.getFrameNumber() : -1;
}

bool TMPEG2Decoder::SeekFrame(std::int64_t Number) {
  if (!FrameNavigation()) return false;
  const bool found = Optional_.seekFrame(Number) != 0;
  // A seek that failed may still have moved the plugin: the time follows it.
  TMPEG2FileInfo fileInfo{};
  Codec_.getFileInfo(&fileInfo);
  CurTime_ = fileInfo.Time;
  return found;
}

std::int64_t TMPEG2Decoder::GetFilePos() {
  TMPEG2FileInfo fileInfo{};
  Codec_.getFileInfo(&fileInfo);
  return fileInfo.Position;
}

std::uint32_t TMPEG2Decoder::NextFrameTime() {
  TMPEG2FileInfo fileInfo{};
  Codec_.getFileInfo(&fileInfo);
  return fileInfo.Time;
}

std::int32_t TMPEG2Decoder::SetRGBScaleFlag(bool Value) {
  RGBScale_ = Value;
  return Codec_.setRGBScaleFlag(Value ? -1 : 0);
}

FrameView TMPEG2Decoder::GetFrame(std::int32_t Threshold) {
  std::uint8_t* frame = Codec_.getFrame();
  // 90 kHz time wraps modulo 2^32.
  CurTime_ += static_cast<std::uint32_t>(FrameDuration_);
  if (frame && Threshold > 0) Deinterlace(frame, Info_.Width, Info_.Height, Threshold);
  return FrameView::Bgr24(frame, Info_.Width, Info_.Height);
}

std::uint32_t TMPEG2Decoder::SubtitleStreams() const {
  return Optional_.Subtitles() ? Optional_.getSubtitleStreams() : 0;
}

bool TMPEG2Decoder::SetSubtitleStream(std::int32_t Stream, const std::vector<std::uint32_t>& Palette) {
  if (!Optional_.Subtitles()) return false;
  return Optional_.setSubtitleStream(Stream, Palette.size() == 16 ? Palette.data() : nullptr) != 0;
}

bool TMPEG2Decoder::Subtitle(TSubtitleImage& Image) {
  Image = TSubtitleImage{};
  KeltaCodecSubtitle shown{};
  if (!Optional_.Subtitles() || !Optional_.getSubtitle(&shown) || !shown.Pixels || shown.Width <= 0 ||
      shown.Height <= 0)
    return false;
  // The plugin's box lies in the frame it reported; anything else is not drawn.
  if (shown.X < 0 || shown.Y < 0 || shown.Width > Info_.Width - shown.X || shown.Height > Info_.Height - shown.Y)
    return false;
  Image.X = shown.X;
  Image.Y = shown.Y;
  Image.Width = shown.Width;
  Image.Height = shown.Height;
  Image.Pixels.assign(shown.Pixels, shown.Pixels + std::size_t(shown.Width) * std::size_t(shown.Height) * 4);
  return true;
}

FrameView TMPEG2Decoder::CleanStill(TStillKind& Kind) {
  if (!Optional_.getCleanStill) return {};
  std::int32_t made = -1;
  std::uint8_t* still = Optional_.getCleanStill(&made);
  if (!still) return {};
  switch (made) {
    case KeltaStillWoven:
      Kind = TStillKind::Woven;
      break;
    case KeltaStillFilmRebuilt:
      Kind = TStillKind::FilmRebuilt;
      break;
    case KeltaStillDeinterlaced:
      Kind = TStillKind::Deinterlaced;
      break;
    default:
      Kind = TStillKind::Progressive;
  }
  return FrameView::Bgr24(still, Info_.Width, Info_.Height);
}

namespace {

// One even row: a byte further than `limit` from the rounded mean of the
// bytes above and below becomes that mean. Sixteen bytes at a time where the
// processor has SSE2 (every x86-64 does): _mm_avg_epu8 is exactly
// (a + b + 1) >> 1.
void BlendRow(std::uint8_t* row, const std::uint8_t* above, const std::uint8_t* below, std::size_t count,
              int limit) {
  std::size_t j = 0;
#ifdef __SSE2__
  if (limit >= 0 && limit < 255) {
    const __m128i limits = _mm_set1_epi8(static_cast<char>(limit));
    const __m128i zero = _mm_setzero_si128();
    for (; j + 16 <= count; j += 16) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + j));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(below + j));
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + j));
      const __m128i mean = _mm_avg_epu8(a, b);
      const __m128i diff = _mm_or_si128(_mm_subs_epu8(mean, v), _mm_subs_epu8(v, mean));
      // keep: diff <= limit, that is diff - limit saturates to 0
      const __m128i keep = _mm_cmpeq_epi8(_mm_subs_epu8(diff, limits), zero);
      const __m128i out = _mm_or_si128(_mm_and_si128(keep, v), _mm_andnot_si128(keep, mean));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row + j), out);
    }
  }
#endif
  for (; j < count; ++j) {
    const int mean = (above[j] + below[j] + 1) >> 1;
    const int diff = mean - row[j];
    if (diff > limit || -diff > limit) row[j] = static_cast<std::uint8_t>(mean);
  }
}

}  // namespace

void TMPEG2Decoder::Deinterlace(std::uint8_t* Frame, std::int32_t Width, std::int32_t Height,
                                std::int32_t Threshold) {
  if (!Frame || Width < 1 || Height < 2) return;
  const std::size_t rowBytes = std::size_t(Width) * 3;
  // Rows lie at the padded stride of the frame memory; the blend touches the
  // pixel bytes only.
  const auto stride = std::size_t(Bgr24Stride(Width));
  const int limit = 255 - Threshold;
  for (std::int32_t y = 0; y < Height; y += 2) {
    std::uint8_t* row = Frame + std::size_t(y) * stride;
    if (y == 0) {
      std::memcpy(row, row + stride, rowBytes);
    } else if (y == Height - 1) {
      std::memcpy(row, row - stride, rowBytes);
    } else {
      BlendRow(row, row - stride, row + stride, rowBytes, limit);
    }
  }
}

}  // namespace kelta
