#pragma once
// Every FFmpeg object Kelta makes, owned by a std::unique_ptr with the
// function that frees it: the plugin, the tests' fixture writers and the
// benchmarks all take their deleters from here.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace kelta::codec {

// A demuxer opened with avformat_open_input.
struct FormatInputDeleter {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
// A muxer made with avformat_alloc_output_context2: its file, if it opened
// one, is closed with it.
struct FormatOutputDeleter {
  void operator()(AVFormatContext* c) const {
    if (!c) return;
    if (c->pb && !(c->oformat->flags & AVFMT_NOFILE)) avio_closep(&c->pb);
    avformat_free_context(c);
  }
};
struct CodecContextDeleter {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsDeleter {
  void operator()(SwsContext* c) const { sws_freeContext(c); }
};
// A custom I/O context: its buffer may have been replaced by FFmpeg, so free
// the current one, then the context.
struct IOContextDeleter {
  void operator()(AVIOContext* io) const {
    if (!io) return;
    av_freep(&io->buffer);
    avio_context_free(&io);
  }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatInputDeleter>;
using OutputFormatPtr = std::unique_ptr<AVFormatContext, FormatOutputDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using IOContextPtr = std::unique_ptr<AVIOContext, IOContextDeleter>;

}  // namespace kelta::codec
