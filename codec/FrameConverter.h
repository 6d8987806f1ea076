#pragma once
// Turns decoded pictures into Kelta's frame layout: 24-bit blue-green-red,
// bottom row first, rows padded to 4 bytes. Colours follow the matrix and
// range the stream signals (BT.601 limited range when it signals none);
// chroma is interpolated, for interlaced pictures within each field so that
// colour edges do not comb.

#include <cstdint>

#include "FFmpegPtr.h"
#include "FastYuvToBgr.h"

namespace kelta::codec {

class FrameConverter {
 public:
  // Which conversion runs: our own where the picture suits it (see
  // FastYuvToBgr.h), or swscale for every picture, to compare the two.
  enum class Path { OwnWhereItFits, SwscaleOnly };

  // Converts `frame` to width x height (scaling only when the picture's size
  // differs) into `out`, which holds Bgr24Stride(width) * height bytes.
  void Convert(const AVFrame* frame, int width, int height, std::uint8_t* out);

  // true: full-range RGB (0..255); false: keep video levels (16..235).
  void SetFullRangeOutput(bool fullRange) { FullRange_ = fullRange; }
  void SetPath(Path path) { Path_ = path; }
  // The colour space of pictures that signal none: BT.601 unless set (the
  // source sets BT.709 for high definition).
  void SetUnsignalledColorSpace(AVColorSpace space) { Unsignalled_ = space; }
  // The instruction sets our conversion may use (at most what the processor
  // has); every level gives the same pictures, so this is for tests and
  // benchmarks.
  void SetSimdLevel(SimdLevel level) { SimdLevel_ = level; }

 private:
  struct Key {
    int srcW = 0, srcH = 0, srcFormat = -1, dstW = 0, dstH = 0;
    int matrix = 0, srcRange = 0, dstRange = 0, chromaLocation = 0;
    bool interlaced = false;
    bool operator==(const Key&) const = default;
  };
  SwsContext* Context(SwsPtr& slot, const Key& key, int srcH, int dstH, int vChromaPos);
  bool ConvertFast(const AVFrame* frame, int width, int height, std::uint8_t* out);

  bool FullRange_ = true;
  AVColorSpace Unsignalled_ = AVCOL_SPC_UNSPECIFIED;
  Path Path_ = Path::OwnWhereItFits;
  SimdLevel SimdLevel_ = BestSimdLevel();
  Key Key_;
  // One context for whole frames, or one per field: the fields' chroma
  // samples sit at different heights.
  SwsPtr Frame_, Top_, Bottom_;
};

// The swscale colour matrix for a stream's signalled colour space.
int SwsMatrixFor(AVColorSpace space);

}  // namespace kelta::codec
