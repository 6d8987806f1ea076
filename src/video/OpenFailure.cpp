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

bool HasStartCode(std::string_view bytes, unsigned char code) {
  const char wanted[4] = {0, 0, 1, char(code)};
  return bytes.find(std::string_view(wanted, 4)) != std::string_view::npos;
}

// A transport stream: sync bytes every 188 bytes from the start.
bool IsTransportStream(std::string_view bytes) {
  if (bytes.size() < 188 * 3) return false;
  for (std::size_t i = 0; i < 3; ++i)
    if (bytes[i * 188] != 0x47) return false;
  return true;
}

}  // namespace

std::string WhyVideoCannotOpen(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return std::string("It cannot be read: ") + std::strerror(errno);
  std::vector<char> buffer(LookAhead);
  const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
  if (got == 0) return std::ferror(file.get()) ? "It cannot be read" : "The file is empty";
  const std::string_view bytes(buffer.data(), got);

  const bool programStream = HasStartCode(bytes.substr(0, 65536), 0xBA);
  const bool videoSequence = HasStartCode(bytes, 0xB3);
  if (!programStream && !videoSequence && !IsTransportStream(bytes)) return "It is not an MPEG video";
  if (!videoSequence) return "It holds no video stream";
  return "It is damaged beyond use";
}

}  // namespace kelta
