#pragma once
// The C interface of codec.so: ten required entry points and the optional
// ones at the end, with C linkage, the ordinary C calling convention and
// 64-bit integers by value. Kelta resolves them by name at run time.

#include <cstddef>
#include <cstdint>

extern "C" {

struct KeltaCodecFrameInfo {
  std::int32_t Width;
  std::int32_t Height;
  double FrameRate;
  // The shape the whole picture is shown at, as the terms of width:height:
  // 4:3, 16:9, 221:100, or the exact terms an MPEG-1 pixel shape gives;
  // 0:0 when the video does not say. These 8 bytes were once reserved: an
  // older plugin leaves them as the caller filled them, so callers zero the
  // record first and read 0:0 as unknown.
  std::int32_t AspectWidth;
  std::int32_t AspectHeight;
};
struct KeltaCodecFileInfo {
  std::int64_t TotalSize;
  std::int64_t Position;
  std::uint32_t Reserved;
  std::uint32_t Time;  // 90 kHz ticks from the first frame
};
// The natural layout has no gaps: 24 bytes each, fields back to back.
static_assert(sizeof(KeltaCodecFrameInfo) == 24 && offsetof(KeltaCodecFrameInfo, FrameRate) == 8 &&
              offsetof(KeltaCodecFrameInfo, AspectWidth) == 16);
static_assert(sizeof(KeltaCodecFileInfo) == 24 && offsetof(KeltaCodecFileInfo, Position) == 8 &&
              offsetof(KeltaCodecFileInfo, Time) == 20);

// Opens a video (start 0 and end -1 give all of it); non-zero on success.
// A file already open is closed first. With a range, the bytes from start
// up to end are the video, and its positions count from start.
std::int32_t openFile(const char* path, std::int64_t start, std::int64_t end);
// Width, height, frames per second and display aspect of the open video;
// non-zero on success.
std::int32_t getFrameInfo(KeltaCodecFrameInfo* info);
// Size, current byte position and time; non-zero on success.
std::int32_t getFileInfo(KeltaCodecFileInfo* info);
// Closes the open video; non-zero when one was open.
std::int32_t closeFile();
// The next frame in display order as 24-bit BGR, bottom row first, rows
// padded to 4 bytes; null at the end. Valid until the next call.
std::uint8_t* getFrame();
// Moves to the first group of pictures that starts at or after `position`.
std::int32_t seek(std::int64_t position);
// Decodes and drops up to `count` frames; returns how many.
std::int32_t skipFrames(std::int32_t count);
// Chooses the output format by bits per pixel: only 24 is offered; non-zero
// when the format is supported.
std::int32_t setPixelFormat(std::int32_t bitsPerPixel);
// -1 (true): full-range RGB, the default; 0: keep video levels 16..235.
// Returns the previous setting.
std::int32_t setRGBScaleFlag(std::int32_t flag);
// Writes the last frame getFrame returned as a 24-bit BMP file; non-zero on success.
std::int32_t writeToFile(const char* path);

// Optional entry points. A newer plugin exports them; a program that loads a
// plugin without them works on with the ten above.

// Frame-exact navigation. Frames are numbered in display order from 0, the
// first frame of the video.
// Frames in the open video; -1 when none is open.
std::int64_t getFrameCount();
// Number of the frame getFrame returned (or skipFrames dropped) last: the
// next getFrame returns the one after it. -1 before the first frame, after
// a seek (by position or by number), and at the end.
std::int64_t getFrameNumber();
// Makes the next getFrame return frame `number` exactly; non-zero on success.
std::int32_t seekFrame(std::int64_t number);

// Progress of the following openFile calls: `report` is called on the
// thread of openFile, with the bytes read so far and the total, while the
// plugin reads the file through. A zero result cancels the open: openFile
// then returns 0 and leaves nothing open. A null `report` ends the reports.
// Non-zero on success.
typedef std::int32_t (*KeltaCodecProgress)(void* context, std::int64_t done, std::int64_t total);
std::int32_t setOpenProgress(KeltaCodecProgress report, void* context);

// Opening a DVD title from a disc image or a VIDEO_TS folder, read through
// libdvdread without unpacking anything. A cell is a range of 2048-byte
// sectors of its title set's title VOBs (VTS_nn_1.VOB onwards taken as one),
// First to Last inclusive, as the title set's IFO lists it.
struct KeltaCodecSectorRange {
  std::uint32_t First;
  std::uint32_t Last;
};
static_assert(sizeof(KeltaCodecSectorRange) == 8);
// Opens the `count` cells of title set `titleSet` (1 to 99) on `disc` (what
// libdvdread opens: an image file or a VIDEO_TS folder) as one video: the
// cells' sectors one after another, in the order given. All other entry
// points then work on that stream as on a file: positions are byte offsets
// in it and the total size is the cells' size. Non-zero on success; a video
// already open is closed first, as by openFile.
std::int32_t openDvdCells(const char* disc, std::int32_t titleSet, const KeltaCodecSectorRange* cells,
                          std::int32_t count);

// What a clean still did to its frame.
enum KeltaCodecStillKind : std::int32_t {
  KeltaStillProgressive = 0,   // a progressive frame, as getFrame gave it
  KeltaStillWoven = 1,         // an interlaced frame whose fields do not comb: both kept as they are
  KeltaStillFilmRebuilt = 2,   // film split across frames: the first field with its film partner
  KeltaStillDeinterlaced = 3,  // moving interlaced video: the first field kept, the other interpolated
};
// The frame getFrame returned last, as clean a still as the source allows,
// in getFrame's layout (24-bit BGR, bottom row first, rows padded to 4) and
// colours. A frame that is not combed comes byte for byte as getFrame gave
// it; film split across frames is rebuilt from the fields of its
// neighbours; moving interlaced video shows the moment of its first field.
// Valid until the next call into the plugin. Null when there is no such
// frame: none shown yet, or its picture gone since a seek. Does not change which frame
// getFrame returns next, nor frame numbers, times or positions. `kind` (may
// be null) receives what was done.
std::uint8_t* getCleanStill(std::int32_t* kind);

// Subtitles: the sub-picture streams of an MPEG program stream (a DVD's
// subtitle streams 0 to 31, private stream 1 ids 0x20 to 0x3F).
// The streams the open video carries: bit n set for stream n; 0 when none
// or nothing is open.
std::uint32_t getSubtitleStreams();
// Draws stream `stream` of the open video from now on, or none for -1 (so
// it is after every open). `palette` holds the 16 colours of the title, as
// a DVD's IFO gives them (0x00YYCrCb); null leaves the colours to the
// decoder's guess, greys by contrast. The colours follow setRGBScaleFlag as
// the frames do. Non-zero on success; zero, and no subtitles, for a stream
// the video lacks.
std::int32_t setSubtitleStream(std::int32_t stream, const std::uint32_t* palette);
// The subtitle of the chosen stream shown with the frame getFrame returned
// last: its box in the frame's pixels, counted from the top left, and its
// pixels inside the box, 4 bytes each (blue, green, red, then opacity 0 to
// 255, colours not multiplied by it), top row first, rows back to back.
struct KeltaCodecSubtitle {
  std::int32_t X;
  std::int32_t Y;
  std::int32_t Width;
  std::int32_t Height;
  const std::uint8_t* Pixels;
};
static_assert(sizeof(KeltaCodecSubtitle) == 24 && offsetof(KeltaCodecSubtitle, Pixels) == 16);
// Non-zero, with `subtitle` filled, when a subtitle shows with that frame;
// the pixels are valid until the next call into the plugin. Zero when none
// shows, none is chosen or no frame was shown since a seek.
std::int32_t getSubtitle(KeltaCodecSubtitle* subtitle);

// Why the last openFile or openDvdCells failed, for a message a person can
// act on. `detail` (may be null) receives, as UTF-8 ending in a zero byte
// and cut to `size` bytes, the name of the container, codec or picture
// format concerned: "AVI", "VP9", "10-bit 4:2:0"; empty when there is none.
enum KeltaCodecOpenFailure : std::int32_t {
  KeltaOpenSucceeded = 0,          // the last open succeeded, or none was tried
  KeltaOpenFailed = 1,             // unreadable, or damaged beyond use
  KeltaOpenCancelled = 2,          // the progress listener cancelled it
  KeltaOpenUnknownContainer = 3,   // no container the plugin reads (detail: its name when known)
  KeltaOpenNoVideo = 4,            // a container without a video stream
  KeltaOpenUnsupportedCodec = 5,   // video, but coded in a way the plugin does not decode (detail: the codec)
  KeltaOpenUnsupportedPictures = 6,  // a supported codec with pictures it does not convert (detail: their format)
};
KeltaCodecOpenFailure getOpenFailure(char* detail, std::int32_t size);

// Chapters the open video's container marks (Matroska and MP4 chapters), as
// the numbers of their first frames, rising, and those frames' byte
// positions (what getFileInfo says with the frame on screen); DVD titles and
// MPEG streams have none here. Writes up to `capacity` numbers to `frames`
// and `positions` (each may be null) and returns how many chapters there are.
std::int32_t getChapterFrames(std::int64_t* frames, std::int64_t* positions, std::int32_t capacity);
}
