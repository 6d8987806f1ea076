#include "support/PlainFfmpeg.h"

#include <cstdlib>

#include "codec/FrameView.h"

namespace kelta::bench {

void DefaultConversion::Convert(const AVFrame* frame, std::vector<std::uint8_t>& out) {
  const int stride = int(Bgr24Stride(frame->width));
  out.resize(std::size_t(stride) * std::size_t(frame->height));
  // sws_getCachedContext frees the context it replaces.
  sws_.reset(sws_getCachedContext(sws_.release(), frame->width, frame->height, AVPixelFormat(frame->format),
                                  frame->width, frame->height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr,
                                  nullptr));
  std::uint8_t* dst[4] = {out.data() + std::ptrdiff_t(frame->height - 1) * stride};
  const int dstStride[4] = {-stride};
  sws_scale(sws_.get(), frame->data, frame->linesize, 0, frame->height, dst, dstStride);
}

PlainDecoder::PlainDecoder(const std::string& path) : packet_(av_packet_alloc()), frame_(av_frame_alloc()) {
  AVFormatContext* opened = nullptr;
  if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) std::abort();
  format_.reset(opened);
  if (avformat_find_stream_info(format_.get(), nullptr) < 0) std::abort();
  stream_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (stream_ < 0) std::abort();
  for (unsigned i = 0; i < format_->nb_streams; ++i)
    if (int(i) != stream_) format_->streams[i]->discard = AVDISCARD_ALL;
  const AVCodecParameters* parameters = format_->streams[stream_]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
  context_.reset(avcodec_alloc_context3(codec));
  avcodec_parameters_to_context(context_.get(), parameters);
  context_->thread_count = 0;
  context_->thread_type = FF_THREAD_SLICE;
  if (avcodec_open2(context_.get(), codec, nullptr) < 0) std::abort();
}

const AVFrame* PlainDecoder::Next() {
  for (;;) {
    av_frame_unref(frame_.get());
    const int received = avcodec_receive_frame(context_.get(), frame_.get());
    if (received == 0) return frame_.get();
    if (received != AVERROR(EAGAIN) || draining_) return nullptr;
    if (av_read_frame(format_.get(), packet_.get()) < 0) {
      draining_ = true;
      avcodec_send_packet(context_.get(), nullptr);
      continue;
    }
    if (packet_->stream_index == stream_) avcodec_send_packet(context_.get(), packet_.get());
    av_packet_unref(packet_.get());
  }
}

void PlainDecoder::SeekToByte(std::int64_t position) {
  av_seek_frame(format_.get(), -1, position, AVSEEK_FLAG_BYTE);
  avcodec_flush_buffers(context_.get());
  draining_ = false;
}

void PlainDecoder::ReadAllPackets() {
  while (av_read_frame(format_.get(), packet_.get()) >= 0) av_packet_unref(packet_.get());
}

}  // namespace kelta::bench
