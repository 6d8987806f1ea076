#include "VideoSource.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace kelta::codec {

namespace {

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

// Containers that carry MPEG video; anything else (pictures, audio, playlists
// that would open further files) is refused before it is parsed further.
bool AcceptedFormat(const AVInputFormat* format) {
  static const char* const names[] = {"mpeg", "mpegts", "mpegvideo", "m4v", "mpeg1video"};
  for (const char* name : names)
    if (std::strcmp(format->name, name) == 0) return true;
  return false;
}

bool IsMpegVideo(const AVCodecParameters* par) {
  return par->codec_type == AVMEDIA_TYPE_VIDEO &&
         (par->codec_id == AV_CODEC_ID_MPEG1VIDEO || par->codec_id == AV_CODEC_ID_MPEG2VIDEO);
}

}  // namespace

VideoSource::~VideoSource() {
  // The format context refers to the I/O context: close it first.
  format_.reset();
  io_.reset();
}

int VideoSource::ReadPacket(void* opaque, std::uint8_t* buffer, int size) {
  auto* self = static_cast<VideoSource*>(opaque);
  const long got = self->input_->Read(buffer, size);
  // The index pass reads the file from start to end, and its position is
  // the progress; probing before it jumps about (the head, then the tail for
  // the duration) and is not counted. A cancelled open reads nothing more:
  // FFmpeg gives up at once.
  if (self->indexing_ ? !self->ReportRead(self->input_->Tell()) : self->cancelled_) return AVERROR_EXIT;
  if (got < 0) return AVERROR(EIO);
  if (got == 0) return AVERROR_EOF;
  return int(got);
}

std::int64_t VideoSource::SeekStream(void* opaque, std::int64_t offset, int whence) {
  auto* self = static_cast<VideoSource*>(opaque);
  ByteStream& files = *self->input_;
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
  input_ = std::move(input);
  if (!input_ || input_->Size() <= 0) return false;
  progress_ = progress;
  reportStep_ = std::clamp(input_->Size() / 256, MinReportStep, MaxReportStep);
  const bool opened = ReportRead(0, true) && OpenDemuxer(name) && BuildIndex() &&
                      ReportRead(input_->Size(), true) && OpenDecoder();
  // Decoding reads on without reports.
  progress_ = {};
  return opened && !cancelled_;
}

bool VideoSource::ReportRead(std::int64_t done, bool always) {
  if (!progress_.report || cancelled_) return !cancelled_;
  // The demuxer may step back a little to find its way: the count never does.
  done = std::max(done, reported_);
  if (!always && done < nextReport_) return true;
  reported_ = done;
  nextReport_ = done + reportStep_;
  cancelled_ = progress_.report(progress_.context, done, input_->Size()) == 0;
  return !cancelled_;
}

bool VideoSource::OpenDemuxer(const std::string& path) {
  auto* buffer = static_cast<std::uint8_t*>(av_malloc(IOBufferSize));
  if (!buffer) return false;
  io_.reset(avio_alloc_context(buffer, IOBufferSize, 0, this, &ReadPacket, nullptr, &SeekStream));
  if (!io_) {
    av_free(buffer);
    return false;
  }
  const AVInputFormat* format = nullptr;
  if (av_probe_input_buffer2(io_.get(), &format, path.c_str(), nullptr, 0, 0) < 0 || !format ||
      !AcceptedFormat(format))
    return false;

  AVFormatContext* raw = avformat_alloc_context();
  if (!raw) return false;
  raw->pb = io_.get();
  raw->flags |= AVFMT_FLAG_CUSTOM_IO;
  // On failure avformat_open_input frees the context (not our I/O context).
  if (avformat_open_input(&raw, path.c_str(), format, nullptr) < 0) return false;
  format_.reset(raw);
  if (avformat_find_stream_info(format_.get(), nullptr) < 0) return false;

  for (unsigned i = 0; i < format_->nb_streams; ++i) {
    if (stream_ < 0 && IsMpegVideo(format_->streams[i]->codecpar))
      stream_ = int(i);
    else
      format_->streams[i]->discard = AVDISCARD_ALL;
  }
  packet_.reset(av_packet_alloc());
  picture_.reset(av_frame_alloc());
  return stream_ >= 0 && packet_ && picture_;
}

bool VideoSource::BuildIndex() {
  if (av_seek_frame(format_.get(), -1, 0, AVSEEK_FLAG_BYTE) < 0) return false;
  SequenceState sequence;
  std::int64_t fields = 0, pictures = 0, fieldPictures = 0;
  // A field picture is half a frame: frames are counted in halves.
  std::int64_t halves = 0, leadingHalves = 0;
  bool inLeading = false;
  indexing_ = true;
  while (av_read_frame(format_.get(), packet_.get()) >= 0) {
    if (packet_->stream_index == stream_) {
      const PacketHeaders h = ParsePacketHeaders(packet_->data, std::size_t(packet_->size), sequence);
      const std::int64_t pictureHalves = h.fields == 1 ? 1 : 2;
      if (h.startsGroup() && packet_->pos >= 0 && (groups_.empty() || packet_->pos > groups_.back().pos)) {
        if (groups_.empty()) aspect_ = DisplayAspectOf(sequence);
        Group g;
        g.pos = packet_->pos;
        g.fieldsBefore = fields;
        g.framesBefore = halves / 2;
        g.leadingDecodable = h.closedGop && !h.brokenLink;
        groups_.push_back(g);
        inLeading = true;
        leadingHalves = 0;
      } else if (inLeading && h.type == PictureType::B) {
        groups_.back().leadingFields += h.fields;
        leadingHalves += pictureHalves;
        groups_.back().leadingFrames = leadingHalves / 2;
      } else if (h.type != PictureType::None) {
        inLeading = false;
      }
      // Pictures before the first group are never shown: they are not counted.
      if (h.type != PictureType::None && !groups_.empty()) {
        fields += h.fields;
        halves += pictureHalves;
        if (h.fields == 1)
          ++fieldPictures;
        else
          ++pictures;
      }
    }
    av_packet_unref(packet_.get());
  }
  indexing_ = false;
  if (groups_.empty()) return false;

  rateNum_ = sequence.rateNum;
  rateDen_ = sequence.rateDen;
  if (rateNum_ <= 0 || rateDen_ <= 0 || rateNum_ > MaxRateTerm || rateDen_ > MaxRateTerm) {
    const AVStream* st = format_->streams[stream_];
    AVRational r = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
    rateNum_ = 0;
    rateDen_ = 1;
    // The nearest rate with terms in range; none when the container has none.
    if (r.num > 0) av_reduce(&rateNum_, &rateDen_, r.num, r.den > 0 ? r.den : 1, MaxRateTerm);
  }
  // Frames per second as shown: the field rate over the fields per frame, so
  // that film with repeated fields reports its own rate.
  const double frames = double(pictures) + double(fieldPictures) / 2.0;
  if (rateNum_ > 0 && fields > 0)
    frameRate_ = 2.0 * rateNum_ / rateDen_ * frames / double(fields);
  else if (rateNum_ > 0)
    frameRate_ = double(rateNum_) / rateDen_;
  originFields_ = GroupFields(groups_.front());
  totalFields_ = fields;
  originFrames_ = GroupFrames(groups_.front());
  totalFrames_ = halves / 2;

  const AVCodecParameters* par = format_->streams[stream_]->codecpar;
  width_ = par->width > 0 ? par->width : sequence.width;
  height_ = par->height > 0 ? par->height : sequence.height;
  return width_ > 0 && height_ > 0;
}

bool VideoSource::OpenDecoder() {
  const AVCodecParameters* par = format_->streams[stream_]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(par->codec_id);
  if (!codec) return false;
  decoder_.reset(avcodec_alloc_context3(codec));
  if (!decoder_ || avcodec_parameters_to_context(decoder_.get(), par) < 0) return false;
  // Slices in parallel keep the output identical to a single thread and add
  // no frame delay to flush through after a seek.
  decoder_->thread_count = 0;
  decoder_->thread_type = FF_THREAD_SLICE;
  if (avcodec_open2(decoder_.get(), codec, nullptr) < 0) return false;
  frame_.assign(Bgr24FrameBytes(width_, height_), 0);
  // Room for the longest groups of DVD video and the group before, whose
  // pictures the first B-pictures of an open group need, at DVD sizes.
  const std::size_t pictureBytes = std::size_t(width_) * std::size_t(height_) * 3 / 2;
  cache_.SetCapacity(std::clamp<std::size_t>(CacheBytes / pictureBytes, MinCachedPictures, MaxCachedPictures));
  StartAt(0);
  return true;
}

std::uint32_t VideoSource::Time() const {
  const std::int64_t f = fields_ - originFields_;
  if (rateNum_ <= 0 || f <= 0) return 0;
  // One field lasts 45000 * den / num ticks; round the sum, not each field.
  // Every num fields last exactly 45000 * den ticks, so whole periods are
  // counted apart: no product outgrows 64 bits however long the video is,
  // and the 32-bit time wraps as it always did.
  const std::uint64_t num = std::uint64_t(rateNum_);
  const std::uint64_t period = 45000u * std::uint64_t(rateDen_);
  const std::uint64_t whole = std::uint64_t(f) / num, rest = std::uint64_t(f) % num;
  return static_cast<std::uint32_t>(whole * period + (rest * period + num / 2) / num);
}

void VideoSource::StartAt(std::size_t group) {
  const Group& g = groups_[group];
  av_packet_unref(packet_.get());
  cache_.Clear();
  avcodec_flush_buffers(decoder_.get());
  ended_ = false;
  draining_ = false;
  awaitingGroup_ = true;
  droppingLeading_ = false;
  decoderPosition_ = position_ = g.pos;
  decoderFields_ = fields_ = GroupFields(g);
  decoderNext_ = next_ = GroupFrames(g) - originFrames_;
  current_ = -1;
  if (av_seek_frame(format_.get(), -1, g.pos, AVSEEK_FLAG_BYTE) < 0) SetEnded();
}

void VideoSource::SetEnded() {
  ended_ = true;
  position_ = TotalSize();
  fields_ = totalFields_;
  current_ = -1;
}

void VideoSource::Seek(std::int64_t position) {
  if (!decoder_) return;
  auto it = std::lower_bound(groups_.begin(), groups_.end(), position,
                             [](const Group& g, std::int64_t p) { return g.pos < p; });
  if (it == groups_.end()) {
    cache_.Clear();
    avcodec_flush_buffers(decoder_.get());
    decoderNext_ = next_ = FrameCount();
    SetEnded();
    return;
  }
  StartAt(std::size_t(it - groups_.begin()));
}

std::size_t VideoSource::StartGroupOf(std::int64_t number) const {
  // Counted like framesBefore: from the first group's first picture.
  const std::int64_t coded = number + originFrames_;
  auto it = std::upper_bound(groups_.begin(), groups_.end(), coded,
                             [](std::int64_t n, const Group& g) { return n < g.framesBefore; });
  std::size_t group = std::size_t(it - groups_.begin()) - 1;  // the first group starts at 0
  const Group& g = groups_[group];
  if (group > 0 && !g.leadingDecodable && coded < g.framesBefore + g.leadingFrames) --group;
  return group;
}

bool VideoSource::SeekFrame(std::int64_t number) {
  if (!decoder_ || number < 0 || number >= FrameCount()) return false;
  if (!cache_.Find(number)) {
    const std::size_t group = StartGroupOf(number);
    // Going on from where the decoder is costs no more than starting again
    // when it is already inside the run from that group's start to the frame.
    const bool goOn = !ended_ && decoderNext_ <= number && decoderNext_ >= GroupFrames(groups_[group]) - originFrames_;
    if (!goOn) StartAt(group);
    while (decoderNext_ <= number) {
      if (!DecodeIntoCache()) {
        SetEnded();
        return false;
      }
    }
  }
  const CachedPicture* frame = cache_.Find(number);
  if (!frame) {  // the decoder gave fewer frames than the index counts
    SetEnded();
    return false;
  }
  next_ = number;
  current_ = -1;
  fields_ = frame->fieldsBefore;
  position_ = frame->position;
  return true;
}

bool VideoSource::FeedDecoder() {
  for (;;) {
    const int err = av_read_frame(format_.get(), packet_.get());
    if (err < 0) return false;  // end of input or an unreadable rest: drain
    if (packet_->stream_index != stream_) {
      av_packet_unref(packet_.get());
      continue;
    }
    bool send = true;
    if (awaitingGroup_ || droppingLeading_) {
      const PacketHeaders h = ParsePacketHeaders(packet_->data, std::size_t(packet_->size), sequence_);
      if (awaitingGroup_) {
        // Everything before the group's first packet is the tail of earlier
        // pictures, or pictures that refer to ones before the seek.
        send = h.startsGroup();
        if (send) {
          awaitingGroup_ = false;
          droppingLeading_ = !(h.closedGop && !h.brokenLink);
        }
      } else if (h.type == PictureType::B) {
        send = false;  // needs the previous group: it would come out broken
      } else if (h.type != PictureType::None) {
        droppingLeading_ = false;
      }
    }
    if (send) {
      // A damaged packet is skipped; the decoder resynchronises by itself.
      avcodec_send_packet(decoder_.get(), packet_.get());
    }
    av_packet_unref(packet_.get());
    if (send) return true;
  }
}

bool VideoSource::DecodeIntoCache() {
  if (ended_ || !decoder_) return false;
  for (;;) {
    const int err = avcodec_receive_frame(decoder_.get(), picture_.get());
    if (err == 0) {
      if (picture_->width <= 0 || picture_->height <= 0) {
        av_frame_unref(picture_.get());
        continue;
      }
      ++picturesDecoded_;
      if (picture_->pkt_pos >= 0) decoderPosition_ = picture_->pkt_pos;
      CachedPicture decoded;
      decoded.number = decoderNext_++;
      decoded.picture.reset(av_frame_alloc());
      if (!decoded.picture) throw std::bad_alloc();
      av_frame_move_ref(decoded.picture.get(), picture_.get());
      decoded.position = decoderPosition_;
      decoded.fieldsBefore = decoderFields_;
      decoderFields_ += 2 + std::clamp(decoded.picture->repeat_pict, 0, 4);
      decoded.fieldsAfter = decoderFields_;
      cache_.Add(std::move(decoded));
      return true;
    }
    if (err == AVERROR_EOF) {
      ended_ = true;
      return false;
    }
    // EAGAIN, or a picture that failed to decode: the decoder wants input.
    if (draining_) {
      ended_ = true;
      return false;
    }
    if (!FeedDecoder()) {
      draining_ = true;
      avcodec_send_packet(decoder_.get(), nullptr);
    }
  }
}

bool VideoSource::Advance(Picture what) {
  const CachedPicture* frame = cache_.Find(next_);
  if (!frame && next_ == decoderNext_ && DecodeIntoCache()) frame = cache_.Find(next_);
  if (!frame) {
    SetEnded();
    return false;
  }
  if (what == Picture::Convert) {
    converter_.Convert(frame->picture.get(), width_, height_, frame_.data());
    haveFrame_ = true;
  }
  position_ = frame->position;
  fields_ = frame->fieldsAfter;
  current_ = next_++;
  return true;
}

std::uint8_t* VideoSource::NextFrame() {
  if (!Advance(Picture::Convert)) return nullptr;
  return frame_.data();
}

int VideoSource::SkipFrames(int count) {
  int done = 0;
  while (done < count && Advance(Picture::Drop)) ++done;
  return done;
}

}  // namespace kelta::codec
