#pragma once
// Reads a DVD's structure with libdvdread, in the DVD reader's own process
// (kelta-dvd-reader): libdvdread's parsing of a damaged disc can crash or
// hang, so Kelta never calls this itself.

#include <cstdint>
#include <string>

#include "video/DvdDisc.h"

namespace kelta::dvdreader {

enum class TReadEnd : std::uint8_t {
  Read,     // the structure is in the disc
  NotADvd,  // libdvdread cannot open it as a DVD
  NoVideo   // it opens, but holds no title that can be read
};

// Which of the disc's information the titles come from.
enum class TTitleSource : std::uint8_t {
  TitleInformation,  // the IFO files, falling back to the title sets when they cannot be read
  TitleSetsOnly      // each title set's title VOBs as one video; the IFO files are not read
};

// Reads the disc at `location` (an image file or a VIDEO_TS folder).
TReadEnd ReadStructure(const std::string& location, TTitleSource source, TDvdDisc& disc);

enum class TSectors : std::uint8_t {
  Plain,      // plain MPEG packs
  Scrambled,  // no MPEG packs, or packets marked scrambled
  Unreadable  // the title set or its sectors cannot be read
};

// What the sectors first..last (at most the first few) of title set
// `titleSet` hold, opened the way the decoder plugin opens them.
TSectors ProbeSectors(const std::string& location, int titleSet, std::uint32_t first, std::uint32_t last);

}  // namespace kelta::dvdreader
