#pragma once
// Which subtitles the video on screen offers, and which one a person chose
// for a disc. A DVD title offers the streams its IFO lists, with their
// languages and the title's palette; a plain MPEG file offers the streams
// found in it, drawn in the decoder's greys for want of a palette. A disc's
// choice is kept between runs in a file of its own beside the library file,
// one line a disc; "Off" is what a disc without a line gets.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "video/DvdDisc.h"

namespace kelta {

// The choice that draws no subtitle.
inline constexpr std::int32_t SubtitlesOff = -1;

struct TSubtitleOffer {
  std::int32_t Stream = 0;   // the sub-picture stream, 0 to 31
  std::string Language;      // as the disc names it ("en"); empty when unknown
  bool FallbackColours = false;  // no palette: the decoder's greys
};

// The streams of a DVD title, in the order its IFO lists them.
std::vector<TSubtitleOffer> DvdSubtitleOffers(const TDvdTitle& title);
// The streams found in a plain file (bit n for stream n), rising.
std::vector<TSubtitleOffer> FileSubtitleOffers(std::uint32_t streams);
// "en, fr" for the title chooser; "–" for a title without subtitles, "?"
// for a stream whose language the disc does not name.
std::string SubtitleLanguagesText(const TDvdTitle& title);

// What names a disc in the file: its volume name and the size of its
// titles, so that two discs of one generic volume name are told apart.
std::string DvdDiscKey(const TDvdDisc& disc);
// The stream kept for the disc; SubtitlesOff when the file has none for it,
// is missing, or says something else.
std::int32_t LoadSubtitleChoice(const std::filesystem::path& file, const std::string& discKey);
// Keeps the disc's choice in `file`, the other discs' as they were (the
// most recent discs first, up to MaxRememberedDiscs); throws
// std::runtime_error when it cannot be written.
void SaveSubtitleChoice(const std::filesystem::path& file, const std::string& discKey, std::int32_t stream);
inline constexpr std::size_t MaxRememberedDiscs = 200;

}  // namespace kelta
