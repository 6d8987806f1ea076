// Opening and decoding rips through the decoder plugin, as Kelta loads it,
// beside the program-stream path and FFmpeg's own, every figure CPU time
// beside wall time, minimum and median over several rounds
// (KELTA_BENCH_ROUNDS, default 5). The videos: a generated 720 x 576
// interlaced DVD-like VOB (20 s at 25 fps; KELTA_BENCH_SECONDS changes the
// length), its lossless Matroska remux, and an H.264 encode of it in
// Matroska and in MP4 (its index in front), all made with the ffmpeg command
// line.
//
//   First picture: the decoder opened on the head of the file (what the
//     opener's quick look reads) and its first frame, against the same for
//     the VOB and against plain FFmpeg opening the whole file and decoding
//     and converting its first frame.
//   Full open: the decoder's open of the whole file with its pass over every
//     packet, against the VOB's and against plain FFmpeg opening the file and
//     reading every packet.
//   Decoding the whole video: the wrapper's GetFrame loop (opening included)
//     for the VOB and the H.264 encode, each against the FFmpeg CLI
//     `ffmpeg -threads 1 -i FILE -an -pix_fmt bgr24 -f null -`.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/BenchFigures.h"
#include "support/PlainFfmpeg.h"
#include "support/TempFolder.h"
#include "support/VideoFixture.h"
#include "video/MPEG2Decoder.h"
#include "video/VideoOpener.h"

using kelta::bench::DefaultConversion;
using kelta::bench::EnvInt;
using kelta::bench::Figures;
using kelta::bench::Measure;
using kelta::bench::PlainDecoder;
using kelta::bench::Times;

namespace {

struct Video {
  std::string label, path;
};

bool Ffmpeg(const std::string& arguments) {
  const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + arguments;
  return std::system(command.c_str()) == 0;
}

struct Files {
  kelta::test::TTempFolder folder;
  std::string dir = folder.Path().string();
  std::vector<Video> videos;
  int frames = 0;

  Files() {
    const std::string vob = dir + "/pal.vob";
    kelta::test::Mpeg2StreamOptions options;
    options.frames = frames = std::max(1, EnvInt("KELTA_BENCH_SECONDS", 20)) * 25;
    options.interlaced = true;  // as most DVD video
    kelta::test::WriteMpeg2ProgramStream(vob, options);
    videos.push_back({"VOB", vob});
    const std::string remux = dir + "/pal.mkv", h264 = dir + "/h264.mkv", mp4 = dir + "/h264.mp4";
    if (!Ffmpeg("-i " + vob + " -c copy " + remux) ||
        !Ffmpeg("-i " + vob + " -an -c:v libx264 -preset fast -crf 20 " + h264) ||
        !Ffmpeg("-i " + h264 + " -c copy -movflags +faststart " + mp4)) {
      std::fprintf(stderr, "The ffmpeg command line could not make the rips\n");
      std::exit(1);
    }
    videos.push_back({"MPEG-2 MKV remux", remux});
    videos.push_back({"H.264 MKV", h264});
    videos.push_back({"H.264 MP4", mp4});
  }
};

int DecodeAll(kelta::TMPEG2Decoder& decoder, const std::string& path) {
  decoder.Open(path, 0, -1);
  int frames = 0;
  while (const kelta::FrameView frame = decoder.GetFrame(0)) {
    benchmark::DoNotOptimize(frame.data);
    ++frames;
  }
  return frames;
}

void OpenRound(const Files& files, kelta::TMPEG2Decoder& decoder, Figures& first, Figures& open) {
  std::vector<std::uint8_t> bgr;
  for (const Video& v : files.videos) {
    first["first picture, " + v.label].Add(Measure([&] {
      decoder.Open(v.path, 0, kelta::TVideoOpener::QuickLookBytes);
      benchmark::DoNotOptimize(decoder.GetFrame(0).data);
    }));
    first["FFmpeg first picture, " + v.label].Add(Measure([&] {
      PlainDecoder plain(v.path);
      DefaultConversion convert;
      if (const AVFrame* frame = plain.Next()) convert.Convert(frame, bgr);
      benchmark::DoNotOptimize(bgr.data());
    }));
    open["full open, " + v.label].Add(Measure([&] { decoder.Open(v.path, 0, -1); }));
    open["FFmpeg open + read every packet, " + v.label].Add(Measure([&] {
      PlainDecoder plain(v.path);
      plain.ReadAllPackets();
    }));
  }
}

void LoopRound(const Files& files, kelta::TMPEG2Decoder& decoder, Figures& loop) {
  for (const Video& v : {files.videos[0], files.videos[2]}) {
    int got = 0;
    loop["GetFrame loop, " + v.label].Add(Measure([&] { got = DecodeAll(decoder, v.path); }) / files.frames);
    if (got != files.frames) std::fprintf(stderr, "%s: %d frames, not %d\n", v.label.c_str(), got, files.frames);
    if (const std::optional<Times> cli = kelta::bench::RunFfmpegCli(v.path))
      loop["ffmpeg CLI, " + v.label].Add(*cli / files.frames);
  }
}

}  // namespace

int main() {
  const int rounds = std::max(1, EnvInt("KELTA_BENCH_ROUNDS", 5));
  if (!kelta::bench::FfmpegCliAvailable()) {
    std::printf("ffmpeg CLI: not on PATH (Debian: apt-get install ffmpeg); it makes the rips\n");
    return 1;
  }
  std::printf("Making the videos...\n");
  const Files files;
  kelta::TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.SetRGBScaleFlag(true);

  Figures first, open, loop;
  for (int round = 0; round < rounds; ++round) {
    std::printf("round %d of %d\n", round + 1, rounds);
    std::fflush(stdout);
    OpenRound(files, decoder, first, open);
    LoopRound(files, decoder, loop);
  }

  first.PrintTable("first picture", 1e3, "ms");
  open.PrintTable("full open", 1e3, "ms");
  for (const Video& v : files.videos) {
    if (v.label != "VOB") {
      first.PrintRatio("first picture, " + v.label, "first picture, VOB");
      open.PrintRatio("full open, " + v.label, "full open, VOB");
    }
    first.PrintRatio("first picture, " + v.label, "FFmpeg first picture, " + v.label);
    open.PrintRatio("full open, " + v.label, "FFmpeg open + read every packet, " + v.label);
  }
  loop.PrintTable("decoding the whole video, per frame", 1e3, "ms");
  for (const char* label : {"VOB", "H.264 MKV"})
    loop.PrintRatio(std::string("GetFrame loop, ") + label, std::string("ffmpeg CLI, ") + label, "(goal: CPU <= 1.2)");
  return 0;
}
