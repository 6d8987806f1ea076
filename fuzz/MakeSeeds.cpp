// kelta_fuzz_seeds FOLDER: writes the generated seed inputs, one folder per
// target, with the fixture writers the tests use: small MPEG-2 videos in each
// container the plugin accepts, bitmaps of every depth the reader takes as
// the program writes them, and update records as the server lays them out.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "DvdStructureReader.h"
#include "imaging/FastDIB.h"
#include "support/DvdFixture.h"
#include "video/DvdStructureText.h"
#include "support/VideoFixture.h"
#include "update/UpdateInfo.h"
#include "update/UpdateRecord.h"

namespace fs = std::filesystem;
using kelta::test::Mpeg2StreamOptions;

namespace {

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// Few small pictures in short groups: several groups to seek between, and
// inputs small enough for thousands of runs a second.
Mpeg2StreamOptions Small() {
  return Mpeg2StreamOptions{.width = 64, .height = 32, .frames = 7, .gopSize = 3, .bFrames = 1, .audio = false};
}

void MakeVideos(const fs::path& folder) {
  struct Variant {
    const char* name;
    void (*change)(Mpeg2StreamOptions&);
  };
  const Variant variants[] = {
      {"dvd.vob", [](Mpeg2StreamOptions&) {}},
      {"dvd_sound.vob", [](Mpeg2StreamOptions& o) { o.audio = true; }},
      {"closed_groups.vob", [](Mpeg2StreamOptions& o) { o.closedGop = true; }},
      {"interlaced_ntsc.vob",
       [](Mpeg2StreamOptions& o) {
         o.interlaced = true;
         o.fpsNum = 30000;
         o.fpsDen = 1001;
       }},
      {"transport.ts", [](Mpeg2StreamOptions& o) { o.format = "mpegts"; }},
      {"elementary.m2v", [](Mpeg2StreamOptions& o) { o.format = "mpeg2video"; }},
      {"sound_only.vob",
       [](Mpeg2StreamOptions& o) {
         o.video = false;
         o.audio = true;
       }},
  };
  for (const Variant& v : variants) {
    Mpeg2StreamOptions o = Small();
    v.change(o);
    kelta::test::WriteMpeg2ProgramStream((folder / v.name).string(), o);
  }
}

void MakeBitmaps(const fs::path& folder) {
  for (const int bits : {1, 4, 8, 16, 24, 32}) {
    for (const int height : {3, -2}) {
      kelta::TFastDIB dib;
      dib.SetSize(5, height, std::uint8_t(bits));
      for (int r = 0; r < dib.RowCount(); ++r)
        for (int i = 0; i < dib.RowStride() - dib.RowPadding(); ++i)
          dib.Rows()[std::size_t(r)][i] = std::uint8_t(r * 37 + i * 11);
      const std::string name = std::to_string(bits) + (height < 0 ? "bit_top_down.bmp" : "bit.bmp");
      if (!dib.SaveToFile((folder / name).string())) throw std::runtime_error("cannot write " + name);
    }
  }
}

void MakeUpdateRecords(const fs::path& folder) {
  using kelta::testing::MakeUpdateRecord;
  const std::string url = "http://www.kelta.example/kelta/download.html";
  WriteFile(folder / "newer.upd", MakeUpdateRecord(kelta::CurrentVersion + 1, "3.0.2.0", url));
  WriteFile(folder / "same.upd", MakeUpdateRecord(kelta::CurrentVersion, "3.0.1.0", url));
  WriteFile(folder / "full_fields.upd", MakeUpdateRecord(4000, std::string(64, '9'), "https://" + std::string(253, 'h')));
  WriteFile(folder / "short.upd", MakeUpdateRecord(kelta::CurrentVersion + 1, "3.0.2.0", url, 40));
  WriteFile(folder / "too_old.upd", MakeUpdateRecord(kelta::MinimumValidVersion - 1, "2.9", url));
}

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Seeds of the DVD reader's target: the first byte says what follows (see
// DvdFuzzer.cpp): the structure text of a small authored disc, its two IFO
// files, and its disc image.
void MakeDvdSeeds(const fs::path& folder) {
  const fs::path work = folder / "work";
  kelta::test::DvdTitleSource title;
  title.video.width = 352;
  title.video.height = 288;
  title.video.frames = 12;
  title.video.audio = false;
  title.chapters = "0,0.2";
  kelta::test::AuthorDvd((work / "sources").string(), (work / "DISC").string(), {title, title});
  kelta::test::MakeDiscImage((work / "DISC").string(), (work / "disc.iso").string(), "SEED_DISC");

  kelta::TDvdDisc disc;
  if (kelta::dvdreader::ReadStructure((work / "DISC" / "VIDEO_TS").string(),
                                      kelta::dvdreader::TTitleSource::TitleInformation, disc) !=
      kelta::dvdreader::TReadEnd::Read)
    throw std::runtime_error("the seed disc cannot be read");
  const std::string text = kelta::WriteDvdStructure(disc);
  std::vector<std::uint8_t> structure{0};
  structure.insert(structure.end(), text.begin(), text.end());
  WriteFile(folder / "structure.seed", structure);

  const std::vector<std::uint8_t> vmg = ReadFile(work / "DISC" / "VIDEO_TS" / "VIDEO_TS.IFO");
  const std::vector<std::uint8_t> vts = ReadFile(work / "DISC" / "VIDEO_TS" / "VTS_01_0.IFO");
  std::vector<std::uint8_t> ifos{1, std::uint8_t(vmg.size() >> 8), std::uint8_t(vmg.size() & 0xFF)};
  ifos.insert(ifos.end(), vmg.begin(), vmg.end());
  ifos.insert(ifos.end(), vts.begin(), vts.end());
  WriteFile(folder / "ifo.seed", ifos);

  std::vector<std::uint8_t> image{2};
  const std::vector<std::uint8_t> iso = ReadFile(work / "disc.iso");
  image.insert(image.end(), iso.begin(), iso.end());
  WriteFile(folder / "image.seed", image);
  fs::remove_all(work);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  try {
    const fs::path root = argv[1];
    for (const char* target : {"codec", "bitmap", "update", "dvd"}) fs::create_directories(root / target);
    MakeVideos(root / "codec");
    MakeBitmaps(root / "bitmap");
    MakeUpdateRecords(root / "update");
    MakeDvdSeeds(root / "dvd");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
    return 1;
  }
  return 0;
}
