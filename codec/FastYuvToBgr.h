#pragma once
// Our own conversion of 8-bit 4:2:0 video (limited range) to Kelta's frame
// layout, several times faster than swscale's exact path and sited as it is:
// chroma is interpolated bilinearly (horizontally from the even luma columns;
// vertically between the rows, within each field for interlaced pictures),
// then one fixed-point matrix gives blue, green and red.
//
// The same integer arithmetic runs as plain C++ (the reference) or with SSE2
// or AVX2; every level gives the same bytes.

#include <cstdint>

namespace kelta::codec {

struct YuvPlanes {
  const std::uint8_t* y;
  const std::uint8_t* u;
  const std::uint8_t* v;
  int yStride, uStride, vStride;
  int width, height;  // luma size; chroma is half of each, rounded up
};

struct YuvMatrix {
  // Kr and Kb of the colour space (BT.601: 0.299, 0.114).
  double kr = 0.299, kb = 0.114;
  bool fullRangeOutput = true;  // false: keep video levels (16..235)
};

// The instruction sets the conversion can use, in rising order.
enum class SimdLevel { Portable, Sse2, Avx2 };

// The highest level this processor runs.
SimdLevel BestSimdLevel();

// "portable", "sse2" or "avx2", for tests and benchmarks.
const char* SimdLevelName(SimdLevel level);

// Converts rows [firstRow, endRow) of the picture (counted from its top) into
// `out`, whose picture row r lies at out + (height - 1 - r) * outStride.
// Interlaced pictures take each row's chroma from its own field. `level` is
// capped at BestSimdLevel(); tests and benchmarks pass lower ones.
void ConvertYuv420ToBgr(const YuvPlanes& in, const YuvMatrix& matrix, bool interlaced, int firstRow, int endRow,
                        std::uint8_t* out, int outStride, SimdLevel level = BestSimdLevel());

}  // namespace kelta::codec
