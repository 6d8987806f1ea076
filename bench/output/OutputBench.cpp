// PDF export and text-art page of a PAL frame, each beside a reference
// measured in the same run: a bare libjpeg quality-100 encode of the frame,
// and a memcpy of the frame. The ratios are printed at the end, CPU beside
// wall time, minimum and median of five repetitions interleaved at random
// (unless the command line says otherwise).

#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "imaging/FastDIB.h"
#include "output/HTMLExporter.h"
#include "output/PDFExporter.h"
#include "support/BenchFigures.h"

namespace {

using kelta::TFastDIB;

// A frame with gradients and fine noise, so the encoder has real work.
const TFastDIB& Frame() {
  static TFastDIB frame = [] {
    TFastDIB f;
    f.SetSize(720, 576, 24);
    std::uint32_t seed = 12345;
    for (int y = 0; y < 576; ++y)
      for (int x = 0; x < 720; ++x) {
        seed = seed * 1664525u + 1013904223u;
        const int noise = static_cast<int>(seed >> 28);
        std::uint8_t* p = f.PixelPtr(x, y);
        p[0] = static_cast<std::uint8_t>(x / 3 + noise);
        p[1] = static_cast<std::uint8_t>(y / 3 + noise);
        p[2] = static_cast<std::uint8_t>((x + y) / 6 + ((x / 40 + y / 40) % 2) * 60 + noise);
      }
    return f;
  }();
  return frame;
}

std::string TempName(const char* ext) {
  return (std::filesystem::temp_directory_path() / ("kelta-bench-" + std::to_string(getpid()) + ext)).string();
}

void BM_PdfExport(benchmark::State& state) {
  const std::string file = TempName(".pdf");
  kelta::TPDFExporter exporter;
  for (auto _ : state) exporter.Export(Frame(), file);
  std::remove(file.c_str());
}
BENCHMARK(BM_PdfExport)->Unit(benchmark::kMillisecond);

// The plain libjpeg call sequence at quality 100, into memory.
void BM_BareJpegQ100(benchmark::State& state) {
  const TFastDIB& f = Frame();
  std::vector<std::uint8_t> rgb(720 * 3);
  for (auto _ : state) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = 720;
    cinfo.image_height = 576;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
      const std::uint8_t* src = f.PixelPtr(0, static_cast<int>(cinfo.next_scanline));
      for (int x = 0; x < 720; ++x) {
        rgb[3 * x] = src[3 * x + 2];
        rgb[3 * x + 1] = src[3 * x + 1];
        rgb[3 * x + 2] = src[3 * x];
      }
      JSAMPROW row = rgb.data();
      jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    benchmark::DoNotOptimize(out);
    std::free(out);
  }
}
BENCHMARK(BM_BareJpegQ100)->Unit(benchmark::kMillisecond);

void BM_HtmlPage(benchmark::State& state) {
  for (auto _ : state) {
    std::string page = kelta::BitmapToHtml(Frame(), "01", "<head>", "<foot>", 180, kelta::hamColor,
                                           kelta::TCharCell{13, 5});
    benchmark::DoNotOptimize(page.data());
  }
}
BENCHMARK(BM_HtmlPage)->Unit(benchmark::kMicrosecond);

void BM_FrameMemcpy(benchmark::State& state) {
  const TFastDIB& f = Frame();
  std::vector<std::uint8_t> copy(f.ImageSize());
  for (auto _ : state) {
    std::memcpy(copy.data(), f.Bits(), f.ImageSize());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  const kelta::bench::Figures figures = kelta::bench::RunRepeatedBenchmarks(argc, argv, 5);
  figures.PrintTable("720x576 frame", 1e3, "ms");
  std::printf("\n");
  figures.PrintRatio("BM_PdfExport", "BM_BareJpegQ100", "(goal <= 1.3)");
  figures.PrintRatio("BM_HtmlPage", "BM_FrameMemcpy");
  return 0;
}
