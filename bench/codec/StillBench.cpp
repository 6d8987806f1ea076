// Clean stills (getCleanStill) against what else a still could be, on clips
// made here from known progressive pictures (see tests/support/FieldClips.h):
//   nothing moves      50p into 25i, 720 x 576, a still picture;
//   small mover        the same with a small box creeping across;
//   moving pattern     50p into 25i, stripes and a square moving;
//   pan                50p into 25i, a detailed picture panning sideways;
//   telecined film     23.976p pulled down 2:3 into 29.97i, 720 x 480, each
//                      of the five phases of the cadence on its own.
// Each still is held against the picture it should show: for 25i made of
// 50p, the 50p picture of the frame's top field (2n for frame n); for film,
// the film frame of its top field. Beside ours on the same decoded frames:
// the frame as decoded (the fields woven), FFmpeg's bwdif and yadif
// (send_frame: the moment of the first field), and the program's line blend.
// PSNR over the 24-bit frames, the mean over the frames that have both
// neighbours.
//
// Then the cost of a still: one forward step (decode and convert) against
// one step and its clean still, per class, CPU beside wall time, minimum
// and median over the rounds.
//
// KELTA_BENCH_ROUNDS sets the rounds (default 5).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "codec/FrameConverter.h"
#include "codec/VideoSource.h"
#include "support/BenchFigures.h"
#include "support/DecodedPictures.h"
#include "support/FieldClips.h"
#include "support/FilterReference.h"
#include "support/Psnr.h"
#include "support/TempFolder.h"
#include "video/MPEG2Decoder.h"

using kelta::bench::EnvInt;
using kelta::bench::Figures;
using kelta::bench::Measure;
using kelta::bench::Times;
using kelta::codec::FramePtr;
using kelta::codec::VideoSource;
using kelta::test::FieldClip;
using kelta::test::Making;
using kelta::test::Scene;

namespace {

constexpr int ClipFrames = 25;
constexpr std::int32_t BlendThreshold = 240;  // the program's line blend

struct StillClass {
  const char* name;
  Scene scene;
  Making making;
};

const StillClass Classes[] = {
    {"nothing moves", Scene::Still, Making::FieldsFromPictures},
    {"small mover", Scene::SmallMover, Making::FieldsFromPictures},
    {"moving pattern", Scene::Pattern, Making::FieldsFromPictures},
    {"pan", Scene::Pan, Making::FieldsFromPictures},
    {"telecined film", Scene::Pan, Making::HardTelecine},
};

const char* const Methods[] = {"ours", "weave", "bwdif", "yadif", "line blend"};

const char* KindName(KeltaCodecStillKind kind) {
  switch (kind) {
    case KeltaStillProgressive: return "progressive";
    case KeltaStillWoven: return "woven";
    case KeltaStillFilmRebuilt: return "film rebuilt";
    case KeltaStillDeinterlaced: return "deinterlaced";
  }
  return "?";
}

// Sums of PSNR per method, by row of the table.
struct Row {
  std::map<std::string, double> sum;
  int frames = 0;
  std::map<std::string, int> kinds;
};

void MeasureQuality(const StillClass& c, const std::string& path, const FieldClip& clip, std::map<std::string, Row>& rows,
                    std::vector<std::string>& order) {
  const int w = clip.width, h = clip.height;
  const std::size_t bytes = kelta::Bgr24FrameBytes(w, h);
  const std::vector<FramePtr> decoded = kelta::test::DecodePictures(path, ClipFrames);
  const std::vector<FramePtr> bwdif = kelta::bench::RunFilter(decoded, "bwdif=mode=send_frame:parity=auto:deint=all");
  const std::vector<FramePtr> yadif = kelta::bench::RunFilter(decoded, "yadif=mode=send_frame:parity=auto:deint=all");
  kelta::codec::FrameConverter converter;
  std::vector<std::uint8_t> truth(bytes), other(bytes);
  VideoSource video;
  if (!video.Open(path) || decoded.size() != std::size_t(ClipFrames) || bwdif.size() != decoded.size() ||
      yadif.size() != decoded.size()) {
    std::fprintf(stderr, "%s: the clip did not decode whole\n", c.name);
    std::exit(1);
  }
  const bool film = c.making == Making::HardTelecine;
  for (int n = 0; n < ClipFrames - 1; ++n) {
    const std::uint8_t* frame = video.NextFrame();
    if (n == 0) continue;
    std::string name = c.name;
    if (film) name += ", phase " + std::to_string(n % 5) + (n % 5 == 2 || n % 5 == 3 ? " (mixed)" : " (clean)");
    if (rows.find(name) == rows.end()) order.push_back(name);
    Row& row = rows[name];
    converter.Convert(clip.truth[std::size_t(n)].get(), w, h, truth.data());
    const auto score = [&](const char* method, const std::uint8_t* still) {
      row.sum[method] += kelta::test::Psnr(still, truth.data(), w, h);
    };
    score("weave", frame);
    std::memcpy(other.data(), frame, bytes);
    kelta::TMPEG2Decoder::Deinterlace(other.data(), w, h, BlendThreshold);
    score("line blend", other.data());
    converter.Convert(bwdif[std::size_t(n)].get(), w, h, other.data());
    score("bwdif", other.data());
    converter.Convert(yadif[std::size_t(n)].get(), w, h, other.data());
    score("yadif", other.data());
    KeltaCodecStillKind kind{};
    score("ours", video.CleanStillFrame(kind));
    ++row.kinds[KindName(kind)];
    ++row.frames;
  }
}

// One round of the cost: every step of the clip plain, then with its still.
void MeasureCost(const StillClass& c, const std::string& path, Figures& figures) {
  const double steps = ClipFrames;
  VideoSource plain, still;
  plain.Open(path);
  still.Open(path);
  figures[std::string(c.name) + ": step"].Add(Measure([&] {
                                                 while (plain.NextFrame()) {
                                                 }
                                               }) /
                                               steps);
  figures[std::string(c.name) + ": step + clean still"].Add(Measure([&] {
                                                               KeltaCodecStillKind kind{};
                                                               while (still.NextFrame()) still.CleanStillFrame(kind);
                                                             }) /
                                                             steps);
}

}  // namespace

int main() {
  const int rounds = std::max(1, EnvInt("KELTA_BENCH_ROUNDS", 5));
  const kelta::test::TTempFolder folder;
  std::map<std::string, Row> rows;
  std::vector<std::string> order;
  std::vector<std::string> paths;
  std::printf("Making the clips and measuring the stills...\n");
  for (const StillClass& c : Classes) {
    kelta::test::FieldClipOptions o;
    o.scene = c.scene;
    o.making = c.making;
    o.frames = ClipFrames;
    paths.push_back((folder / (std::string(c.name) + ".mpg")).string());
    const FieldClip clip = kelta::test::WriteFieldClip(paths.back(), o);
    MeasureQuality(c, paths.back(), clip, rows, order);
  }

  std::printf("\nPSNR against the source picture, dB (mean over the frames)\n");
  std::printf("%-34s", "");
  for (const char* m : Methods) std::printf("%12s", m);
  std::printf("   ours made\n");
  for (const std::string& name : order) {
    const Row& row = rows[name];
    std::printf("%-34s", name.c_str());
    for (const char* m : Methods) std::printf("%12.2f", row.sum.at(m) / row.frames);
    std::printf("  ");
    for (const auto& [kind, count] : row.kinds) std::printf(" %s x%d", kind.c_str(), count);
    std::printf("\n");
  }

  Figures cost;
  for (int round = 0; round < rounds; ++round)
    for (std::size_t i = 0; i < std::size(Classes); ++i) MeasureCost(Classes[i], paths[i], cost);
  cost.PrintTable("\ncost per frame, " + std::to_string(ClipFrames) + "-frame clips", 1e3, "ms");
  for (const StillClass& c : Classes) {
    const std::string step = std::string(c.name) + ": step", withStill = step + " + clean still";
    cost.PrintRatio(withStill, step);
    const Times minExtra = cost[withStill].Min() - cost[step].Min();
    const Times medianExtra = cost[withStill].Median() - cost[step].Median();
    std::printf("  %s: a still costs %.1f ms CPU, %.1f ms wall more (min); %.1f / %.1f (median) (goal: <= 30)\n",
                c.name, minExtra.cpu * 1e3, minExtra.wall * 1e3, medianExtra.cpu * 1e3, medianExtra.wall * 1e3);
  }
  return 0;
}
