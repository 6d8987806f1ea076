#include "VideoSource.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace kelta::codec {

namespace {

// 2^60 ticks of any time base: far beyond every real video, far inside int64.
constexpr std::int64_t TimeLimit = std::int64_t(1) << 60;


constexpr int IOBufferSize = 64 * 1024;

// Reports while opening come every 1/256 of the file, within these bounds:
// often enough for a progress bar and a prompt cancel, rare enough to cost
// nothing beside the reading.
constexpr std::int64_t MinReportStep = 64 * 1024;
constexpr std::int64_t MaxReportStep = 16 * 1024 * 1024;

// Largest numerator or denominator of the rate kept. MPEG rates are far
// below it (240000/32032 at most); the bound keeps Time()'s products in 64
// bits whatever rate a container claims.
constexpr int MaxRateTerm = 1 << 20;

// The cache of decoded pictures: about this much memory (4:2:0 pictures),
// within these bounds.
constexpr std::size_t CacheBytes = 32u << 20;
constexpr std::size_t MinCachedPictures = 4;
constexpr std::size_t MaxCachedPictures = 64;

// The containers read: MPEG's own, indexed from the video's headers, and
// Matroska and MP4, indexed by their timestamps. Anything else (pictures,
// audio, playlists that would open further files) is refused before it is
// parsed further.
enum class Container { Mpeg, Stamped, Refused };

Container ContainerOf(const AVInputFormat* format) {
  static const char* const mpeg[] = {"mpeg", "mpegts", "mpegvideo", "m4v", "mpeg1video"};
  for (const char* name : mpeg)
    if (std::strcmp(format->name, name) == 0) return Container::Mpeg;
  static const char* const stamped[] = {"matroska,webm", "mov,mp4,m4a,3gp,3g2,mj2"};
  for (const char* name : stamped)
    if (std::strcmp(format->name, name) == 0) return Container::Stamped;
  return Container::Refused;
}

// Program and transport streams find their way from any byte; Matroska and
// MP4 are sought by time.
bool SeeksByBytes(const AVInputFormat* format) {
  return std::strcmp(format->name, "mpeg") == 0 || std::strcmp(format->name, "mpegts") == 0;
}

bool IsDecodedVideo(const AVCodecParameters* par) {
  switch (par->codec_id) {
    case AV_CODEC_ID_MPEG1VIDEO:
    case AV_CODEC_ID_MPEG2VIDEO:
    case AV_CODEC_ID_H264:
    case AV_CODEC_ID_HEVC:
      return true;
    default:
      return false;
  }
}

// 8-bit 4:2:0 is what H.264 and HEVC rips carry and what the conversion
// turns exactly into Kelta's frames.
bool ConvertedPictures(const AVCodecParameters* par) {
  const int format = par->format;
  return format < 0 || format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P;
}

// "10-bit 4:2:0" and the like: what a person knows the pictures by.
std::string PictureFormatName(int format) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(format));
  if (!desc) return {};
  const char* chroma = desc->log2_chroma_w == 1 && desc->log2_chroma_h == 1   ? "4:2:0"
                       : desc->log2_chroma_w == 1 && desc->log2_chroma_h == 0 ? "4:2:2"
                       : desc->log2_chroma_w == 0 && desc->log2_chroma_h == 0 ? "4:4:4"
                                                                              : nullptr;
  if (!chroma || (desc->flags & AV_PIX_FMT_FLAG_RGB)) return desc->name;
  return std::to_string(desc->comp[0].depth) + "-bit " + chroma;
}

std::string CodecName(AVCodecID id) {
  const AVCodecDescriptor* desc = avcodec_descriptor_get(id);
  if (!desc) return {};
  return desc->long_name ? desc->long_name : desc->name;
}

// Frame rates as the timestamps give them are rounded to the container's
// clock; a stated rate this close is the exact one.
constexpr double StatedRateTolerance = 0.002;

// The shape of the whole picture from its pixels' shape; square pixels when
// neither stream nor container says.
DisplayAspect AspectOfPixels(int width, int height, AVRational pixel) {
  if (pixel.num <= 0 || pixel.den <= 0) pixel = AVRational{1, 1};
  int w = 0, h = 0;
  av_reduce(&w, &h, std::int64_t(width) * pixel.num, std::int64_t(height) * pixel.den, 1 << 30);
  return DisplayAspect{w, h};
}

[[maybe_unused]] bool IsMpegVideo(const AVCodecParameters* par) {
  return par->codec_type == AVMEDIA_TYPE_VIDEO &&
         (par->codec_id == AV_CODEC_ID_MPEG1VIDEO || par->codec_id == AV_CODEC_ID_MPEG2VIDEO);
}

bool IsSubpicture(const AVStream* st) {
  return st->codecpar->codec_id == AV_CODEC_ID_DVD_SUBTITLE && st->id >= 0x20 && st->id <= 0x3F;
}

// A time in the stream's time base as 90 kHz ticks.
std::int64_t Ticks(std::int64_t time, AVRational base) {
  return time == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : av_rescale_q(time, base, AVRational{1, 90000});
}

}  // namespace

VideoSource::~VideoSource() {
  // The format context refers to the I/O context: close it first.
  Format_.reset();
  Io_.reset();
}

int VideoSource::ReadPacket(void* opaque, std::uint8_t* buffer, int size) {
  auto* self = static_cast<VideoSource*>(opaque);
  const long got = self->Input_->Read(buffer, size);
  // The index pass reads the file from start to end, and its position is
  // the progress; probing before it jumps about (the head, then the tail for
  // the duration) and is not counted. A cancelled open reads nothing more:
  // FFmpeg gives up at once.
  if (self->Indexing_ ? !self->ReportRead(self->Input_->Tell()) : self->Cancelled_) return AVERROR_EXIT;
  if (got < 0) return AVERROR(EIO);
  if (got == 0) return AVERROR_EOF;
  return int(got);
}

std::int64_t VideoSource::SeekStream(void* opaque, std::int64_t offset, int whence) {
  auto* self = static_cast<VideoSource*>(opaque);
  ByteStream& files = *self->Input_;
  switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
      return files.Size();
    case SEEK_SET:
      break;
    case SEEK_CUR:
      offset += files.Tell();
      break;
    case SEEK_END:
      offset += files.Size();
      break;
    default:
      return AVERROR(EINVAL);
  }
  if (offset < 0) return AVERROR(EINVAL);
  files.SeekTo(offset);
  return files.Tell();
}

bool VideoSource::Open(const std::string& path, std::int64_t start, std::int64_t end, OpenProgress progress) {
  auto files = std::make_unique<TitleFiles>();
  if (!files->Open(FindTitleParts(path), start, end)) return false;
  return Open(std::move(files), path, progress);
}

bool VideoSource::Open(std::unique_ptr<ByteStream> input, const std::string& name, OpenProgress progress) {
  Input_ = std::move(input);
  if (!Input_ || Input_->Size() <= 0) return false;
  Progress_ = progress;
  ReportStep_ = std::clamp(Input_->Size() / 256, MinReportStep, MaxReportStep);
  const bool opened = ReportRead(0, Report::Now) && OpenDemuxer(name) && (Timed_ ? IndexTimestamps() : BuildIndex()) &&
                      ReportRead(Input_->Size(), Report::Now) && OpenDecoder();
  // Decoding reads on without reports.
  Progress_ = {};
  if (Cancelled_) Fail(KeltaOpenCancelled);
  if (opened && !Cancelled_) Failure_ = KeltaOpenSucceeded;
  return opened && !Cancelled_;
}

bool VideoSource::ReportRead(std::int64_t done, Report when) {
  if (!Progress_.report || Cancelled_) return !Cancelled_;
  // The demuxer may step back a little to find its way: the count never does.
  done = std::max(done, Reported_);
  if (when == Report::EveryStep && done < NextReport_) return true;
  Reported_ = done;
  NextReport_ = done + ReportStep_;
  Cancelled_ = Progress_.report(Progress_.context, done, Input_->Size()) == 0;
  return !Cancelled_;
}

bool VideoSource::Fail(KeltaCodecOpenFailure failure, std::string detail) {
  Failure_ = failure;
  FailureDetail_ = std::move(detail);
  return false;
}

bool VideoSource::OpenDemuxer(const std::string& path) {
  auto* buffer = static_cast<std::uint8_t*>(av_malloc(IOBufferSize));
  if (!buffer) return false;
  Io_.reset(avio_alloc_context(buffer, IOBufferSize, 0, this, &ReadPacket, nullptr, &SeekStream));
  if (!Io_) {
    av_free(buffer);
    return false;
  }
  const AVInputFormat* format = nullptr;
  if (av_probe_input_buffer2(Io_.get(), &format, path.c_str(), nullptr, 0, 0) < 0 || !format)
    return Fail(KeltaOpenUnknownContainer);
  const Container container = ContainerOf(format);
  if (container == Container::Refused) return Fail(KeltaOpenUnknownContainer, format->long_name ? format->long_name : format->name);
  ByteSeeks_ = SeeksByBytes(format);

  AVFormatContext* raw = avformat_alloc_context();
  if (!raw) return false;
  raw->pb = Io_.get();
  raw->flags |= AVFMT_FLAG_CUSTOM_IO;
  // On failure avformat_open_input frees the context (not our I/O context).
  if (avformat_open_input(&raw, path.c_str(), format, nullptr) < 0) return false;
  Format_.reset(raw);
  if (avformat_find_stream_info(Format_.get(), nullptr) < 0) return false;

  if (!ChooseStream(container == Container::Mpeg)) return false;
  for (unsigned i = 0; i < Format_->nb_streams; ++i) {
    if (int(i) != Stream_ && !IsSubpicture(Format_->streams[i]))  // subtitles are indexed
      Format_->streams[i]->discard = AVDISCARD_ALL;
  }
  Packet_.reset(av_packet_alloc());
  Picture_.reset(av_frame_alloc());
  return Packet_ && Picture_;
}

bool VideoSource::ChooseStream(bool mpegContainer) {
  int video = -1;
  for (unsigned i = 0; i < Format_->nb_streams; ++i) {
    const AVStream* st = Format_->streams[i];
    // A cover picture is a video stream of one picture, not the video.
    if (st->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || (st->disposition & AV_DISPOSITION_ATTACHED_PIC)) continue;
    if (video < 0) video = int(i);
    if (IsDecodedVideo(st->codecpar)) {
      Stream_ = int(i);
      break;
    }
  }
  if (Stream_ < 0)
    return video < 0 ? Fail(KeltaOpenNoVideo)
                     : Fail(KeltaOpenUnsupportedCodec, CodecName(Format_->streams[video]->codecpar->codec_id));
  const AVCodecParameters* par = Format_->streams[Stream_]->codecpar;
  const bool mpegVideo = par->codec_id == AV_CODEC_ID_MPEG1VIDEO || par->codec_id == AV_CODEC_ID_MPEG2VIDEO;
  if (!mpegVideo && !ConvertedPictures(par)) return Fail(KeltaOpenUnsupportedPictures, PictureFormatName(par->format));
  Timed_ = !(mpegVideo && mpegContainer);
  return true;
}

bool VideoSource::BuildIndex() {
  if (av_seek_frame(Format_.get(), -1, 0, AVSEEK_FLAG_BYTE) < 0) return false;
  SequenceState sequence;
  std::int64_t fields = 0, pictures = 0, fieldPictures = 0;
  // A field picture is half a frame: frames are counted in halves.
  std::int64_t halves = 0, leadingHalves = 0;
  bool inLeading = false;
  Indexing_ = true;
  while (av_read_frame(Format_.get(), Packet_.get()) >= 0) {
    const AVStream* st = Format_->streams[Packet_->stream_index];
    if (Packet_->stream_index != Stream_ && IsSubpicture(st)) {
      Subpictures_.AddPacket(st->id - 0x20, Ticks(Packet_->pts, st->time_base), Packet_->pos, Packet_->size);
    } else if (Packet_->stream_index == Stream_) {
      Subpictures_.AddVideoTime(Packet_->pos, Ticks(Packet_->pts, st->time_base));
      const PacketHeaders h = ParsePacketHeaders(Packet_->data, std::size_t(Packet_->size), sequence);
      const std::int64_t pictureHalves = h.fields == 1 ? 1 : 2;
      if (h.StartsGroup() && Packet_->pos >= 0 && (Groups_.empty() || Packet_->pos > Groups_.back().pos)) {
        if (Groups_.empty()) Aspect_ = DisplayAspectOf(sequence);
        Group g;
        g.pos = Packet_->pos;
        g.fieldsBefore = fields;
        g.framesBefore = halves / 2;
        g.leadingDecodable = h.closedGop && !h.brokenLink;
        Groups_.push_back(g);
        inLeading = true;
        leadingHalves = 0;
      } else if (inLeading && h.type == PictureType::B) {
        Groups_.back().leadingFields += h.fields;
        leadingHalves += pictureHalves;
        Groups_.back().leadingFrames = leadingHalves / 2;
      } else if (h.type != PictureType::None) {
        inLeading = false;
      }
      // Pictures before the first group are never shown: they are not counted.
      if (h.type != PictureType::None && !Groups_.empty()) {
        fields += h.fields;
        halves += pictureHalves;
        if (h.fields == 1)
          ++fieldPictures;
        else
          ++pictures;
      }
    }
    av_packet_unref(Packet_.get());
  }
  Indexing_ = false;
  if (Groups_.empty()) return false;

  RateNum_ = sequence.rateNum;
  RateDen_ = sequence.rateDen;
  if (RateNum_ <= 0 || RateDen_ <= 0 || RateNum_ > MaxRateTerm || RateDen_ > MaxRateTerm) {
    const AVStream* st = Format_->streams[Stream_];
    AVRational r = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
    RateNum_ = 0;
    RateDen_ = 1;
    // The nearest rate with terms in range; none when the container has none.
    if (r.num > 0) av_reduce(&RateNum_, &RateDen_, r.num, r.den > 0 ? r.den : 1, MaxRateTerm);
  }
  // Frames per second as shown: the field rate over the fields per frame, so
  // that film with repeated fields reports its own rate.
  const double frames = double(pictures) + double(fieldPictures) / 2.0;
  if (RateNum_ > 0 && fields > 0)
    FrameRate_ = 2.0 * RateNum_ / RateDen_ * frames / double(fields);
  else if (RateNum_ > 0)
    FrameRate_ = double(RateNum_) / RateDen_;
  OriginFields_ = GroupFields(Groups_.front());
  TotalFields_ = fields;
  OriginFrames_ = GroupFrames(Groups_.front());
  TotalFrames_ = halves / 2;

  const AVCodecParameters* par = Format_->streams[Stream_]->codecpar;
  Width_ = par->width > 0 ? par->width : sequence.width;
  Height_ = par->height > 0 ? par->height : sequence.height;
  return Width_ > 0 && Height_ > 0;
}

bool VideoSource::IndexTimestamps() {
  const AVStream* st = Format_->streams[Stream_];
  const AVCodecParameters* par = st->codecpar;
  const bool mpegVideo = par->codec_id == AV_CODEC_ID_MPEG1VIDEO || par->codec_id == AV_CODEC_ID_MPEG2VIDEO;
  SequenceState sequence;
  std::vector<TimedPacket> packets;
  // The demuxer gives the packets it read while probing again first: the
  // pass starts at the beginning without a seek.
  Indexing_ = true;
  while (av_read_frame(Format_.get(), Packet_.get()) >= 0) {
    const AVPacket& pkt = *Packet_;
    // Times far beyond any video's (a hostile file's) count as none: the
    // differences of times must never overflow.
    const auto usable = [](std::int64_t t) { return t != AV_NOPTS_VALUE && t > -TimeLimit && t < TimeLimit; };
    if (pkt.stream_index == Stream_ && pkt.size > 0 && (usable(pkt.pts) || usable(pkt.dts))) {
      TimedPacket p;
      p.pts = usable(pkt.pts) ? pkt.pts : pkt.dts;
      if (usable(pkt.dts)) p.dts = pkt.dts;
      p.pos = pkt.pos;
      bool picture = true;
      if (mpegVideo) {
        // MPEG video says itself where its groups start and whether their
        // leading pictures decode on their own.
        const PacketHeaders h = ParsePacketHeaders(pkt.data, std::size_t(pkt.size), sequence);
        picture = h.type != PictureType::None;
        p.startsGroup = h.StartsGroup();
        p.leadingDecodable = h.closedGop && !h.brokenLink;
        if (p.startsGroup && Aspect_.width == 0) Aspect_ = DisplayAspectOf(sequence);
      } else {
        p.startsGroup = (pkt.flags & AV_PKT_FLAG_KEY) != 0;
      }
      if (picture) packets.push_back(p);
    }
    av_packet_unref(Packet_.get());
  }
  Indexing_ = false;
  if (Cancelled_) return false;

  TimestampIndex index = BuildTimestampIndex(packets);
  if (index.groups.empty()) return false;
  FrameTimes_ = std::move(index.frames);
  TimeBase_ = st->time_base;
  TotalFrames_ = std::int64_t(FrameTimes_.size());
  OriginFrames_ = 0;
  OriginFields_ = 0;
  TotalFields_ = TicksBefore(TotalFrames_);
  for (const TimedGroup& t : index.groups) {
    Group g;
    g.pos = t.pos;
    g.pts = t.pts;
    g.seekTime = t.seekTime;
    g.dropBefore = t.dropBefore;
    g.framesBefore = t.firstFrame;
    g.fieldsBefore = TicksBefore(t.firstFrame);
    // What the decoder gives before the first frame is dropped by its time.
    g.leadingDecodable = true;
    Groups_.push_back(g);
  }

  // The rate the timestamps keep on average; the stream's stated rate when
  // it agrees.
  const AVRational stated = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
  const double statedRate = stated.num > 0 && stated.den > 0 ? av_q2d(stated) : 0.0;
  if (TotalFrames_ >= 2) {
    const double span = double(FrameTimes_.back() - FrameTimes_.front()) * av_q2d(TimeBase_);
    FrameRate_ = span > 0 ? double(TotalFrames_ - 1) / span : statedRate;
    if (statedRate > 0 && std::abs(statedRate - FrameRate_) <= StatedRateTolerance * FrameRate_) FrameRate_ = statedRate;
  } else {
    FrameRate_ = statedRate;
  }
  if (FrameRate_ > 0) av_reduce(&RateNum_, &RateDen_, std::int64_t(FrameRate_ * 1001000 + 0.5), 1001000, MaxRateTerm);

  Width_ = par->width > 0 ? par->width : sequence.width;
  Height_ = par->height > 0 ? par->height : sequence.height;
  if (!mpegVideo || Aspect_.width == 0)
    Aspect_ = AspectOfPixels(Width_, Height_, av_guess_sample_aspect_ratio(Format_.get(), Format_->streams[Stream_], nullptr));

  // Chapters land on the first frame shown at or after their start.
  for (unsigned i = 0; i < Format_->nb_chapters; ++i) {
    const AVChapter* chapter = Format_->chapters[i];
    const std::int64_t start = av_rescale_q(chapter->start, chapter->time_base, TimeBase_);
    const std::int64_t frame = std::lower_bound(FrameTimes_.begin(), FrameTimes_.end(), start) - FrameTimes_.begin();
    if (frame < TotalFrames_ && (ChapterFrames_.empty() || frame > ChapterFrames_.back())) ChapterFrames_.push_back(frame);
  }
  // Where their pictures lie: the packet the decoder gives each of them from.
  for (const std::int64_t frame : ChapterFrames_) {
    const std::int64_t pts = FrameTimes_[std::size_t(frame)];
    const auto packet = std::find_if(packets.begin(), packets.end(), [pts](const TimedPacket& p) { return p.pts == pts; });
    ChapterPositions_.push_back(packet != packets.end() && packet->pos >= 0 ? packet->pos : 0);
  }
  return Width_ > 0 && Height_ > 0;
}

std::int64_t VideoSource::TicksBefore(std::int64_t number) const {
  const std::int64_t count = std::int64_t(FrameTimes_.size());
  if (count == 0 || number <= 0) return 0;
  const AVRational ticks{1, 90000};
  if (number < count) return av_rescale_q(FrameTimes_[std::size_t(number)] - FrameTimes_.front(), TimeBase_, ticks);
  // The end: the last frame lasts as long as the one before it.
  const std::int64_t last = FrameTimes_.back() - FrameTimes_.front();
  const std::int64_t duration = count >= 2 ? FrameTimes_[std::size_t(count - 1)] - FrameTimes_[std::size_t(count - 2)] : 0;
  return av_rescale_q(last + duration, TimeBase_, ticks);
}

std::int64_t VideoSource::NumberOfTimedPicture(const AVFrame& picture) const {
  const std::int64_t pts = picture.pts != AV_NOPTS_VALUE ? picture.pts : picture.best_effort_timestamp;
  if (pts == AV_NOPTS_VALUE) return DecoderNext_;
  // Leading pictures of the group the decode started at refer to pictures
  // before it: whatever the decoder makes of them is not shown.
  if (DropBefore_ != TimedPacket::NoTime && pts < DropBefore_) return -1;
  const auto it = std::lower_bound(FrameTimes_.begin(), FrameTimes_.end(), pts);
  if (it == FrameTimes_.end() || *it != pts) return -1;
  const std::int64_t number = it - FrameTimes_.begin();
  return number >= DecoderNext_ ? number : -1;
}

bool VideoSource::SeekDemuxer(const Group& g) {
  if (!Timed_ || ByteSeeks_) return av_seek_frame(Format_.get(), -1, std::max<std::int64_t>(g.pos, 0), AVSEEK_FLAG_BYTE) >= 0;
  if (av_seek_frame(Format_.get(), Stream_, g.seekTime, AVSEEK_FLAG_BACKWARD) >= 0) return true;
  return avformat_seek_file(Format_.get(), Stream_, INT64_MIN, g.seekTime, g.seekTime, 0) >= 0;
}

bool VideoSource::OpenDecoder() {
  const AVCodecParameters* par = Format_->streams[Stream_]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(par->codec_id);
  if (!codec) return false;
  Decoder_.reset(avcodec_alloc_context3(codec));
  if (!Decoder_ || avcodec_parameters_to_context(Decoder_.get(), par) < 0) return false;
  // Slices in parallel keep the output identical to a single thread and add
  // no frame delay to flush through after a seek. H.264 and HEVC rips mostly
  // come in one slice a picture: their pictures are decoded in parallel,
  // which gives the same pictures too.
  Decoder_->thread_count = 0;
  Decoder_->thread_type = Timed_ && par->codec_id != AV_CODEC_ID_MPEG2VIDEO && par->codec_id != AV_CODEC_ID_MPEG1VIDEO
                              ? FF_THREAD_FRAME | FF_THREAD_SLICE
                              : FF_THREAD_SLICE;
  if (avcodec_open2(Decoder_.get(), codec, nullptr) < 0) return false;
  Frame_.assign(Bgr24FrameBytes(Width_, Height_), 0);
  // Video that signals no colours was made for its size's television:
  // BT.601 for standard definition, BT.709 for high.
  Converter_.SetUnsignalledColorSpace(Width_ > 1024 || Height_ > 576 ? AVCOL_SPC_BT709 : AVCOL_SPC_BT470BG);
  // Room for the longest groups of DVD video and the group before, whose
  // pictures the first B-pictures of an open group need, at DVD sizes.
  const std::size_t pictureBytes = std::size_t(Width_) * std::size_t(Height_) * 3 / 2;
  Cache_.SetCapacity(std::clamp<std::size_t>(CacheBytes / pictureBytes, MinCachedPictures, MaxCachedPictures));
  StartAt(0);
  return true;
}

std::uint32_t VideoSource::Time() const {
  const std::int64_t f = Fields_ - OriginFields_;
  // Timestamp-indexed video counts 90 kHz ticks already.
  if (Timed_) return f > 0 ? static_cast<std::uint32_t>(f) : 0;
  if (RateNum_ <= 0 || f <= 0) return 0;
  // One field lasts 45000 * den / num ticks; round the sum, not each field.
  // Every num fields last exactly 45000 * den ticks, so whole periods are
  // counted apart: no product outgrows 64 bits however long the video is,
  // and the 32-bit time wraps as it always did.
  const std::uint64_t num = std::uint64_t(RateNum_);
  const std::uint64_t period = 45000u * std::uint64_t(RateDen_);
  const std::uint64_t whole = std::uint64_t(f) / num, rest = std::uint64_t(f) % num;
  return static_cast<std::uint32_t>(whole * period + (rest * period + num / 2) / num);
}

void VideoSource::StartAt(std::size_t group) {
  const Group& g = Groups_[group];
  av_packet_unref(Packet_.get());
  Cache_.Clear();
  avcodec_flush_buffers(Decoder_.get());
  Ended_ = false;
  Draining_ = false;
  AwaitingGroup_ = true;
  DroppingLeading_ = false;
  DecoderPosition_ = Position_ = g.pos;
  DecoderFields_ = Fields_ = GroupFields(g);
  DecoderNext_ = Next_ = GroupFrames(g) - OriginFrames_;
  Current_ = -1;
  Shown_ = -1;
  StartGroup_ = group;
  DropBefore_ = g.dropBefore;
  Rescanned_ = false;
  if (!SeekDemuxer(g)) SetEnded();
}

void VideoSource::SetEnded() {
  Ended_ = true;
  Position_ = TotalSize();
  Fields_ = TotalFields_;
  Current_ = -1;
}

void VideoSource::Seek(std::int64_t position) {
  if (!Decoder_) return;
  auto it = std::lower_bound(Groups_.begin(), Groups_.end(), position,
                             [](const Group& g, std::int64_t p) { return g.pos < p; });
  if (it == Groups_.end()) {
    Cache_.Clear();
    avcodec_flush_buffers(Decoder_.get());
    DecoderNext_ = Next_ = FrameCount();
    SetEnded();
    return;
  }
  StartAt(std::size_t(it - Groups_.begin()));
}

std::size_t VideoSource::StartGroupOf(std::int64_t number) const {
  // Counted like framesBefore: from the first group's first picture.
  const std::int64_t coded = number + OriginFrames_;
  auto it = std::upper_bound(Groups_.begin(), Groups_.end(), coded,
                             [](std::int64_t n, const Group& g) { return n < g.framesBefore; });
  std::size_t group = std::size_t(it - Groups_.begin()) - 1;  // the first group starts at 0
  const Group& g = Groups_[group];
  if (group > 0 && !g.leadingDecodable && coded < g.framesBefore + g.leadingFrames) --group;
  return group;
}

bool VideoSource::SeekFrame(std::int64_t number) {
  if (!Decoder_ || number < 0 || number >= FrameCount()) return false;
  if (!Cache_.Find(number)) {
    const std::size_t group = StartGroupOf(number);
    // Going on from where the decoder is costs no more than starting again
    // when it is already inside the run from that group's start to the frame.
    const bool goOn = !Ended_ && DecoderNext_ <= number && DecoderNext_ >= GroupFrames(Groups_[group]) - OriginFrames_;
    if (!goOn) StartAt(group);
    while (DecoderNext_ <= number) {
      if (!DecodeIntoCache()) {
        SetEnded();
        return false;
      }
    }
  }
  const CachedPicture* frame = Cache_.Find(number);
  if (!frame) {  // the decoder gave fewer frames than the index counts
    SetEnded();
    return false;
  }
  Next_ = number;
  Current_ = -1;
  Fields_ = frame->fieldsBefore;
  Position_ = frame->position;
  return true;
}

bool VideoSource::FeedDecoder() {
  for (;;) {
    const int err = av_read_frame(Format_.get(), Packet_.get());
    if (err < 0) return false;  // end of input or an unreadable rest: drain
    if (Packet_->stream_index != Stream_) {
      av_packet_unref(Packet_.get());
      continue;
    }
    bool send = true;
    if (Timed_) {
      if (AwaitingGroup_) {
        // The demuxer may land before the group: what comes before its first
        // packet is read past. Past it (a demuxer that found its way only
        // later), the search starts again from the beginning, once.
        const Group& g = Groups_[StartGroup_];
        const std::int64_t time = Packet_->pts != AV_NOPTS_VALUE ? Packet_->pts : Packet_->dts;
        send = time == g.pts;
        if (send) {
          AwaitingGroup_ = false;
        } else if (Packet_->pos >= 0 && g.pos >= 0 && Packet_->pos > g.pos) {
          av_packet_unref(Packet_.get());
          if (Rescanned_) return false;
          Rescanned_ = true;
          if (ByteSeeks_ ? av_seek_frame(Format_.get(), -1, 0, AVSEEK_FLAG_BYTE) < 0
                         : avformat_seek_file(Format_.get(), -1, INT64_MIN, INT64_MIN, INT64_MIN, 0) < 0)
            return false;
          continue;
        }
      }
    } else if (AwaitingGroup_ || DroppingLeading_) {
      const PacketHeaders h = ParsePacketHeaders(Packet_->data, std::size_t(Packet_->size), Sequence_);
      if (AwaitingGroup_) {
        // Everything before the group's first packet is the tail of earlier
        // pictures, or pictures that refer to ones before the seek.
        send = h.StartsGroup();
        if (send) {
          AwaitingGroup_ = false;
          DroppingLeading_ = !(h.closedGop && !h.brokenLink);
        }
      } else if (h.type == PictureType::B) {
        send = false;  // needs the previous group: it would come out broken
      } else if (h.type != PictureType::None) {
        DroppingLeading_ = false;
      }
    }
    if (send) {
      // A damaged packet is skipped; the decoder resynchronises by itself.
      avcodec_send_packet(Decoder_.get(), Packet_.get());
    }
    av_packet_unref(Packet_.get());
    if (send) return true;
  }
}

bool VideoSource::DecodeIntoCache() {
  if (Ended_ || !Decoder_) return false;
  for (;;) {
    const int err = avcodec_receive_frame(Decoder_.get(), Picture_.get());
    if (err == 0) {
      if (Picture_->width <= 0 || Picture_->height <= 0) {
        av_frame_unref(Picture_.get());
        continue;
      }
      if (Timed_) {
        const std::int64_t number = NumberOfTimedPicture(*Picture_);
        if (number < 0) {
          av_frame_unref(Picture_.get());
          continue;
        }
        DecoderNext_ = number;
      }
      ++PicturesDecoded_;
      if (Picture_->pkt_pos >= 0) DecoderPosition_ = Picture_->pkt_pos;
      CachedPicture decoded;
      decoded.number = DecoderNext_++;
      decoded.picture.reset(av_frame_alloc());
      if (!decoded.picture) throw std::bad_alloc();
      av_frame_move_ref(decoded.picture.get(), Picture_.get());
      decoded.position = DecoderPosition_;
      decoded.fieldsBefore = DecoderFields_;
      DecoderFields_ = Timed_ ? TicksBefore(DecoderNext_) : DecoderFields_ + 2 + std::clamp(decoded.picture->repeat_pict, 0, 4);
      decoded.fieldsBefore = Timed_ ? TicksBefore(decoded.number) : decoded.fieldsBefore;
      decoded.fieldsAfter = DecoderFields_;
      Cache_.Add(std::move(decoded));
      return true;
    }
    if (err == AVERROR_EOF) {
      Ended_ = true;
      return false;
    }
    // EAGAIN, or a picture that failed to decode: the decoder wants input.
    if (Draining_) {
      Ended_ = true;
      return false;
    }
    if (!FeedDecoder()) {
      Draining_ = true;
      avcodec_send_packet(Decoder_.get(), nullptr);
    }
  }
}

bool VideoSource::Advance(Picture what) {
  const CachedPicture* frame = Cache_.Find(Next_);
  if (!frame && Next_ == DecoderNext_ && DecodeIntoCache()) frame = Cache_.Find(Next_);
  if (!frame) {
    SetEnded();
    return false;
  }
  if (what == Picture::Convert) {
    Converter_.Convert(frame->picture.get(), Width_, Height_, Frame_.data());
    HaveFrame_ = true;
    Shown_ = Next_;
    ShownPts_ = Ticks(frame->picture->best_effort_timestamp, Format_->streams[Stream_]->time_base);
    ShownPos_ = frame->position;
  }
  Position_ = frame->position;
  Fields_ = frame->fieldsAfter;
  Current_ = Next_++;
  return true;
}

std::uint8_t* VideoSource::NextFrame() {
  if (!Advance(Picture::Convert)) return nullptr;
  return Frame_.data();
}

std::uint8_t* VideoSource::CleanStillFrame(KeltaCodecStillKind& kind) {
  const CachedPicture* shown = Shown_ >= 0 ? Cache_.Find(Shown_) : nullptr;
  if (!shown) return nullptr;
  // The next frame is decoded ahead when the decoder is just before it: the
  // cache then holds it for NextFrame, which gives the same frame as before.
  if (!Cache_.Find(Shown_ + 1) && DecoderNext_ == Shown_ + 1 && !Ended_) DecodeIntoCache();
  // Decoding may have pushed pictures out of the cache: look them up anew.
  shown = Cache_.Find(Shown_);
  if (!shown) return nullptr;
  const CachedPicture* before = Cache_.Find(Shown_ - 1);
  const CachedPicture* after = Cache_.Find(Shown_ + 1);
  const AVFrame* still = Still_.Make(before ? before->picture.get() : nullptr, shown->picture.get(),
                                     after ? after->picture.get() : nullptr, kind);
  StillFrame_.resize(Frame_.size());
  Converter_.Convert(still, Width_, Height_, StillFrame_.data());
  return StillFrame_.data();
}

void VideoSource::SetFullRangeOutput(bool fullRange) {
  Converter_.SetFullRangeOutput(fullRange);
  if (fullRange == FullRange_) return;
  FullRange_ = fullRange;
  // The subtitle's colours follow the frames'.
  if (Subpictures_.Chosen() >= 0)
    Subpictures_.Choose(Subpictures_.Chosen(), SubtitlePalette_.empty() ? nullptr : SubtitlePalette_.data(), FullRange_);
}

bool VideoSource::ChooseSubtitle(int stream, const std::uint32_t* palette) {
  if (palette)
    SubtitlePalette_.assign(palette, palette + 16);
  else
    SubtitlePalette_.clear();
  return Subpictures_.Choose(stream, palette, FullRange_);
}

const KeltaCodecSubtitle* VideoSource::Subtitle() {
  if (Shown_ < 0 || !Input_) return nullptr;
  return Subpictures_.At(ShownPts_, ShownPos_, *Input_);
}

int VideoSource::SkipFrames(int count) {
  int done = 0;
  while (done < count && Advance(Picture::Drop)) ++done;
  return done;
}

}  // namespace kelta::codec
