// kelta-dvd-reader: reads a DVD's structure for Kelta in a process of its
// own, so that a damaged disc that crashes or hangs libdvdread takes only
// this process down. Kelta starts it, reads its output and checks it.
//
//   kelta-dvd-reader titles LOCATION             the structure (DvdStructureText.h)
//   kelta-dvd-reader title-sets LOCATION         the same without reading the IFO files
//   kelta-dvd-reader probe LOCATION SET FIRST LAST
//                                                "plain", "scrambled" or "unreadable": the title's first sectors
//
// Exit codes: 0 done, 2 wrong arguments, 3 not a DVD, 4 no readable video.
#include <sys/prctl.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "DvdStructureReader.h"
#include "video/DvdStructureText.h"

namespace {

using kelta::dvdreader::TReadEnd;
using kelta::dvdreader::TTitleSource;

constexpr int WrongArguments = 2;
constexpr int NotADvd = 3;
constexpr int NoVideo = 4;

// A crash leaves no core file behind, the reader never outlives Kelta, and a
// damaged disc cannot make it take the machine's memory.
void Confine() {
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && !defined(KELTA_SANITIZED)
  const rlim_t memory = rlim_t(2) << 30;
  const rlimit limit{memory, memory};
  setrlimit(RLIMIT_AS, &limit);
#endif
}

bool ParseNumber(const char* text, unsigned long max, unsigned long& value) {
  char* end = nullptr;
  value = std::strtoul(text, &end, 10);
  return *text != '\0' && *end == '\0' && value <= max;
}

int Titles(const std::string& location, TTitleSource source) {
  kelta::TDvdDisc disc;
  switch (kelta::dvdreader::ReadStructure(location, source, disc)) {
    case TReadEnd::NotADvd:
      return NotADvd;
    case TReadEnd::NoVideo:
      return NoVideo;
    case TReadEnd::Read:
      break;
  }
  const std::string text = kelta::WriteDvdStructure(disc);
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Confine();
  const std::string mode = argc > 1 ? argv[1] : "";
  if (argc == 3 && mode == "titles") return Titles(argv[2], TTitleSource::TitleInformation);
  if (argc == 3 && mode == "title-sets") return Titles(argv[2], TTitleSource::TitleSetsOnly);
  unsigned long set = 0, first = 0, last = 0;
  if (argc == 6 && mode == "probe" && ParseNumber(argv[3], 99, set) && ParseNumber(argv[4], 0xFFFFFFFFul, first) &&
      ParseNumber(argv[5], 0xFFFFFFFFul, last)) {
    using kelta::dvdreader::TSectors;
    const TSectors sectors = kelta::dvdreader::ProbeSectors(argv[2], int(set), std::uint32_t(first), std::uint32_t(last));
    std::puts(sectors == TSectors::Plain ? "plain" : sectors == TSectors::Scrambled ? "scrambled" : "unreadable");
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  std::fprintf(stderr,
               "usage: kelta-dvd-reader titles|title-sets LOCATION\n"
               "       kelta-dvd-reader probe LOCATION SET FIRST LAST\n");
  return WrongArguments;
}
