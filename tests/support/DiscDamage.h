#pragma once
// Damaged copies of an authored DVD, the way scratched discs, half-copied
// folders and broken downloads come: a few bytes of the IFO and BUP files
// changed (bits flipped, runs zeroed or set to 0xFF, a file cut short), or
// the same in a disc image's UDF structures and IFO sectors. Each damage is
// made from a number, so a case can be made again.

#include <cstdint>
#include <string>

namespace kelta::test {

// Copies the folder `disc` (holding VIDEO_TS) to `copy` and damages the copy
// the way number `seed` says. Returns what was done, in words.
std::string DamageDiscFolder(const std::string& disc, const std::string& copy, std::uint32_t seed);

// Copies the disc image `image` to `copy` and damages the copy the way number
// `seed` says: its UDF volume structures, its file entries, or the sectors of
// its IFO files and their backups. Returns what was done, in words.
std::string DamageDiscImage(const std::string& image, const std::string& copy, std::uint32_t seed);

}  // namespace kelta::test
