// Loading and saving a large library against reading and writing the same
// bytes raw, in the same run: 10 000 images in 100 films. The summary gives
// the time per 1000 images and the ratios to the raw I/O, CPU beside wall
// time, minimum and median of five repetitions interleaved at random (unless
// the command line says otherwise).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "library/AtomicFileWrite.h"
#include "library/FilmManager.h"
#include "support/BenchFigures.h"
#include "support/TempFolder.h"

namespace kelta {
namespace {

constexpr int Categories = 10;
constexpr int FilmsPerCategory = 10;
constexpr int ImagesPerFilm = 100;
constexpr int Images = Categories * FilmsPerCategory * ImagesPerFilm;

struct TBenchFiles {
  kelta::test::TTempFolder Scratch;
  std::filesystem::path Folder = Scratch.Path();
  std::filesystem::path Config;
  std::string Bytes;

  TBenchFiles() {
    Config = Folder / "config";

    TXmlDocument document;
    for (int c = 0; c < Categories; ++c) {
      TXmlNode category = TXmlNode::MakeElement("category");
      category.Attributes.push_back({"name", "Category " + std::to_string(c)});
      for (int f = 0; f < FilmsPerCategory; ++f) {
        TXmlNode film = TXmlNode::MakeElement("film");
        film.Attributes.push_back({"name", "Film \xC3\xA9t\xC3\xA9 " + std::to_string(f)});
        for (int i = 0; i < ImagesPerFilm; ++i) {
          const std::string base = "Kq3xZb7T_" + std::to_string(81234567 + c * 100000 + f * 1000 + i);
          TXmlNode image = TXmlNode::MakeElement("image");
          image.Attributes = {{"name", "Scene " + std::to_string(i) + " <close & up>"},
                              {"filename", base + ".bmp"},
                              {"thumbnail", base + "_thumbnail.bmp"},
                              {"memo", i % 3 ? "" : "A memo with \"quotes\"\r\nand a second line"}};
          film.Children.push_back(std::move(image));
        }
        category.Children.push_back(std::move(film));
      }
      document.Root.Children.push_back(std::move(category));
    }
    document.Prolog.emplace_back(TXmlNodeKind::Declaration);
    document.Prolog.back().Attributes = {{"version", "1.0"}, {"encoding", "UTF-8"}};
    Bytes = WriteXml(document);
    WriteFileAtomically(Config, Bytes);
  }
};

TBenchFiles& Files() {
  static TBenchFiles files;
  return files;
}

std::string RawRead(const std::filesystem::path& path) {
  std::string bytes;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) std::abort();
  char buffer[1 << 16];
  for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, std::size_t(got));
  ::close(fd);
  return bytes;
}

void RawWrite(const std::filesystem::path& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) std::abort();
  ::close(fd);
}

void SetCounters(benchmark::State& state) {
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(Files().Bytes.size()));
  state.counters["images"] = Images;
}

void BM_RawRead(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(RawRead(Files().Config));
  SetCounters(state);
}

void BM_Load(benchmark::State& state) {
  TFilmManager manager(Files().Folder / "loader-config");
  for (auto _ : state) {
    manager.Load(Files().Config);
    benchmark::DoNotOptimize(manager.Document().Root.Children.size());
  }
  if (manager.Document().Root.Children.size() != Categories) state.SkipWithError("library read wrongly");
  SetCounters(state);
}

void BM_RawWrite(benchmark::State& state) {
  const auto path = Files().Folder / "raw-copy";
  for (auto _ : state) RawWrite(path, Files().Bytes);
  SetCounters(state);
}

// The same bytes replaced as safely as the library is: temporary file,
// flush to disk, rename.
void BM_RawDurableWrite(benchmark::State& state) {
  const auto path = Files().Folder / "durable-copy";
  for (auto _ : state) WriteFileAtomically(path, Files().Bytes);
  SetCounters(state);
}

void BM_Save(benchmark::State& state) {
  TFilmManager manager(Files().Folder / "saver-config");
  manager.Load(Files().Config);
  const auto path = Files().Folder / "saved";
  for (auto _ : state) manager.Save(path);
  if (RawRead(path) != Files().Bytes) state.SkipWithError("library written wrongly");
  SetCounters(state);
}

BENCHMARK(BM_RawRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Load)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawDurableWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kelta

int main(int argc, char** argv) {
  const kelta::bench::Figures figures = kelta::bench::RunRepeatedBenchmarks(argc, argv, 5);
  std::printf("\nLibrary of %d images, %zu bytes\n", kelta::Images, kelta::Files().Bytes.size());
  figures.PrintTable("per 1000 images", 1e6 * 1000.0 / kelta::Images, "us");
  std::printf("\n");
  figures.PrintRatio("BM_Load", "BM_RawRead");
  figures.PrintRatio("BM_Save", "BM_RawWrite");
  figures.PrintRatio("BM_Save", "BM_RawDurableWrite");
  return 0;
}
