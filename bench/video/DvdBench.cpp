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
//
// Then what reading a disc's structure costs to the title chooser: the
// titles and the chosen title's encryption check read by the DVD reader's own
// process (as Kelta reads them), against the same reading with libdvdread in
// the benchmark's process (as Kelta read them before the reader moved out).
// CPU time counts the reader processes too. Goal: at most 30 ms more.
//
// Then what a person waits for: the first picture as the window's opener
// hands it over (a fresh decoder, the quick look at the head of the video),
// for the VOB and for the title on the folder and the image, from the
// request to the picture; the disc's title table is read beforehand, as the
// title chooser has read it. The ratios of those to the VOB follow.

#include <sys/resource.h>
#include <sys/time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "DvdStructureReader.h"
#include "support/DvdFixture.h"
#include "support/VideoFixture.h"
#include "support/TempFolder.h"
#include "video/DvdDisc.h"
#include "video/MPEG2Decoder.h"
#include "video/VideoOpener.h"

namespace fs = std::filesystem;

namespace {

int Setting(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

// The benchmark's own CPU time and that of the helper processes it waited for.
double CpuSeconds() {
  double seconds = 0;
  for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    getrusage(who, &usage);
    for (const timeval& t : {usage.ru_utime, usage.ru_stime}) seconds += double(t.tv_sec) + double(t.tv_usec) * 1e-6;
  }
  return seconds;
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

kelta::TVideoOpener::TRequest OpenerRequest(const std::string& path, const kelta::TDvdCells& cells) {
  kelta::TVideoOpener::TRequest request;
  request.Path = path;
  request.Dvd = cells;
  request.MakeDecoder = [] { return std::make_unique<kelta::TMPEG2Decoder>(KELTA_PROGRAM_DIR); };
  request.ThumbSizes.assign(8, {96, 54});
  return request;
}

// Until the opener hands over its first picture; the rest of the open is
// cancelled.
void OpenerFirstPicture(const kelta::TVideoOpener::TRequest& request) {
  kelta::TVideoOpener opener(request, {});
  for (;;) {
    opener.WaitForNews();
    const kelta::TVideoOpener::TNews news = opener.Take();
    if (!news.FirstPicture.Empty()) return;
    if (news.Ended) throw std::runtime_error("the opener gave no first picture");
  }
}

void Print(const char* what, const Times& t) {
  std::printf("%-18s wall min %7.1f ms  median %7.1f ms   CPU min %7.1f ms  median %7.1f ms\n", what,
              Min(t.wall) * 1e3, Median(t.wall) * 1e3, Min(t.cpu) * 1e3, Median(t.cpu) * 1e3);
}

void PrintRatio(const char* what, const Times& dvd, const Times& vob) {
  std::printf("%-7s / VOB: wall min %.2f  median %.2f   CPU min %.2f  median %.2f  (goal <= 1.5)\n", what,
              Min(dvd.wall) / Min(vob.wall), Median(dvd.wall) / Median(vob.wall), Min(dvd.cpu) / Min(vob.cpu),
              Median(dvd.cpu) / Median(vob.cpu));
}

// The titles and the longest title's encryption check, as the title chooser needs them.
void ReadIsolated(const std::string& disc) {
  const kelta::TDvdDisc read = kelta::ReadDvdDisc(disc);
  if (kelta::TitleEncrypted(read.Titles.at(read.LongestTitle()))) throw std::runtime_error("encrypted");
}

void ReadInProcess(const std::string& disc) {
  kelta::TDvdDisc read;
  using kelta::dvdreader::TTitleSource;
  if (kelta::dvdreader::ReadStructure(kelta::DvdLocation(disc), TTitleSource::TitleInformation, read) !=
      kelta::dvdreader::TReadEnd::Read)
    throw std::runtime_error("unreadable");
  const kelta::TDvdTitle& title = read.Titles.at(read.LongestTitle());
  const KeltaCodecSectorRange& first = title.Cells.Ranges.front();
  if (kelta::dvdreader::ProbeSectors(read.Location, title.Cells.TitleSet, first.First, first.Last) !=
      kelta::dvdreader::TSectors::Plain)
    throw std::runtime_error("encrypted");
}

void PrintExtra(const char* what, const Times& isolated, const Times& inProcess) {
  std::printf("%-7s reader process - in process: wall min %+.1f ms  median %+.1f ms   CPU min %+.1f ms  median %+.1f ms  (goal <= +30)\n",
              what, (Min(isolated.wall) - Min(inProcess.wall)) * 1e3,
              (Median(isolated.wall) - Median(inProcess.wall)) * 1e3, (Min(isolated.cpu) - Min(inProcess.cpu)) * 1e3,
              (Median(isolated.cpu) - Median(inProcess.cpu)) * 1e3);
}

void PrintAll(const char* title, int rounds, const Times& vob, const Times& folder, const Times& image) {
  std::printf("\n%s, %d rounds:\n", title, rounds);
  Print("VOB", vob);
  Print("folder", folder);
  Print("image", image);
  PrintRatio("folder", folder, vob);
  PrintRatio("image", image, vob);
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

    kelta::SetDvdReaderFolder(KELTA_PROGRAM_DIR);
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
    PrintAll("Opening to the first picture", rounds, vobTimes, folderTimes, imageTimes);

    Times inFolder, inImage, isolatedFolder, isolatedImage;
    for (int r = 0; r < rounds; ++r) {
      Measure(inFolder, [&] { ReadInProcess(folder); });
      Measure(isolatedFolder, [&] { ReadIsolated(folder); });
      Measure(inImage, [&] { ReadInProcess(image); });
      Measure(isolatedImage, [&] { ReadIsolated(image); });
    }
    std::printf("\nReading the titles and checking the longest for encryption, %d rounds:\n", rounds);
    Print("folder, in process", inFolder);
    Print("folder, reader", isolatedFolder);
    Print("image, in process", inImage);
    Print("image, reader", isolatedImage);
    PrintExtra("folder", isolatedFolder, inFolder);
    PrintExtra("image", isolatedImage, inImage);

    const auto titleOf = [](const std::string& disc) {
      const kelta::TDvdDisc read = kelta::ReadDvdDisc(disc);
      const kelta::TDvdTitle& longest = read.Titles.at(read.LongestTitle());
      return OpenerRequest(kelta::DvdTitleName(read, longest), longest.Cells);
    };
    const kelta::TVideoOpener::TRequest vobRequest = OpenerRequest(vob, {});
    const kelta::TVideoOpener::TRequest folderRequest = titleOf(folder), imageRequest = titleOf(image);
    Times openerVob, openerFolder, openerImage;
    for (int r = 0; r < rounds; ++r) {
      Measure(openerVob, [&] { OpenerFirstPicture(vobRequest); });
      Measure(openerFolder, [&] { OpenerFirstPicture(folderRequest); });
      Measure(openerImage, [&] { OpenerFirstPicture(imageRequest); });
    }
    PrintAll("The opener's first picture", rounds, openerVob, openerFolder, openerImage);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
