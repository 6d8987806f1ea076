// The DVD reader as Kelta uses it, over any bytes. The first byte chooses
// what the rest is:
//   0: the reader's structure text, which Kelta checks before it trusts it:
//      refused, or read and written back to the very same text;
//   1: a disc's IFO files: two bytes of length, the disc's VIDEO_TS.IFO, and
//      the title set's VTS_01_0.IFO, in a VIDEO_TS folder with a small VOB;
//   2: a disc image.
// Discs are read through the reader's own process, as the window reads them:
// whatever libdvdread does with the bytes, the read ends in titles, the
// plain-video fallback or a clear refusal, never in a fault of this process.
// Inputs that crashed libdvdread inside the reader are kept in crashes/dvd/.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "video/DvdDisc.h"
#include "video/DvdStructureText.h"

namespace {

namespace fs = std::filesystem;

// The reader runs once or twice an input: a hang costs it this much.
constexpr std::chrono::milliseconds ReaderLimit{5000};

void CheckStructureText(std::string_view text) {
  const std::optional<kelta::TDvdDisc> disc = kelta::ParseDvdStructure(text, "/disc");
  if (!disc) return;
  KELTA_FUZZ_CHECK(!disc->Titles.empty(), "a structure holds titles");
  KELTA_FUZZ_CHECK(kelta::WriteDvdStructure(*disc) == text, "a structure read is written back as it was");
}

void CheckDiscRead(const std::string& chosen) {
  try {
    const kelta::TDvdDisc disc = kelta::ReadDvdDisc(chosen);
    KELTA_FUZZ_CHECK(!disc.Titles.empty(), "a disc read has titles");
    for (const kelta::TDvdTitle& title : disc.Titles) {
      KELTA_FUZZ_CHECK(!title.Cells.Ranges.empty(), "a title has cells");
      KELTA_FUZZ_CHECK(title.Cells.Disc == disc.Location, "a title lies on its disc");
      (void)kelta::TitleEncrypted(title);
    }
  } catch (const kelta::EDvdError& error) {
    const std::string_view message = error.what();
    KELTA_FUZZ_CHECK(message.find("DVD reader") == std::string_view::npos, "the reader starts");
  }
}

void WriteFolder(std::span<const std::uint8_t> rest) {
  const fs::path folder = kelta::fuzz::ScratchFolder() / "DISC" / "VIDEO_TS";
  fs::remove_all(folder.parent_path());
  fs::create_directories(folder);
  std::size_t first = rest.size() >= 2 ? (std::size_t(rest[0]) << 8 | rest[1]) : 0;
  rest = rest.subspan(std::min<std::size_t>(2, rest.size()));
  first = std::min(first, rest.size());
  kelta::fuzz::WriteScratchFile("DISC/VIDEO_TS/VIDEO_TS.IFO", rest.first(first));
  kelta::fuzz::WriteScratchFile("DISC/VIDEO_TS/VTS_01_0.IFO", rest.subspan(first));
  // A few sectors of video for the title set, so that its VOBs are found.
  static const std::uint8_t pack[2048] = {0x00, 0x00, 0x01, 0xBA, 0x44};
  kelta::fuzz::WriteScratchFile("DISC/VIDEO_TS/VTS_01_1.VOB", std::span<const std::uint8_t>(pack));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kelta::SetDvdReaderPlace(kelta::TDvdReaderPlace{KELTA_PROGRAM_DIR "/kelta-dvd-reader", ReaderLimit});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const std::uint8_t> rest(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      CheckStructureText(std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()));
      break;
    case 1:
      WriteFolder(rest);
      CheckDiscRead((kelta::fuzz::ScratchFolder() / "DISC").string());
      break;
    default:
      CheckDiscRead(kelta::fuzz::WriteScratchFile("disc.iso", rest));
  }
  return 0;
}
