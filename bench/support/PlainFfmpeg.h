#pragma once
// Plain FFmpeg, as a program that uses it directly would: the references the
// decoder's benchmarks hold the plugin against.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codec/FFmpegPtr.h"
#include "support/BenchFigures.h"

namespace kelta::bench {

// FFmpeg's default BGR24 conversion, as `ffmpeg -pix_fmt bgr24` and most
// programs get it (sws_scale with the CLI's default flags: the fast path,
// chroma neither interpolated nor sited per field), into bottom-up rows
// padded to 4 bytes like the plugin's. The buffer is reused, not cleared.
class DefaultConversion {
 public:
  void Convert(const AVFrame* frame, std::vector<std::uint8_t>& out);

 private:
  codec::SwsPtr Sws_;
};

// A file's first video stream decoded with plain FFmpeg, threaded as the
// plugin's decoder is (slices on every core). Aborts when the file has no
// decodable video: benchmarks make their own files.
class PlainDecoder {
 public:
  explicit PlainDecoder(const std::string& path);

  // The next picture, valid until the next call, or null at the end.
  const AVFrame* Next();
  void SeekToByte(std::int64_t position);
  // Reads every packet of the file once, decoding none.
  void ReadAllPackets();

 private:
  codec::FormatPtr Format_;
  codec::CodecContextPtr Context_;
  codec::PacketPtr Packet_;
  codec::FramePtr Frame_;
  int Stream_ = -1;
  bool Draining_ = false;
};

// Whether the ffmpeg command line is on PATH.
bool FfmpegCliAvailable();

// Runs `ffmpeg ARGUMENTS` (quiet, no keyboard) and returns the child's CPU
// time (user and system) and the wall time it took; nothing when it fails.
std::optional<Times> RunFfmpeg(const std::vector<std::string>& arguments);

// Runs `ffmpeg -threads 1 -i FILE -an -pix_fmt bgr24 -f null -` and returns
// the child's CPU time (user and system) and the wall time it took; nothing
// when it fails.
std::optional<Times> RunFfmpegCli(const std::string& file);

}  // namespace kelta::bench
