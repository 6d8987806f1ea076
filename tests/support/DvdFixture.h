#pragma once
// DVDs for tests, made at test time by the real authoring tools: dvdauthor
// writes a VIDEO_TS folder from MPEG-2 program streams written by
// WriteMpeg2ProgramStream, and genisoimage makes a UDF disc image of it.
// A missing tool is an error that names it, never a skipped test.

#include <cstdint>
#include <string>
#include <vector>

#include "support/VideoFixture.h"

namespace kelta::test {

// A subtitle picture spumux lays into a title: a PNG with at most three
// colours besides clear, shown from `start` to `end` (seconds) with its top
// left corner at (x, y) of the frame.
struct DvdSubtitlePicture {
  std::string png;
  double start = 0, end = 0;
  int x = 0, y = 0;
};
// One sub-picture stream: its language as the title set declares it ("en")
// and its pictures. spumux takes the pictures' colours into the palette it
// hands dvdauthor.
struct DvdSubtitleStream {
  std::string language;
  std::vector<DvdSubtitlePicture> pictures;
};

struct DvdTitleSource {
  Mpeg2StreamOptions video;  // format "dvd": DVD-compliant program stream with sound
  std::string chapters;      // dvdauthor's chapter starts, "0,1,2.5" (seconds)
  // Sub-picture streams 0, 1, ... muxed in by spumux; the title set
  // declares the languages of the first title's streams.
  std::vector<DvdSubtitleStream> subtitles;
};

// Writes every title's video as `work`/title-N.mpg (with its subtitles muxed
// in, when it has some) and authors them, in order, as titles of one title
// set into `disc`/VIDEO_TS. Returns the videos' paths. Throws
// std::runtime_error with the tool's output on failure.
std::vector<std::string> AuthorDvd(const std::string& work, const std::string& disc,
                                   const std::vector<DvdTitleSource>& titles);

// Writes `rgba` (4 bytes a pixel: red, green, blue, opacity; rows top to
// bottom) as a PNG file. Throws std::runtime_error on failure.
void WriteRgbaPng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba);

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
