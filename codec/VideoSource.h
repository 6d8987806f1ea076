#pragma once
// One open video inside the plugin: demuxes the first video stream (MPEG-1/2
// in program and transport streams, Matroska and MP4; H.264 and HEVC in
// Matroska, MP4 and transport streams), decodes it in display order, seeks
// by byte position to the start of a group of pictures and to any frame by
// its number.
//
// Opening makes one demux-only pass over the file to index where every group
// of pictures starts and how many fields and frames lie before it. MPEG video
// in MPEG's own containers is indexed from its headers, counting fields;
// everything else from the presentation time the container gives every
// picture (TimestampIndex.h), and its times are those timestamps. A seek to
// byte P then restarts the decoder at the first indexed group at or after P:
// the same P always gives the same first frame, and that group's position
// given back to seek gives it again. Times count displayed fields from the
// first frame, so soft-telecined film and restarting time stamps still get
// steady times. Frames are numbered in display order from the first frame
// shown; a picture with repeated fields is still one frame.
//
// While it opens, the source tells a listener how far it has read, every
// 1/256 of the file (at least 64 KiB, at most 16 MiB apart); the listener
// cancels by answering 0, and the open then stops within that distance.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ByteStream.h"
#include "CleanStill.h"
#include "CodecApi.h"
#include "FFmpegPtr.h"
#include "FrameConverter.h"
#include "FrameView.h"
#include "MpegHeaders.h"
#include "PictureCache.h"
#include "SubpictureTrack.h"
#include "TimestampIndex.h"
#include "TitleFiles.h"

namespace kelta::codec {

class VideoSource {
 public:
  VideoSource() = default;
  ~VideoSource();
  VideoSource(const VideoSource&) = delete;
  VideoSource& operator=(const VideoSource&) = delete;

  // Who hears how far an open has read; no one when `report` is null.
  struct OpenProgress {
    KeltaCodecProgress report = nullptr;
    void* context = nullptr;
  };

  // False when the path is no readable file with MPEG-1/2 video, or the
  // listener cancelled. Only the bytes from `start` to `end` (-1: the end)
  // are the video; its positions count from `start`.
  bool Open(const std::string& path, std::int64_t start, std::int64_t end, OpenProgress progress);
  // The whole file, with no one listening.
  bool Open(const std::string& path) { return Open(path, 0, -1, OpenProgress{}); }
  // The same over any byte stream; `name` only hints at the container.
  bool Open(std::unique_ptr<ByteStream> input, const std::string& name, OpenProgress progress);

  // Why the last Open failed, with the name of the container, codec or
  // pixel format concerned where there is one.
  KeltaCodecOpenFailure Failure() const { return Failure_; }
  const std::string& FailureDetail() const { return FailureDetail_; }

  int Width() const { return Width_; }
  int Height() const { return Height_; }
  double FrameRate() const { return FrameRate_; }
  // The shape the pictures are shown at, as the first group's sequence says.
  DisplayAspect Aspect() const { return Aspect_; }
  std::int64_t TotalSize() const { return Input_ ? Input_->Size() : 0; }
  // Byte position of the last delivered frame, of the group a byte seek
  // went to, or of the frame a frame seek went to; the size of the video at
  // the end.
  std::int64_t Position() const { return Position_; }
  // Presentation time of the next frame in 90 kHz ticks from the first frame.
  std::uint32_t Time() const;
  // The first frames of the container's chapters, rising; none for MPEG's
  // own containers.
  const std::vector<std::int64_t>& ChapterFrames() const { return ChapterFrames_; }
  // Their frames' byte positions, as Position() gives them.
  const std::vector<std::int64_t>& ChapterPositions() const { return ChapterPositions_; }
  // Frames of the video.
  std::int64_t FrameCount() const { return TotalFrames_ - OriginFrames_; }
  // Number of the frame NextFrame returned or SkipFrames dropped last: the
  // next frame is the one after it. -1 before the first frame, after a seek
  // and at the end.
  std::int64_t FrameNumber() const { return Current_; }
  // Pictures the decoder has given since the video was opened: what a step
  // costs, for the benchmarks and the tests.
  std::int64_t PicturesDecoded() const { return PicturesDecoded_; }

  // The next frame in display order (see FrameConverter), or null at the
  // end. The memory stays valid until the next call.
  std::uint8_t* NextFrame();
  // Decodes and drops up to `count` frames; returns how many were dropped.
  int SkipFrames(int count);
  void Seek(std::int64_t position);
  // Makes NextFrame give frame `number` next. False when there is no such
  // frame (nothing changes) or the decoder cannot reach it (the video is
  // then at its end). A frame the cache holds costs no decoding, one the
  // decoder reaches by going on costs the frames up to it; any other starts
  // the decoder at the group the frame belongs to, or at the group before
  // when it is a B-picture shown before its group's I-picture that refers
  // to the group before.
  bool SeekFrame(std::int64_t number);
  void SetFullRangeOutput(bool fullRange);
  // The frame NextFrame returned last with its shape; a view of no frame
  // before the first.
  FrameView LastFrame() const { return FrameView::Bgr24(HaveFrame_ ? Frame_.data() : nullptr, Width_, Height_); }

  // The frame NextFrame returned last as a clean still (CleanStill.h), in
  // the same layout and colours, with `kind` telling what was done; null
  // when no frame was shown since the last seek. The frames around it come
  // from the cache, decoding the next one ahead when it is not there yet:
  // the next frame, numbers, times and positions stay as they were. The
  // memory stays valid until the next call.
  std::uint8_t* CleanStillFrame(KeltaCodecStillKind& kind);

  // Sub-picture streams (SubpictureTrack.h): bit n for stream n.
  std::uint32_t SubtitleStreams() const { return Subpictures_.Streams(); }
  // Draws stream `stream` (-1: none) in `palette` (16 colours 0x00YYCrCb,
  // null: the decoder's guess); false, and none, for a stream not there.
  bool ChooseSubtitle(int stream, const std::uint32_t* palette);
  // The chosen stream's subtitle shown with the frame NextFrame returned
  // last; null when none shows. Valid until the next call.
  const KeltaCodecSubtitle* Subtitle();

  struct Group {
    std::int64_t pos = 0;            // where the group's first packet starts
    std::int64_t fieldsBefore = 0;   // fields of every picture coded before it
    std::int64_t leadingFields = 0;  // fields of the B-pictures shown before its I-picture
    std::int64_t framesBefore = 0;   // frames of every picture coded before it
    std::int64_t leadingFrames = 0;  // frames of those B-pictures
    bool leadingDecodable = false;   // closed group: those B-pictures need nothing earlier
    // Timestamp-indexed video only: the group's first packet, a time to seek
    // the demuxer by, and the time before which a decode started here drops
    // what it gives.
    std::int64_t pts = TimedPacket::NoTime;
    std::int64_t seekTime = TimedPacket::NoTime;
    std::int64_t dropBefore = TimedPacket::NoTime;
  };

 private:
  static int ReadPacket(void* opaque, std::uint8_t* buffer, int size);
  static std::int64_t SeekStream(void* opaque, std::int64_t offset, int whence);

  // Whether a report of the bytes read waits for a step of progress.
  enum class Report : std::uint8_t { EveryStep, Now };
  // Tells the listener of the bytes read so far, when they have moved on by
  // a step since the last report or `when` is Now; false once it has
  // cancelled.
  bool ReportRead(std::int64_t done, Report when = Report::EveryStep);
  bool Fail(KeltaCodecOpenFailure failure, std::string detail = {});
  bool OpenDemuxer(const std::string& path);
  // Picks the video stream, or says why there is none Kelta can decode.
  bool ChooseStream(bool mpegContainer);
  bool BuildIndex();
  bool IndexTimestamps();
  // Moves the demuxer to where the group's first packet comes next or soon.
  bool SeekDemuxer(const Group& g);
  // 90 kHz ticks from the first frame to the start of frame `number` (to the
  // end of the video for the frame count).
  std::int64_t TicksBefore(std::int64_t number) const;
  // Frame number of a decoded timestamped picture; -1 when it is dropped.
  std::int64_t NumberOfTimedPicture(const AVFrame& picture) const;
  bool OpenDecoder();
  void StartAt(std::size_t group);
  void SetEnded();
  // Reads and filters one packet into the decoder; false at the end of input.
  bool FeedDecoder();
  // Decodes the picture of frame DecoderNext_ into the cache; false when the
  // decoder gives no more.
  bool DecodeIntoCache();
  // What becomes of the next frame: converted into the frame memory, or
  // dropped unseen (skipping frames).
  enum class Picture { Convert, Drop };
  bool Advance(Picture what);
  // The group a decode for frame `number` starts at.
  std::size_t StartGroupOf(std::int64_t number) const;
  // Fields and frames before the first picture the decoder gives when it
  // starts at the group: its leading B-pictures are dropped unless they are
  // decodable on their own.
  std::int64_t GroupFields(const Group& g) const {
    return g.fieldsBefore + (g.leadingDecodable ? 0 : g.leadingFields);
  }
  std::int64_t GroupFrames(const Group& g) const {
    return g.framesBefore + (g.leadingDecodable ? 0 : g.leadingFrames);
  }

  std::unique_ptr<ByteStream> Input_;
  OpenProgress Progress_;
  std::int64_t Reported_ = 0, NextReport_ = 0, ReportStep_ = 0;
  bool Cancelled_ = false;
  bool Indexing_ = false;
  IOContextPtr Io_;
  FormatPtr Format_;
  CodecContextPtr Decoder_;
  PacketPtr Packet_;
  FramePtr Picture_;
  FrameConverter Converter_;
  int Stream_ = -1;

  KeltaCodecOpenFailure Failure_ = KeltaOpenFailed;
  std::string FailureDetail_;

  std::vector<Group> Groups_;
  // Timestamp-indexed video: its frames' presentation times in display
  // order, the stream's time base, and whether the demuxer seeks by bytes.
  bool Timed_ = false;
  bool ByteSeeks_ = true;
  std::vector<std::int64_t> FrameTimes_;
  AVRational TimeBase_{1, 90000};
  std::int64_t DropBefore_ = TimedPacket::NoTime;
  bool Rescanned_ = false;
  std::vector<std::int64_t> ChapterFrames_, ChapterPositions_;
  int Width_ = 0, Height_ = 0;
  double FrameRate_ = 0.0;
  DisplayAspect Aspect_;
  int RateNum_ = 0, RateDen_ = 1;  // frames per second of the coded sequence, terms up to MaxRateTerm
  // Fields, or for timestamp-indexed video 90 kHz ticks, count time.
  std::int64_t OriginFields_ = 0;  // fields before the first delivered frame
  std::int64_t TotalFields_ = 0;
  std::int64_t OriginFrames_ = 0;  // frames coded before it that are never shown
  std::int64_t TotalFrames_ = 0;

  // Decoding state: the decoder gives frame DecoderNext_ next.
  SequenceState Sequence_;
  std::size_t StartGroup_ = 0;
  bool AwaitingGroup_ = true;
  bool DroppingLeading_ = false;
  bool Draining_ = false;
  bool Ended_ = false;  // the decoder gives no more until it starts again
  std::int64_t DecoderNext_ = 0;
  std::int64_t DecoderFields_ = 0;
  std::int64_t DecoderPosition_ = 0;
  std::int64_t PicturesDecoded_ = 0;
  // The frames decoded last. Either it holds frame Next_, or the decoder
  // gives Next_ next.
  PictureCache Cache_;

  // Delivery state: frame Next_ is delivered next.
  std::int64_t Next_ = 0;
  std::int64_t Current_ = -1;
  std::int64_t Fields_ = 0;
  std::int64_t Position_ = 0;
  std::vector<std::uint8_t> Frame_;
  bool HaveFrame_ = false;
  // The number of the frame converted into Frame_ last; -1 after a seek.
  std::int64_t Shown_ = -1;
  // Its presentation time in 90 kHz ticks, as the stream's clock gives it,
  // and the byte position of its picture.
  std::int64_t ShownPts_ = AV_NOPTS_VALUE;
  std::int64_t ShownPos_ = 0;

  SubpictureTrack Subpictures_;
  // The chosen stream's palette, kept to follow a change of range.
  std::vector<std::uint32_t> SubtitlePalette_;
  bool FullRange_ = true;

  CleanStill Still_;
  std::vector<std::uint8_t> StillFrame_;
};

}  // namespace kelta::codec
