#pragma once
// FFmpeg objects owned by std::unique_ptr, and the one place that turns an
// FFmpeg error code into text.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <stdexcept>
#include <string>

namespace kelta::codec {

struct FormatInputDeleter {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
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
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using IOContextPtr = std::unique_ptr<AVIOContext, IOContextDeleter>;

// An FFmpeg call that failed; EAGAIN and end of file are flow, never errors.
class FFmpegError : public std::runtime_error {
 public:
  FFmpegError(const std::string& what, int code) : std::runtime_error(what + ": " + ErrorText(code)), code_(code) {}
  int code() const { return code_; }

  static std::string ErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
  }

 private:
  int code_;
};

inline int Check(int code, const char* what) {
  if (code < 0) throw FFmpegError(what, code);
  return code;
}

}  // namespace kelta::codec
