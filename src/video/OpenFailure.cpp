#include "video/OpenFailure.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace kelta {

namespace {

// How far into the file the start of a stream is looked for: program and
// transport streams begin with their syntax, and a DVD title's first video
// sequence header comes within its first packs.
constexpr std::size_t LookAhead = 1 << 20;

// What follows a refusal of a file that holds no video Kelta reads.
constexpr char WhatKeltaOpens[] =
    "Kelta opens DVD folders and disc images, VOB files and other MPEG-1 and MPEG-2 program, transport and video "
    "streams, and MPEG-2, H.264 and HEVC video in Matroska and MP4 files";

bool HasStartCode(std::string_view bytes, unsigned char code) {
  const char wanted[4] = {0, 0, 1, char(code)};
  return bytes.find(std::string_view(wanted, 4)) != std::string_view::npos;
}

// A program stream's video packets (stream ids E0 to EF).
bool HasVideoPackets(std::string_view bytes) {
  for (int id = 0xE0; id <= 0xEF; ++id)
    if (HasStartCode(bytes, static_cast<unsigned char>(id))) return true;
  return false;
}

// A transport stream: sync bytes every 188 bytes from the start.
bool IsTransportStream(std::string_view bytes) {
  if (bytes.size() < 188 * 3) return false;
  for (std::size_t i = 0; i < 3; ++i)
    if (bytes[i * 188] != 0x47) return false;
  return true;
}

// The common containers and files people mistake for video Kelta reads,
// told by their first bytes; null for none of them.
const char* KnownFormat(std::string_view bytes) {
  auto at = [&bytes](std::size_t offset, std::string_view magic) {
    return bytes.substr(offset, magic.size()) == magic;
  };
  if (at(0, "RIFF") && at(8, "AVI ")) return "an AVI file";
  if (at(0, "RIFF") && at(8, "WAVE")) return "a WAV sound file";
  if (at(0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11")) return "a Windows Media file";
  if (at(0, "FLV\x01")) return "a Flash video file";
  if (at(0, "OggS")) return "an Ogg file";
  if (at(0, "ID3")) return "an MP3 sound file";
  if (at(0, "\x89PNG")) return "a PNG picture";
  if (at(0, "\xFF\xD8\xFF")) return "a JPEG picture";
  if (at(0, "GIF8")) return "a GIF picture";
  if (at(0, "%PDF")) return "a PDF document";
  return nullptr;
}

// Matroska and MP4, which Kelta reads: what is wrong lies inside.
bool IsReadContainer(std::string_view bytes) {
  if (bytes.substr(0, 4) == "\x1A\x45\xDF\xA3") return true;
  for (const std::string_view box : {"ftyp", "moov", "mdat", "free", "wide", "skip"})
    if (bytes.substr(4, box.size()) == box) return true;
  return false;
}

}  // namespace

std::string WhyVideoCannotOpen(const std::string& path, KeltaCodecOpenFailure failure, const std::string& detail) {
  switch (failure) {
    case KeltaOpenUnsupportedCodec:
      return "Its video is " + (detail.empty() ? std::string("coded in a way") : detail) +
             ", which Kelta does not decode. Kelta decodes MPEG-1, MPEG-2, H.264 and HEVC video";
    case KeltaOpenUnsupportedPictures:
      return "Its pictures are " + (detail.empty() ? std::string("of a kind") : detail) +
             ", which Kelta does not convert. Kelta opens H.264 and HEVC video of 8 bits in 4:2:0";
    case KeltaOpenNoVideo:
      return "It holds no video stream, only sound or data";
    default:
      return WhyVideoCannotOpen(path);
  }
}

std::string WhyVideoCannotOpen(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return std::string("It cannot be read: ") + std::strerror(errno);
  std::vector<char> buffer(LookAhead);
  const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
  if (got == 0) return std::ferror(file.get()) ? "It cannot be read" : "The file is empty";
  const std::string_view bytes(buffer.data(), got);

  // A container first: an AVI file may hold MPEG-2 video too.
  if (const char* format = KnownFormat(bytes)) return std::string("It is ") + format + ". " + WhatKeltaOpens;
  if (IsReadContainer(bytes)) return "It is damaged beyond use";
  const bool programStream = HasStartCode(bytes.substr(0, 65536), 0xBA);
  const bool videoSequence = HasStartCode(bytes, 0xB3);
  if (!programStream && !videoSequence && !IsTransportStream(bytes))
    return std::string("It is not a video Kelta reads. ") + WhatKeltaOpens;
  // In a program stream the header's bytes may turn up inside sound; only
  // video packets make it video.
  if (!videoSequence || (programStream && !HasVideoPackets(bytes)))
    return "It holds no video stream, only sound or data";
  return "It is damaged beyond use";
}

}  // namespace kelta
