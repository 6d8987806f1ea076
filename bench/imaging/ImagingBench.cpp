// Speed of the imaging core on one PAL frame (720 x 576), each figure printed
// as a ratio to two references measured in the same run: a memcpy of the
// frame and one plain table-lookup pass over its bytes in place. Five
// repetitions, interleaved at random, unless the command line says otherwise;
// CPU beside wall time, minimum and median.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "imaging/FastDIB.h"
#include "imaging/ImageAdjust.h"
#include "imaging/ImageUtils.h"
#include "imaging/Resample.h"
#include "support/BenchFigures.h"

using namespace kelta;

namespace {

constexpr int FrameWidth = 720, FrameHeight = 576;

// A frame that looks like video rather than noise: smooth gradients with a
// little grain, so that data-dependent branches behave as on real pictures.
const TFastDIB& Frame() {
  static const TFastDIB frame = [] {
    TFastDIB dib;
    dib.SetSize(FrameWidth, FrameHeight, 24);
    std::mt19937 random(7);
    for (int r = 0; r < FrameHeight; ++r)
      for (int x = 0; x < FrameWidth; ++x) {
        std::uint8_t* p = dib.Rows()[std::size_t(r)] + 3 * x;
        const int grain = int(random() % 8);
        p[0] = std::uint8_t((x / 3 + grain) & 255);
        p[1] = std::uint8_t((r / 2 + x / 5 + grain) & 255);
        p[2] = std::uint8_t((255 - r / 3 + grain) & 255);
      }
    return dib;
  }();
  return frame;
}

TFastDIB CopyOfFrame() {
  TFastDIB dib;
  dib.SetSize(FrameWidth, FrameHeight, 24);
  std::memcpy(dib.Bits(), Frame().Bits(), dib.ImageSize());
  return dib;
}

void FrameBytes(benchmark::State& state) {
  state.SetBytesProcessed(std::int64_t(state.iterations()) * Frame().ImageSize());
}

void BM_Reference_Memcpy(benchmark::State& state) {
  TFastDIB dest = CopyOfFrame();
  for (auto _ : state) {
    std::memcpy(dest.Bits(), Frame().Bits(), Frame().ImageSize());
    benchmark::ClobberMemory();
  }
  FrameBytes(state);
}

void BM_Reference_LookupPass(benchmark::State& state) {
  TFastDIB dib = CopyOfFrame();
  std::uint8_t table[256];
  for (int c = 0; c < 256; ++c) table[c] = std::uint8_t(255 - c);
  for (auto _ : state) {
    std::uint8_t* p = dib.Bits();
    const std::size_t n = dib.ImageSize();
    for (std::size_t i = 0; i < n; ++i) p[i] = table[p[i]];
    benchmark::ClobberMemory();
  }
  FrameBytes(state);
}

void Resample(benchmark::State& state, void (*resample)(const TFastDIB&, TFastDIB&)) {
  TFastDIB dest;
  dest.SetSize(int(state.range(0)), int(state.range(1)), 24);
  for (auto _ : state) {
    resample(Frame(), dest);
    benchmark::ClobberMemory();
  }
}

void BM_ResampleNearest(benchmark::State& state) { Resample(state, ResampleNearest); }
void BM_ResampleBilinear(benchmark::State& state) { Resample(state, ResampleBilinear); }

// The playback line blend's work (owned by the decoder): every even row is
// compared byte by byte with the rounded mean of its neighbours and replaced
// where it differs by more than 15; row 0 becomes a copy of row 1.
void BM_LineBlendPass(benchmark::State& state) {
  TFastDIB dib = CopyOfFrame();
  const std::size_t rowBytes = FrameWidth * 3;
  for (auto _ : state) {
    std::uint8_t* const* rows = dib.Rows().data();
    for (int y = 0; y < FrameHeight; y += 2) {
      std::uint8_t* row = rows[y];
      if (y == 0) {
        std::memcpy(row, rows[1], rowBytes);
      } else if (y == FrameHeight - 1) {
        std::memcpy(row, rows[y - 1], rowBytes);
      } else {
        const std::uint8_t* above = rows[y - 1];
        const std::uint8_t* below = rows[y + 1];
        for (std::size_t j = 0; j < rowBytes; ++j) {
          const int m = (above[j] + below[j] + 1) >> 1;
          const int d = m - row[j];
          if (d > 15 || d < -15) row[j] = std::uint8_t(m);
        }
      }
    }
    benchmark::ClobberMemory();
  }
  FrameBytes(state);
}

// The save dialog's four adjustments: lightness, contrast, saturation, shift.
struct Adjustments {
  int lightness, contrast, saturation, red, green, blue;
};
constexpr Adjustments Typical{20, 15, 300, 6, -4, 10};
constexpr Adjustments TypicalNeutralSaturation{20, 15, 255, 6, -4, 10};
constexpr Adjustments Neutral{0, 0, 255, 0, 0, 0};

void Fused(benchmark::State& state, Adjustments a) {
  TFastDIB dib = CopyOfFrame();
  for (auto _ : state) {
    ApplyAdjustments(dib, a.lightness, a.contrast, a.saturation, a.red, a.green, a.blue);
    benchmark::ClobberMemory();
  }
  FrameBytes(state);
}

void BM_Adjust4_Fused(benchmark::State& state) { Fused(state, Typical); }
void BM_Adjust4_Fused_NeutralSaturation(benchmark::State& state) { Fused(state, TypicalNeutralSaturation); }
void BM_Adjust4_Fused_AllNeutral(benchmark::State& state) { Fused(state, Neutral); }

void BM_Adjust4_OneByOne(benchmark::State& state) {
  TFastDIB dib = CopyOfFrame();
  const Adjustments a = Typical;
  for (auto _ : state) {
    AdjustLightness(dib, a.lightness);
    AdjustContrast(dib, a.contrast);
    AdjustSaturation(dib, a.saturation);
    ShiftColors(dib, a.red, a.green, a.blue);
    benchmark::ClobberMemory();
  }
  FrameBytes(state);
}

BENCHMARK(BM_Reference_Memcpy);
BENCHMARK(BM_Reference_LookupPass);
BENCHMARK(BM_ResampleNearest)->Args({389, 214});
BENCHMARK(BM_ResampleBilinear)->Args({389, 214})->Args({200, 160});
BENCHMARK(BM_LineBlendPass);
BENCHMARK(BM_Adjust4_Fused);
BENCHMARK(BM_Adjust4_Fused_NeutralSaturation);
BENCHMARK(BM_Adjust4_Fused_AllNeutral);
BENCHMARK(BM_Adjust4_OneByOne);

}  // namespace

int main(int argc, char** argv) {
  const kelta::bench::Figures figures = kelta::bench::RunRepeatedBenchmarks(argc, argv, 5);
  figures.PrintTable("720x576 frame", 1e3, "ms");
  std::printf("\n");
  for (const std::string& name : figures.Names()) {
    if (name.rfind("BM_Reference_", 0) == 0) continue;
    const bool fused = name.rfind("BM_Adjust4_Fused", 0) == 0;
    figures.PrintRatio(name, "BM_Reference_LookupPass", fused ? "(goal <= 1.5)" : "");
    figures.PrintRatio(name, "BM_Reference_Memcpy");
  }
  return 0;
}
