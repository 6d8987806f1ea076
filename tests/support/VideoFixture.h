#pragma once
// Writes small MPEG-2 (or MPEG-1) program streams for tests and samples with FFmpeg's own
// encoder and muxer, and reads back the frame counter drawn into each picture.
//
// Every picture shows a moving diagonal pattern, a moving coloured square and
// the frame's index as two rows of big black and white blocks (the index and
// its complement), so that a test can tell which frame it got and whether it
// got a clean picture at all.

#include <cstdint>
#include <functional>
#include <string>

#include "codec/FrameView.h"

struct AVFrame;

namespace kelta::test {

struct Mpeg2StreamOptions {
  int width = 720;
  int height = 576;
  int fpsNum = 25;  // frame rate as a fraction: 25/1, 30000/1001
  int fpsDen = 1;
  int frames = 50;
  int gopSize = 12;        // pictures per group, as on DVDs (12 PAL, 15 NTSC)
  int bFrames = 2;         // B-pictures between references
  bool closedGop = false;  // DVDs mostly carry open groups
  bool interlaced = false; // code as interlaced pictures, top field first ...
  bool bottomFieldFirst = false;  // ... or bottom field first
  bool audio = true;       // an MP2 stream beside the video, as DVDs have sound
  bool video = true;       // false: sound only, for files a video player must refuse
  int colorspace = -1;     // AVColorSpace to signal (1 BT.709, 5 BT.470BG, 6 SMPTE 170M); -1 none
  // The shape the whole picture is shown at, e.g. 16:9, which the encoder
  // writes as the nearest aspect code; 0:0 keeps pixels of 16:15 (4:3 at
  // 720 x 576, square pixels by the nearest code at 720 x 480).
  int aspectWidth = 0, aspectHeight = 0;
  // The display size of a sequence display extension, as pan and scan
  // writes it; 0: the extension only where colours are signalled.
  int displayWidth = 0, displayHeight = 0;
  bool mpeg1 = false;  // MPEG-1 video, as video CDs carry; its aspect becomes the nearest pixel shape
  // Soft-telecined film, as on DVDs: progressive pictures shown for 3, 2, 3,
  // 2 ... fields through repeat_first_field (needs format "mpeg2video").
  bool softTelecine = false;
  std::string format = "dvd";  // libavformat muxer: "dvd", "vob", "mpeg", "mpegts", "mpeg2video"
  // Draws picture `index` (a writable YUV 4:2:0 picture of the size above)
  // instead of the pattern and counter, for clips whose every picture a test
  // knows; empty: the pattern and counter.
  std::function<void(AVFrame* picture, int index)> drawPicture;
};

// Makes `options` soft-telecined NTSC film: 720 x 480 pictures at 30000/1001
// frames a second, shown 3, 2, 3, 2 ... fields, in an elementary stream.
void UseSoftTelecinedFilm(Mpeg2StreamOptions& options);

// Writes the stream; throws std::runtime_error with FFmpeg's message on failure.
void WriteMpeg2ProgramStream(const std::string& path, const Mpeg2StreamOptions& options);

// The counter drawn into a frame given as 24-bit blue-green-red rows, bottom
// row first, `stride` bytes apart; -1 when the blocks are not clean black and
// white or the two rows disagree (a grey or broken picture).
int ReadFrameCounter(const std::uint8_t* bgrBottomUp, int width, int height, int stride);
// The same for a frame as the decoder plugin hands it out.
inline int ReadFrameCounter(const FrameView& frame) {
  return ReadFrameCounter(frame.data, frame.width, frame.height, int(frame.stride));
}

// Largest counter value the blocks can hold.
constexpr int MaxFrameCounter = 4095;

}  // namespace kelta::test
