#pragma once
// TMPEG2Decoder: the thin object through which Kelta uses the decoder plugin
// codec.so. It loads the plugin (a private copy for every object after the
// first, so that each object has its own decoder state), keeps the frame time
// in 90 kHz ticks and blends the lines of decoded frames in place.
//
// Not thread-safe: the frame bar makes sure that the main thread, the
// playback thread and the worker that opens a video never use one object at
// the same time (the worker hands its decoder over once it is done with it).
// Only the process-wide instance counter is shared between objects, and it is
// atomic.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/CodecEntryPoints.h"
#include "codec/FrameView.h"
#include "imaging/DisplayAspect.h"
#include "video/StillMode.h"
#include "video/SubtitleOverlay.h"

namespace kelta {

// Raised when a video cannot be opened or its pictures make no sense.
class EMPEG2Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised by an open that its progress listener cancelled; nothing is open then.
class EOpenCancelled : public std::runtime_error {
 public:
  EOpenCancelled() : std::runtime_error("Opening the video was cancelled") {}
};

// The plugin's records, as its own header declares them (24 bytes each,
// fields back to back). The plugin fills them; callers value-initialise them.
using TMPEG2FrameInfo = KeltaCodecFrameInfo;  // filled by getFrameInfo
using TMPEG2FileInfo = KeltaCodecFileInfo;    // filled by getFileInfo

// Cells of one DVD title set to open as one video: sector ranges of its title
// VOBs, read in the order listed (see openDvdCells in codec/CodecApi.h).
// Bytes in a sector of a DVD, the unit of its cells.
inline constexpr std::int64_t DvdSectorBytes = 2048;

struct TDvdCells {
  std::string Disc;  // what libdvdread opens: a disc image or a VIDEO_TS folder
  std::int32_t TitleSet = 0;
  std::vector<KeltaCodecSectorRange> Ranges;
  bool Empty() const { return Ranges.empty(); }
};

class TMPEG2Decoder {
 public:
  // Loads codec.so from LibFolder, or through the dynamic loader's search
  // when LibFolder is empty. Throws EOSError when the plugin cannot be loaded
  // or lacks an entry point.
  explicit TMPEG2Decoder(const std::string& LibFolder);
  ~TMPEG2Decoder();
  TMPEG2Decoder(const TMPEG2Decoder&) = delete;
  TMPEG2Decoder& operator=(const TMPEG2Decoder&) = delete;

  // Hears how far an open has read: bytes so far and the total of the
  // range opened. Answering false cancels the open.
  using TReadProgress = std::function<bool(std::int64_t Done, std::int64_t Total)>;

  // Opens a video, or the bytes from Start up to End of it (End -1: to the
  // end); positions then count from Start. Throws EMPEG2Error "Unable to open
  // video file: <path>. <Why>" or "Error decoding video", and EOpenCancelled
  // when Progress answered false. Progress is called on this thread while the
  // plugin reads the file through, when the plugin can report (see
  // ReportsOpenProgress); otherwise never, and the open cannot be cancelled.
  void Open(const std::string& FileName, std::int64_t Start = 0, std::int64_t End = -1,
            const TReadProgress& Progress = {});
  // The plugin reports its reading while it opens, and can be cancelled.
  bool ReportsOpenProgress() const { return Optional_.setOpenProgress != nullptr; }
  // Opens cells of a DVD as one video; Name names it in the errors. Throws
  // EMPEG2Error "Unable to open <Name>. <Why>" when the plugin cannot read
  // DVDs or refuses the cells, and "Error decoding video" as Open does.
  // Progress and cancelling as for Open.
  void OpenDvdCells(const TDvdCells& Cells, const std::string& Name, const TReadProgress& Progress = {});
  // Moves to byte position Position; CurTime follows the plugin.
  void Seek(std::int64_t Position);
  // The plugin's current byte position.
  std::int64_t GetFilePos();
  // The plugin's time of the frame GetFrame returns next, in 90 kHz ticks
  // from the first frame (soft pulldown included, unlike CurTime's count).
  std::uint32_t NextFrameTime();
  // Passes the flag to the plugin (-1 for true, 0 for false) and returns its result.
  std::int32_t SetRGBScaleFlag(bool Value);
  // The next frame in display order: BGR24, bottom-up rows padded to 4 bytes;
  // a view of no frame at the end of the video. The view's shape is the one
  // the plugin last reported for the video it has open (Info(), also after an
  // Open that refused it), so it never claims more than the plugin's buffer
  // holds. The memory belongs to the plugin and stays valid until the next
  // call on this object. Threshold > 0 blends the lines in place (see
  // Deinterlace). CurTime advances by FrameDuration on every call, also the
  // one that returns no frame.
  FrameView GetFrame(std::int32_t Threshold);

  // The frame GetFrame returned last, made by the plugin into as clean a
  // still as the source allows (film frames rebuilt, moving video
  // deinterlaced), and what was done to it. A view of no frame where the
  // plugin cannot make one (an older plugin; a frame no longer at hand). The
  // next GetFrame is unchanged by it. The memory is the plugin's, as for
  // GetFrame.
  FrameView CleanStill(TStillKind& Kind);
  bool MakesCleanStills() const { return Optional_.getCleanStill != nullptr; }

  // Subtitles, where the plugin draws them: the sub-picture streams of the
  // open video (bit n for stream n; 0 without subtitles or a plugin that
  // cannot draw them).
  bool DrawsSubtitles() const { return Optional_.Subtitles(); }
  std::uint32_t SubtitleStreams() const;
  // Draws stream Stream (-1: none) from now on, in Palette (the 16 colours
  // 0x00YYCrCb of a DVD title; any other count: the plugin's grey guess).
  // False, and no subtitles, for a stream the video lacks or an older
  // plugin. Every open turns subtitles off.
  bool SetSubtitleStream(std::int32_t Stream, const std::vector<std::uint32_t>& Palette);
  // The chosen stream's subtitle shown with the frame GetFrame returned
  // last, copied into Image; false, with Image emptied, when none shows.
  bool Subtitle(TSubtitleImage& Image);

  // Frame-exact navigation, where the plugin has it (FrameNavigation()).
  // Frames are numbered in display order from 0, the first frame.
  bool FrameNavigation() const { return Optional_.FrameNavigation(); }
  // Frames in the open video; -1 when unknown.
  std::int64_t FrameCount() const;
  // The chapters a Matroska or MP4 file marks, rising: their first frames
  // and those frames' byte positions; none for other videos or when the
  // plugin cannot say.
  struct TChapterStart {
    std::int64_t Frame = 0;
    std::int64_t Position = 0;
  };
  std::vector<TChapterStart> ChapterStarts() const;
  // Number of the frame GetFrame returned last; -1 when unknown (also
  // after a seek and at the end).
  std::int64_t FrameNumber() const;
  // Makes the next GetFrame return frame Number; CurTime becomes that
  // frame's time. False, and nothing changed, without navigation; false
  // when the frame cannot be reached.
  bool SeekFrame(std::int64_t Number);

  const TMPEG2FrameInfo& Info() const { return Info_; }
  // The shape the open video's pictures are shown at; unknown when the
  // plugin does not say (an older one leaves those bytes 0) or says nonsense.
  TDisplayAspect DisplayAspect() const { return TDisplayAspect::Checked(Info_.AspectWidth, Info_.AspectHeight); }
  std::int64_t FileSize() const { return FileSize_; }
  std::uint32_t CurTime() const { return CurTime_; }
  std::int32_t FrameDuration() const { return FrameDuration_; }
  bool RGBScale() const { return RGBScale_; }
  // Path of this object's private copy of the plugin; empty for the object
  // that loaded the plugin file itself.
  const std::string& TempCopyName() const { return TempCopyName_; }

  // Decoder objects that currently hold (or are acquiring) a loaded plugin.
  static std::int32_t InstanceCount();

  // The in-place line blend on a BGR24 frame with rows padded to 4 bytes:
  // row 0 becomes a copy of row 1; every other even row byte that differs
  // from the rounded mean of its neighbours above and below by more than
  // 255 - Threshold is replaced by that mean; for an odd height the last row
  // becomes a copy of the row before it. Odd rows never change. Frames of
  // fewer than two rows are left alone.
  static void Deinterlace(std::uint8_t* Frame, std::int32_t Width, std::int32_t Height,
                          std::int32_t Threshold);

 private:
  void ReadInfo();
  // Runs one of the plugin's opens with Progress relayed to the plugin where
  // it can report; throws EOpenCancelled when Progress answered false.
  std::int32_t RelayingProgress(const TReadProgress& Progress, const std::function<std::int32_t()>& PluginOpen);
  void Unload() noexcept;

  void* LibHandle_ = nullptr;
  std::string TempCopyName_;
  std::int64_t FileSize_ = 0;
  std::uint32_t CurTime_ = 0;
  std::int32_t FrameDuration_ = 0;
  bool RGBScale_ = false;
  // As the plugin last reported it: the shape of the frames it hands out.
  TMPEG2FrameInfo Info_{};

  // The plugin's entry points, resolved once at creation.
  codec::EntryPoints Codec_;
  // Those an older plugin may lack: null then.
  codec::OptionalEntryPoints Optional_;
};

}  // namespace kelta
