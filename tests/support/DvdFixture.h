#pragma once
// DVDs for tests, made at test time by the real authoring tools: dvdauthor
// writes a VIDEO_TS folder from MPEG-2 program streams written by
// WriteMpeg2ProgramStream, and genisoimage makes a UDF disc image of it.
// A missing tool is an error that names it, never a skipped test.

#include <string>
#include <vector>

#include "support/VideoFixture.h"

namespace kelta::test {

struct DvdTitleSource {
  Mpeg2StreamOptions video;  // format "dvd": DVD-compliant program stream with sound
  std::string chapters;      // dvdauthor's chapter starts, "0,1,2.5" (seconds)
};

// Writes every title's video as `work`/title-N.mpg and authors them, in
// order, as titles of one title set into `disc`/VIDEO_TS. Returns the
// videos' paths. Throws std::runtime_error with the tool's output on failure.
std::vector<std::string> AuthorDvd(const std::string& work, const std::string& disc,
                                   const std::vector<DvdTitleSource>& titles);

// A UDF disc image of the folder `disc` (holding VIDEO_TS), named `volume`.
void MakeDiscImage(const std::string& disc, const std::string& image, const std::string& volume);

// How the sectors of an encrypted disc read without its keys: packets marked
// scrambled with their payload scrambled (as from a disc image), or no MPEG
// at all (as a drive that refuses them leaves a copy).
enum class SectorSpoil { Scrambled, Unreadable };

// Spoils every sector of a VOB file.
void SpoilSectors(const std::string& vob, SectorSpoil how);

// Overwrites a file with zeros, keeping its size.
void ZeroFile(const std::string& path);

// Bytes [first, last] sectors of a file, appended to `out` in the order given.
void CopySectors(const std::string& from, unsigned first, unsigned last, const std::string& to);

}  // namespace kelta::test
