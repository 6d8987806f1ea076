// The decoder plugin's entry points over any bytes, called as the program's
// decoder wrapper calls them: open, frame and file information, a few frames,
// a few seeks with frames after each, frames sought by number, close. The plugin's sources are linked
// in, so its own code gets coverage; FFmpeg below it is the system's.

#include <cmath>
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "codec/CodecApi.h"
#include "codec/FrameView.h"

namespace {

// Larger inputs only make each run slower, not the paths different.
constexpr std::size_t MaxInput = 256 * 1024;
constexpr int FramesAfterOpen = 4;
constexpr int FramesAfterSeek = 2;

void ReadFrames(int count, const KeltaCodecFrameInfo& frame, std::int64_t size) {
  const std::size_t frameBytes = kelta::Bgr24FrameBytes(frame.Width, frame.Height);
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* bits = getFrame();
    KeltaCodecFileInfo file{};
    KELTA_FUZZ_CHECK(getFileInfo(&file) != 0, "an open video has file information");
    KELTA_FUZZ_CHECK(file.TotalSize == size, "the size is the file's");
    KELTA_FUZZ_CHECK(file.Position >= 0 && file.Position <= size, "the position lies in the file");
    if (!bits) return;
    // The whole frame is readable: its first and last byte.
    volatile std::uint8_t edge = bits[0] ^ bits[frameBytes - 1];
    (void)edge;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > MaxInput) return 0;
  const std::string path = kelta::fuzz::WriteScratchFile("input.vob", std::span<const std::uint8_t>(data, size));

  KELTA_FUZZ_CHECK(setPixelFormat(24) != 0, "24 bits per pixel are offered");
  // Both output ranges; the last byte chooses.
  setRGBScaleFlag(size && (data[size - 1] & 1) ? -1 : 0);
  if (!openFile(path.c_str(), 0, -1)) {
    KeltaCodecFrameInfo frame{};
    KELTA_FUZZ_CHECK(getFrameInfo(&frame) == 0, "a refused video has no frame information");
    KELTA_FUZZ_CHECK(closeFile() == 0, "a refused video leaves nothing open");
    return 0;
  }
  KeltaCodecFrameInfo frame{};
  KELTA_FUZZ_CHECK(getFrameInfo(&frame) != 0, "an open video has frame information");
  KELTA_FUZZ_CHECK(frame.Width > 0 && frame.Height > 0, "an open video has a picture size");
  KELTA_FUZZ_CHECK(std::isfinite(frame.FrameRate) && frame.FrameRate >= 0, "the frame rate is a number");
  const auto total = std::int64_t(size);

  ReadFrames(FramesAfterOpen, frame, total);
  // The frame bar seeks to spread positions, the end, and back to the start.
  for (const std::int64_t position : {total / 2, total / 3, total - 1, total, std::int64_t(0)}) {
    KELTA_FUZZ_CHECK(seek(position) != 0, "an open video seeks");
    ReadFrames(FramesAfterSeek, frame, total);
  }
  skipFrames(2);
  ReadFrames(1, frame, total);
  // By number: the last frame, the middle, a step back from there, and
  // numbers outside the video.
  const std::int64_t count = getFrameCount();
  KELTA_FUZZ_CHECK(count >= 0, "an open video counts its frames");
  for (const std::int64_t number : {count - 1, count / 2, count / 2 - 1, count, std::int64_t(-1)}) {
    const bool sought = seekFrame(number) != 0;
    KELTA_FUZZ_CHECK(!sought || (number >= 0 && number < count), "only frames of the video are sought");
    if (sought) {
      KELTA_FUZZ_CHECK(getFrameNumber() == -1, "no frame is current after a seek");
      KELTA_FUZZ_CHECK(getFrame() != nullptr, "a frame sought is there");
      KELTA_FUZZ_CHECK(getFrameNumber() == number, "the frame sought comes next");
    }
  }
  KELTA_FUZZ_CHECK(closeFile() != 0, "closing an open video");
  return 0;
}
