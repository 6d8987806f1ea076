#include "support/ReferenceDecoder.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <stdexcept>

#include "codec/FFmpegPtr.h"
#include "codec/FrameView.h"

namespace kelta::test {

using codec::CodecContextPtr;
using codec::FormatPtr;
using codec::FramePtr;
using codec::PacketPtr;
using codec::SwsPtr;

struct ReferenceDecoder::Impl {
  FormatPtr format;
  CodecContextPtr codec;
  PacketPtr packet;
  FramePtr frame;
  SwsPtr sws[3];  // whole frame, top field, bottom field
  int swsKey[3] = {-1, -1, -1};
  int stream = -1;
  bool draining = false;

  SwsContext* Context(int slot, int rows, int vPos) {
    const int key = frame->width * 131 + rows * 7 + frame->colorspace * 3 + frame->format * 1009 + vPos;
    if (sws[slot] && swsKey[slot] == key) return sws[slot].get();
    sws[slot].reset(sws_alloc_context());
    SwsContext* s = sws[slot].get();
    av_opt_set_int(s, "srcw", frame->width, 0);
    av_opt_set_int(s, "srch", rows, 0);
    av_opt_set_int(s, "src_format", frame->format, 0);
    av_opt_set_int(s, "dstw", frame->width, 0);
    av_opt_set_int(s, "dsth", rows, 0);
    av_opt_set_int(s, "dst_format", AV_PIX_FMT_BGR24, 0);
    av_opt_set_int(s, "sws_flags", SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, 0);
    av_opt_set_int(s, "src_h_chr_pos", 0, 0);
    av_opt_set_int(s, "src_v_chr_pos", vPos, 0);
    if (sws_init_context(s, nullptr, nullptr) < 0) throw std::runtime_error("swscale refused");
    const int matrix = frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    sws_setColorspaceDetails(s, sws_getCoefficients(matrix), frame->color_range == AVCOL_RANGE_JPEG,
                             sws_getCoefficients(matrix), 1, 0, 1 << 16, 1 << 16);
    swsKey[slot] = key;
    return s;
  }

  void Convert(std::vector<std::uint8_t>& out) {
    const int w = frame->width, h = frame->height, stride = int(Bgr24Stride(w));
    // Every picture byte is written below; resizing keeps the padding the
    // first allocation zeroed, without clearing the frame each time.
    out.resize(std::size_t(stride) * h);
    std::uint8_t* last = out.data() + std::ptrdiff_t(h - 1) * stride;
    if (!frame->interlaced_frame) {
      std::uint8_t* dst[4] = {last};
      int dstStride[4] = {-stride};
      sws_scale(Context(0, h, 128), frame->data, frame->linesize, 0, h, dst, dstStride);
      return;
    }
    for (int field = 0; field < 2; ++field) {
      const int rows = field == 0 ? (h + 1) / 2 : h / 2;
      const std::uint8_t* src[4] = {};
      int srcStride[4] = {};
      for (int p = 0; p < 3; ++p) {
        src[p] = frame->data[p] + field * frame->linesize[p];
        srcStride[p] = 2 * frame->linesize[p];
      }
      std::uint8_t* dst[4] = {last - field * stride};
      int dstStride[4] = {-2 * stride};
      sws_scale(Context(1 + field, rows, field == 0 ? 64 : 192), src, srcStride, 0, rows, dst, dstStride);
    }
  }
};

ReferenceDecoder::ReferenceDecoder(const std::string& path) : Impl_(std::make_unique<Impl>()) {
  if (av_log_get_level() > AV_LOG_FATAL) av_log_set_level(AV_LOG_FATAL);
  Impl& d = *Impl_;
  AVFormatContext* format = nullptr;
  // On failure avformat_open_input frees the context itself.
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) throw std::runtime_error("Cannot read " + path);
  d.format.reset(format);
  if (avformat_find_stream_info(d.format.get(), nullptr) < 0) throw std::runtime_error("Cannot read " + path);
  for (unsigned i = 0; i < d.format->nb_streams; ++i) {
    const AVCodecParameters* par = d.format->streams[i]->codecpar;
    if (d.stream < 0 && (par->codec_id == AV_CODEC_ID_MPEG1VIDEO || par->codec_id == AV_CODEC_ID_MPEG2VIDEO))
      d.stream = int(i);
    else
      d.format->streams[i]->discard = AVDISCARD_ALL;
  }
  if (d.stream < 0) throw std::runtime_error("No MPEG video in " + path);
  const AVCodecParameters* par = d.format->streams[d.stream]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(par->codec_id);
  d.codec.reset(avcodec_alloc_context3(codec));
  avcodec_parameters_to_context(d.codec.get(), par);
  d.codec->thread_count = 0;
  d.codec->thread_type = FF_THREAD_SLICE;
  if (avcodec_open2(d.codec.get(), codec, nullptr) < 0) throw std::runtime_error("Cannot open the decoder");
  d.packet.reset(av_packet_alloc());
  d.frame.reset(av_frame_alloc());
}

ReferenceDecoder::~ReferenceDecoder() = default;

int ReferenceDecoder::Width() const { return Impl_->codec->width; }
int ReferenceDecoder::Height() const { return Impl_->codec->height; }

bool ReferenceDecoder::Next(std::vector<std::uint8_t>* bgr) {
  Impl& d = *Impl_;
  for (;;) {
    const int err = avcodec_receive_frame(d.codec.get(), d.frame.get());
    if (err == 0) {
      if (bgr) d.Convert(*bgr);
      av_frame_unref(d.frame.get());
      return true;
    }
    if (err == AVERROR_EOF || (err != AVERROR(EAGAIN) && d.draining)) return false;
    if (d.draining) return false;
    if (av_read_frame(d.format.get(), d.packet.get()) < 0) {
      d.draining = true;
      avcodec_send_packet(d.codec.get(), nullptr);
      continue;
    }
    if (d.packet->stream_index == d.stream) avcodec_send_packet(d.codec.get(), d.packet.get());
    av_packet_unref(d.packet.get());
  }
}

int CountFrames(const std::string& path) {
  ReferenceDecoder decoder(path);
  int n = 0;
  while (decoder.Next(nullptr)) ++n;
  return n;
}

}  // namespace kelta::test
