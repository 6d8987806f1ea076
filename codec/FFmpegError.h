#pragma once
// The one place that turns an FFmpeg error code into an error with
// av_strerror's text.

extern "C" {
#include <libavutil/error.h>
}

#include <stdexcept>
#include <string>

namespace kelta::codec {

// An FFmpeg call that failed; EAGAIN and end of file are flow, never errors.
class FFmpegError : public std::runtime_error {
 public:
  FFmpegError(const std::string& what, int code) : std::runtime_error(what + ": " + ErrorText(code)), Code_(code) {}
  int Code() const { return Code_; }

  static std::string ErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
  }

 private:
  int Code_;
};

// `code` when it is no error; throws FFmpegError naming `what` otherwise.
inline int Check(int code, const char* what) {
  if (code < 0) throw FFmpegError(what, code);
  return code;
}

}  // namespace kelta::codec
