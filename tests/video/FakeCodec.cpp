// A stand-in for codec.so with scripted behaviour, built in several variants
// (see CMakeLists.txt): FAKE_OMIT_<name> leaves one entry point out,
// FAKE_REJECT_ALL refuses every path, FAKE_WIDTH_ZERO reports width 0.
//
// The opened "path" scripts the video: "w=720;h=576;rate=25;frames=3".
// "aw=16;ah=9" reports a display aspect; without it the aspect fields are
// left as the caller filled them, as an older plugin leaves its reserved bytes.
// Frames are filled with a row pattern, shifted by "shade=N"; the time
// reported is the last seek position; setRGBScaleFlag returns 100 + its
// argument. A range from 0 (the head of the video) always opens; the whole
// video fails to open with "failfull=1", and with "hold=FILE" it opens only
// once FILE exists, reporting its progress meanwhile. setOpenProgress's
// listener hears of every whole-video open and may cancel it. openDvdCells
// takes the script as the disc; cells that cover TotalSize bytes open the
// whole video, fewer its head.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codec/CodecApi.h"
#include "codec/FrameView.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr std::int64_t TotalSize = 5'000'000;

int width = 0, height = 0, framesLeft = 0, shade = 0;
int aspectWidth = 0, aspectHeight = 0;
bool reportsAspect = false;
double rate = 0;
std::int64_t position = 0;
std::vector<std::uint8_t> frame;
KeltaCodecProgress progressReport = nullptr;
void* progressContext = nullptr;

double Number(const std::string& script, const char* key, double fallback) {
  const auto at = script.find(key);
  if (at == std::string::npos) return fallback;
  double value = fallback;
  std::sscanf(script.c_str() + at + std::strlen(key), "%lf", &value);
  return value;
}

// The text after `key` up to the next ';'; empty when the key is missing.
std::string Text(const std::string& script, const char* key) {
  const auto at = script.find(key);
  if (at == std::string::npos) return {};
  const auto from = at + std::strlen(key);
  return script.substr(from, script.find(';', from) - from);
}

// The listener's answer to a report; true without a listener.
bool Report(std::int64_t done) {
  return progressReport == nullptr || progressReport(progressContext, done, TotalSize) != 0;
}

// The whole-video open's reading: reports until the hold file exists, and a
// last one at the end; false when the listener cancelled.
bool ReadThrough(const std::string& holdFile) {
  std::int64_t done = 0;
  while (!holdFile.empty() && access(holdFile.c_str(), F_OK) != 0) {
    if (!Report(done)) return false;
    done = done + 1000 < TotalSize ? done + 1000 : done;
    usleep(1000);
  }
  return Report(0) && Report(TotalSize);
}

// The video the script describes, its head or the whole of it.
std::int32_t OpenScript(const std::string& script, bool whole) {
#ifdef FAKE_REJECT_ALL
  (void)script;
  (void)whole;
  return 0;
#else
  width = height = framesLeft = 0;
  if (script.find("w=") == std::string::npos) return 0;
  if (whole && (!ReadThrough(Text(script, "hold=")) || Number(script, "failfull=", 0) != 0)) return 0;
  width = int(Number(script, "w=", 0));
  height = int(Number(script, "h=", 0));
  rate = Number(script, "rate=", 25);
  framesLeft = int(Number(script, "frames=", 0));
  shade = int(Number(script, "shade=", 0));
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

}  // namespace

#ifndef FAKE_OMIT_openFile
FAKE_EXPORT std::int32_t openFile(const char* path, std::int64_t start, std::int64_t end) {
  if (start != 0 || end == 0 || end < -1) return 0;
  return OpenScript(path, end == -1);
}
#endif

#ifndef FAKE_OMIT_openDvdCells
FAKE_EXPORT std::int32_t openDvdCells(const char* disc, std::int32_t, const KeltaCodecSectorRange* cells,
                                      std::int32_t count) {
  std::int64_t bytes = 0;
  for (std::int32_t i = 0; i < count; ++i) bytes += (std::int64_t(cells[i].Last) - cells[i].First + 1) * 2048;
  return OpenScript(disc, bytes >= TotalSize);
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
  info->TotalSize = TotalSize;
  info->Position = position;
  info->Time = std::uint32_t(position);
  return 1;
}
#endif

#ifndef FAKE_OMIT_closeFile
FAKE_EXPORT std::int32_t closeFile() { return 0; }
#endif

#ifndef FAKE_OMIT_getFrame
// Row r of the memory holds the byte 10 * r + shade in every position, padding too.
FAKE_EXPORT std::uint8_t* getFrame() {
  if (framesLeft <= 0 || width <= 0 || height <= 0) return nullptr;
  --framesLeft;
  const auto stride = std::size_t(kelta::Bgr24Stride(width));
  frame.assign(stride * std::size_t(height), 0);
  for (int r = 0; r < height; ++r) std::memset(frame.data() + std::size_t(r) * stride, (10 * r + shade) & 0xFF, stride);
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

#ifndef FAKE_OMIT_setOpenProgress
FAKE_EXPORT std::int32_t setOpenProgress(KeltaCodecProgress report, void* context) {
  progressReport = report;
  progressContext = context;
  return 1;
}
#endif

#ifndef FAKE_OMIT_writeToFile
FAKE_EXPORT std::int32_t writeToFile(const char*) { return 0; }
#endif
