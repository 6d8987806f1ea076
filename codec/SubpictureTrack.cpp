#include "SubpictureTrack.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

extern "C" {
#include <libavutil/dict.h>
}

namespace kelta::codec {

namespace {

// A unit is at most 64 KiB: its size field has 16 bits.
constexpr int MaxUnitBytes = 65535;

bool ReadFully(ByteStream& input, std::uint8_t* buffer, long size) {
  while (size > 0) {
    const long got = input.Read(buffer, size);
    if (got <= 0) return false;
    buffer += got;
    size -= got;
  }
  return true;
}

std::uint8_t Clamped(double value) { return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

// A palette colour 0x00YYCrCb as "rrggbb" by the BT.601 rule DVDs use. Full
// range stretches 16..235 to 0..255; video levels keep black at 16, as the
// frames are then given.
std::string RgbText(std::uint32_t ycrcb, bool fullRange) {
  const double y = double((ycrcb >> 16) & 0xFF) - 16.0;
  const double cr = double((ycrcb >> 8) & 0xFF) - 128.0;
  const double cb = double(ycrcb & 0xFF) - 128.0;
  double r = 1.164383 * y + 1.596027 * cr;
  double g = 1.164383 * y - 0.391762 * cb - 0.812968 * cr;
  double b = 1.164383 * y + 2.017232 * cb;
  if (!fullRange) {
    r = 16.0 + r * 219.0 / 255.0;
    g = 16.0 + g * 219.0 / 255.0;
    b = 16.0 + b * 219.0 / 255.0;
  }
  char text[8];
  std::snprintf(text, sizeof text, "%02x%02x%02x", Clamped(r), Clamped(g), Clamped(b));
  return text;
}

}  // namespace

void SubpictureTrack::AddPacket(int stream, std::int64_t pts, std::int64_t pos, int size) {
  if (stream < 0 || stream >= MaxStreams || size <= 0 || pos < 0) return;
  std::vector<Unit>& units = Units_[stream];
  // A packet with a time starts a unit; the packets after it carry the rest.
  if (pts != AV_NOPTS_VALUE || units.empty()) {
    // A unit's continuation without its start belongs to no unit.
    if (pts == AV_NOPTS_VALUE) return;
    units.push_back(Unit{pts, {}});
  }
  units.back().packets.push_back(Packet{pos, size});
}

void SubpictureTrack::AddVideoTime(std::int64_t pos, std::int64_t pts) {
  if (pos < 0 || pts == AV_NOPTS_VALUE) return;
  // Pictures come in coding order, a few frames either way of their times:
  // only a larger step is a new clock.
  if (LastVideoPts_ != AV_NOPTS_VALUE && LastVideoPos_ >= 0 &&
      (pts < LastVideoPts_ - 90000 || pts > LastVideoPts_ + MaxForwardJump) &&
      (Parts_.empty() || Parts_.back() <= LastVideoPos_))
    Parts_.push_back(LastVideoPos_ + 1);
  LastVideoPos_ = pos;
  LastVideoPts_ = pts;
}

std::size_t SubpictureTrack::PartOf(std::int64_t pos) const {
  return std::size_t(std::upper_bound(Parts_.begin(), Parts_.end(), pos) - Parts_.begin());
}

std::uint32_t SubpictureTrack::Streams() const {
  std::uint32_t streams = 0;
  for (int i = 0; i < MaxStreams; ++i)
    if (!Units_[i].empty()) streams |= 1u << i;
  return streams;
}

bool SubpictureTrack::OpenDecoder(const std::uint32_t* palette, bool fullRange) {
  Decoder_.reset();
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_DVD_SUBTITLE);
  if (!codec) return false;
  CodecContextPtr decoder(avcodec_alloc_context3(codec));
  if (!decoder) return false;
  AVDictionary* options = nullptr;
  if (palette) {
    std::string text;
    for (int i = 0; i < 16; ++i) text += (i ? "," : "") + RgbText(palette[i], fullRange);
    av_dict_set(&options, "palette", text.c_str(), 0);
  }
  const int opened = avcodec_open2(decoder.get(), codec, &options);
  av_dict_free(&options);
  if (opened < 0) return false;
  Decoder_ = std::move(decoder);
  return true;
}

bool SubpictureTrack::Choose(int stream, const std::uint32_t* palette, bool fullRange) {
  Stream_ = -1;
  Decoded_ = -1;
  Showing_ = false;
  if (stream < 0) {
    Decoder_.reset();
    return true;
  }
  if (stream >= MaxStreams || Units_[stream].empty() || !OpenDecoder(palette, fullRange)) return false;
  Stream_ = stream;
  return true;
}

bool SubpictureTrack::Decode(std::size_t index, ByteStream& input) {
  const Unit& unit = Units_[Stream_][index];
  std::vector<std::uint8_t> data;
  const std::int64_t kept = input.Tell();
  bool read = true;
  for (const Packet& packet : unit.packets) {
    std::uint8_t head[6];
    input.SeekTo(packet.pos);
    // The PES packet of private stream 1 the demuxer found there; its
    // payload is the packet's tail.
    if (!ReadFully(input, head, 6) || head[0] != 0 || head[1] != 0 || head[2] != 1 || head[3] != 0xBD) {
      read = false;
      break;
    }
    const int length = head[4] << 8 | head[5];
    if (packet.size + 4 > length || data.size() + std::size_t(packet.size) > MaxUnitBytes) {
      read = false;
      break;
    }
    input.SeekTo(packet.pos + 6 + length - packet.size);
    const std::size_t at = data.size();
    data.resize(at + std::size_t(packet.size));
    if (!ReadFully(input, data.data() + at, packet.size)) {
      read = false;
      break;
    }
  }
  input.SeekTo(kept);
  if (!read || data.empty()) return false;

  const int size = int(data.size());
  data.resize(data.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  PacketPtr packet(av_packet_alloc());
  if (!packet) return false;
  packet->data = data.data();
  packet->size = size;
  // A unit left over from an earlier one that never completed goes first.
  avcodec_flush_buffers(Decoder_.get());
  AVSubtitle subtitle{};
  int got = 0;
  if (avcodec_decode_subtitle2(Decoder_.get(), &subtitle, &got, packet.get()) < 0 || !got) {
    avsubtitle_free(&subtitle);
    return false;
  }

  int left = INT32_MAX, top = INT32_MAX, right = 0, bottom = 0;
  for (unsigned i = 0; i < subtitle.num_rects; ++i) {
    const AVSubtitleRect* r = subtitle.rects[i];
    if (r->type != SUBTITLE_BITMAP || r->w <= 0 || r->h <= 0 || r->x < 0 || r->y < 0) continue;
    left = std::min(left, r->x);
    top = std::min(top, r->y);
    right = std::max(right, r->x + r->w);
    bottom = std::max(bottom, r->y + r->h);
  }
  const bool shows = right > left && bottom > top;
  if (shows) {
    const int width = right - left, height = bottom - top;
    Pixels_.assign(std::size_t(width) * std::size_t(height) * 4, 0);
    for (unsigned i = 0; i < subtitle.num_rects; ++i) {
      const AVSubtitleRect* r = subtitle.rects[i];
      if (r->type != SUBTITLE_BITMAP || r->w <= 0 || r->h <= 0 || r->x < 0 || r->y < 0) continue;
      const auto* colours = reinterpret_cast<const std::uint32_t*>(r->data[1]);
      for (int y = 0; y < r->h; ++y) {
        const std::uint8_t* in = r->data[0] + std::ptrdiff_t(y) * r->linesize[0];
        std::uint8_t* out =
            Pixels_.data() + (std::size_t(r->y - top + y) * std::size_t(width) + std::size_t(r->x - left)) * 4;
        for (int x = 0; x < r->w; ++x, out += 4) {
          if (in[x] >= r->nb_colors) continue;
          // The decoder's colours are alpha << 24 | red << 16 | green << 8 | blue.
          const std::uint32_t c = colours[in[x]];
          out[0] = std::uint8_t(c);
          out[1] = std::uint8_t(c >> 8);
          out[2] = std::uint8_t(c >> 16);
          out[3] = std::uint8_t(c >> 24);
        }
      }
    }
    Shown_ = KeltaCodecSubtitle{left, top, width, height, Pixels_.data()};
    Start_ = std::int64_t(subtitle.start_display_time) * 90;
    // No end: it shows until the next unit.
    End_ = subtitle.end_display_time > subtitle.start_display_time && subtitle.end_display_time != UINT32_MAX
               ? std::int64_t(subtitle.end_display_time) * 90
               : -1;
  }
  avsubtitle_free(&subtitle);
  return shows;
}

const KeltaCodecSubtitle* SubpictureTrack::At(std::int64_t pts, std::int64_t pos, ByteStream& input) {
  if (Stream_ < 0 || !Decoder_ || pts == AV_NOPTS_VALUE) return nullptr;
  const std::vector<Unit>& units = Units_[Stream_];
  const std::size_t part = PartOf(pos);
  // The unit of the frame's part that began last at or before the moment;
  // in file order on a tie, as a player meets them.
  std::int64_t best = -1;
  for (std::size_t i = 0; i < units.size(); ++i)
    if (units[i].pts <= pts && (best < 0 || units[i].pts >= units[std::size_t(best)].pts) &&
        PartOf(units[i].packets.front().pos) == part)
      best = std::int64_t(i);
  if (best < 0) return nullptr;
  if (best != Decoded_) {
    Decoded_ = best;
    Showing_ = Decode(std::size_t(best), input);
  }
  if (!Showing_) return nullptr;
  const std::int64_t since = pts - units[std::size_t(best)].pts;
  if (since < Start_ || (End_ >= 0 && since >= End_)) return nullptr;
  return &Shown_;
}

}  // namespace kelta::codec
