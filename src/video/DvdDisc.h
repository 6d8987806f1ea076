#pragma once
// A DVD's structure as libdvdread reads it from a disc image or a VIDEO_TS
// folder: its titles with their durations, chapters, picture and the cells
// each one plays, in program order, and the disc's volume name. Nothing here
// decodes video; the decoder plugin reads the cells (TDvdCells).
//
// A disc whose title information (the IFO files and their backups) cannot be
// read still lists its title sets, each as one video of all its title VOBs,
// without chapters, and says what was wrong in Damage.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "video/MPEG2Decoder.h"

namespace kelta {

// A disc that cannot be opened at all, in words for the person who chose it.
class EDvdError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What Kelta says of a title whose sectors are no plain MPEG: Kelta does not
// decrypt.
inline constexpr const char* EncryptedDvdMessage =
    "This DVD is encrypted; Kelta opens unencrypted DVD folders and disc images.";

struct TDvdChapter {
  std::int64_t Position = 0;  // byte offset of its first cell in the title's video
  std::int64_t StartMs = 0;   // from the start of the title
};

struct TDvdTitle {
  std::int32_t Number = 0;      // as the disc counts its titles, from 1
  std::int64_t DurationMs = 0;  // -1 when the disc does not say
  std::vector<TDvdChapter> Chapters;
  std::int32_t Width = 0;  // picture size from the title set's video attributes; 0 when unknown
  std::int32_t Height = 0;
  std::string Aspect;  // "4:3" or "16:9"; empty when unknown
  TDvdCells Cells;     // program order, neighbouring ranges joined
  std::int64_t Bytes() const;
};

struct TDvdDisc {
  std::string Location;  // what libdvdread opens: the image file or the VIDEO_TS folder
  std::string VolumeName;
  std::vector<TDvdTitle> Titles;
  // Empty when the title information was read.
  std::string Damage;
  // Index of the longest title (by duration, then by size); 0 when none.
  std::size_t LongestTitle() const;
};

// What libdvdread should open for what a person chose: a disc image file, a
// VIDEO_TS folder, a folder holding one (in any letter case), or a file inside
// the VIDEO_TS folder; empty when the choice is none of these.
std::string DvdLocation(const std::string& chosen);

// Reads the disc's titles; throws EDvdError when it is no DVD or holds no
// readable title at all.
TDvdDisc ReadDvdDisc(const std::string& chosen);

// True when the title's first sectors cannot be read as plain MPEG: they
// cannot be read at all, hold no MPEG pack headers, or mark their packets as
// scrambled, as an encrypted disc does.
bool TitleEncrypted(const TDvdTitle& title);

// "MY_DISC – Title 2": the title as the status line and messages name it.
std::string DvdTitleName(const TDvdDisc& disc, const TDvdTitle& title);

// A film name from a volume name: underscores become spaces, and a name in
// capitals only gets its words capitalised ("MY_DISC" -> "My Disc"); other
// names keep their letters.
std::string DvdFilmName(const std::string& volumeName);

}  // namespace kelta
