// Opening a DVD to its first picture against opening the equivalent VOB file
// directly, in the same run. The disc is authored from a generated 720 x 576,
// 25 fps video of 60 seconds (KELTA_BENCH_SECONDS changes the length) as a
// disc of one title, so its VTS_01_1.VOB holds exactly that title:
//   VOB:    the decoder opens VTS_01_1.VOB and returns its first frame;
//   folder: the disc reader reads the VIDEO_TS folder's titles, checks the
//           title's first sectors for encryption, and the decoder opens the
//           title's cells through libdvdread and returns its first frame;
//   image:  the same from a UDF disc image of the folder.
// The three are measured in turn, several rounds (KELTA_BENCH_ROUNDS), and
// print the minimum and the median of wall and process CPU time, then the
// ratios of the DVD opens to the VOB open (goal: within 1.5).

#include <sys/time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/DvdFixture.h"
#include "support/VideoFixture.h"
#include "support/TempFolder.h"
#include "video/DvdDisc.h"
#include "video/MPEG2Decoder.h"

namespace fs = std::filesystem;

namespace {

int Setting(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Times {
  std::vector<double> wall, cpu;
};

double Min(std::vector<double> v) { return *std::min_element(v.begin(), v.end()); }
double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

void Measure(Times& times, const std::function<void()>& open) {
  const double cpu = CpuSeconds(), wall = WallSeconds();
  open();
  times.wall.push_back(WallSeconds() - wall);
  times.cpu.push_back(CpuSeconds() - cpu);
}

void FirstFrame(kelta::TMPEG2Decoder& decoder) {
  if (!decoder.GetFrame(0)) throw std::runtime_error("no first frame");
}

void OpenDisc(kelta::TMPEG2Decoder& decoder, const std::string& disc) {
  const kelta::TDvdDisc read = kelta::ReadDvdDisc(disc);
  const kelta::TDvdTitle& title = read.Titles.at(read.LongestTitle());
  if (kelta::TitleEncrypted(title)) throw std::runtime_error("the disc reads as encrypted");
  decoder.OpenDvdCells(title.Cells, kelta::DvdTitleName(read, title));
  FirstFrame(decoder);
}

void Print(const char* what, const Times& t) {
  std::printf("%-7s wall min %7.1f ms  median %7.1f ms   CPU min %7.1f ms  median %7.1f ms\n", what,
              Min(t.wall) * 1e3, Median(t.wall) * 1e3, Min(t.cpu) * 1e3, Median(t.cpu) * 1e3);
}

void PrintRatio(const char* what, const Times& dvd, const Times& vob) {
  std::printf("%-7s / VOB: wall min %.2f  median %.2f   CPU min %.2f  median %.2f  (goal <= 1.5)\n", what,
              Min(dvd.wall) / Min(vob.wall), Median(dvd.wall) / Median(vob.wall), Min(dvd.cpu) / Min(vob.cpu),
              Median(dvd.cpu) / Median(vob.cpu));
}

}  // namespace

int main() {
  const int seconds = Setting("KELTA_BENCH_SECONDS", 60);
  const int rounds = Setting("KELTA_BENCH_ROUNDS", 9);
  const kelta::test::TTempFolder scratch;
  const std::string dir = scratch.Path().string();
  try {
    std::printf("Authoring a %d s 720x576 DVD...\n", seconds);
    kelta::test::DvdTitleSource title;
    title.video.frames = seconds * 25;
    title.video.interlaced = true;
    title.chapters = "0,10,20,30,40,50";
    const std::string folder = dir + "/BENCH_DISC", image = dir + "/bench.iso";
    kelta::test::AuthorDvd(dir + "/sources", folder, {title});
    kelta::test::MakeDiscImage(folder, image, "BENCH_DISC");
    const std::string vob = folder + "/VIDEO_TS/VTS_01_1.VOB";

    kelta::TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
    auto round = [&](Times& vobRound, Times& folderRound, Times& imageRound) {
      Measure(vobRound, [&] {
        decoder.Open(vob);
        FirstFrame(decoder);
      });
      Measure(folderRound, [&] { OpenDisc(decoder, folder); });
      Measure(imageRound, [&] { OpenDisc(decoder, image); });
    };
    // One unmeasured round reads every file into the page cache.
    Times warmUp;
    round(warmUp, warmUp, warmUp);
    Times vobTimes, folderTimes, imageTimes;
    for (int r = 0; r < rounds; ++r) round(vobTimes, folderTimes, imageTimes);
    std::printf("\nOpening to the first picture, %d rounds:\n", rounds);
    Print("VOB", vobTimes);
    Print("folder", folderTimes);
    Print("image", imageTimes);
    PrintRatio("folder", folderTimes, vobTimes);
    PrintRatio("image", imageTimes, vobTimes);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
