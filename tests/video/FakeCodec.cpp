// A stand-in for codec.so with scripted behaviour, built in several variants
// (see CMakeLists.txt): FAKE_OMIT_<name> leaves one entry point out,
// FAKE_REJECT_ALL refuses every path, FAKE_WIDTH_ZERO reports width 0.
//
// The opened "path" scripts the video: "w=720;h=576;rate=25;frames=3".
// "aw=16;ah=9" reports a display aspect; without it the aspect fields are
// left as the caller filled them, as an older plugin leaves its reserved bytes.
// Frames are filled with a row pattern; the time reported is the last seek
// position; setRGBScaleFlag returns 100 + its argument.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codec/CodecApi.h"
#include "codec/FrameView.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

int width = 0, height = 0, framesLeft = 0;
int aspectWidth = 0, aspectHeight = 0;
bool reportsAspect = false;
double rate = 0;
std::int64_t position = 0;
std::vector<std::uint8_t> frame;

double Number(const std::string& script, const char* key, double fallback) {
  const auto at = script.find(key);
  if (at == std::string::npos) return fallback;
  double value = fallback;
  std::sscanf(script.c_str() + at + std::strlen(key), "%lf", &value);
  return value;
}

}  // namespace

#ifndef FAKE_OMIT_openFile
FAKE_EXPORT std::int32_t openFile(const char* path, std::int64_t start, std::int64_t end) {
#ifdef FAKE_REJECT_ALL
  (void)path;
  return 0;
#else
  if (start != 0 || end != -1) return 0;
  const std::string script = path;
  if (script.find("w=") == std::string::npos) return 0;
  width = int(Number(script, "w=", 0));
  height = int(Number(script, "h=", 0));
  rate = Number(script, "rate=", 25);
  framesLeft = int(Number(script, "frames=", 0));
  reportsAspect = script.find("aw=") != std::string::npos;
  aspectWidth = int(Number(script, "aw=", 0));
  aspectHeight = int(Number(script, "ah=", 0));
#ifdef FAKE_WIDTH_ZERO
  width = 0;
#endif
  position = 0;
  return 1;
#endif
}
#endif

#ifndef FAKE_OMIT_getFrameInfo
FAKE_EXPORT std::int32_t getFrameInfo(KeltaCodecFrameInfo* info) {
  info->Width = width;
  info->Height = height;
  info->FrameRate = rate;
  if (reportsAspect) {
    info->AspectWidth = aspectWidth;
    info->AspectHeight = aspectHeight;
  }
  return 1;
}
#endif

#ifndef FAKE_OMIT_getFileInfo
FAKE_EXPORT std::int32_t getFileInfo(KeltaCodecFileInfo* info) {
  info->TotalSize = 5'000'000;
  info->Position = position;
  info->Time = std::uint32_t(position);
  return 1;
}
#endif

#ifndef FAKE_OMIT_closeFile
FAKE_EXPORT std::int32_t closeFile() { return 0; }
#endif

#ifndef FAKE_OMIT_getFrame
// Row r of the memory holds the byte 10 * r in every position, padding too.
FAKE_EXPORT std::uint8_t* getFrame() {
  if (framesLeft <= 0 || width <= 0 || height <= 0) return nullptr;
  --framesLeft;
  const auto stride = std::size_t(kelta::Bgr24Stride(width));
  frame.assign(stride * std::size_t(height), 0);
  for (int r = 0; r < height; ++r) std::memset(frame.data() + std::size_t(r) * stride, (10 * r) & 0xFF, stride);
  return frame.data();
}
#endif

#ifndef FAKE_OMIT_seek
FAKE_EXPORT std::int32_t seek(std::int64_t pos) {
  position = pos;
  return 1;
}
#endif

#ifndef FAKE_OMIT_skipFrames
FAKE_EXPORT std::int32_t skipFrames(std::int32_t) { return 0; }
#endif

#ifndef FAKE_OMIT_setPixelFormat
FAKE_EXPORT std::int32_t setPixelFormat(std::int32_t) { return 0; }
#endif

#ifndef FAKE_OMIT_setRGBScaleFlag
FAKE_EXPORT std::int32_t setRGBScaleFlag(std::int32_t flag) { return 100 + flag; }
#endif

#ifndef FAKE_OMIT_writeToFile
FAKE_EXPORT std::int32_t writeToFile(const char*) { return 0; }
#endif
