#pragma once
// A plain FFmpeg decode of a file's first MPEG-1/2 video stream, frame after
// frame from the start, optionally converted to 24-bit BGR bottom-up rows
// (padded to 4 bytes) with swscale: BT.601 limited range unless the stream
// signals otherwise, bilinear chroma with swscale's exact path, interlaced
// pictures field by field. Tests compare the decoder plugin against it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "codec/FrameView.h"

namespace kelta::test {

class ReferenceDecoder {
 public:
  // Throws std::runtime_error when the file has no MPEG video.
  explicit ReferenceDecoder(const std::string& path);
  ~ReferenceDecoder();
  ReferenceDecoder(const ReferenceDecoder&) = delete;
  ReferenceDecoder& operator=(const ReferenceDecoder&) = delete;

  int Width() const;
  int Height() const;
  int Stride() const { return int(Bgr24Stride(Width())); }

  // Decodes the next frame; with `bgr` also converts it there. False at the end.
  bool Next(std::vector<std::uint8_t>* bgr);

 private:
  struct Impl;
  std::unique_ptr<Impl> Impl_;
};

// Number of frames a plain FFmpeg decode of the file delivers.
int CountFrames(const std::string& path);

}  // namespace kelta::test
