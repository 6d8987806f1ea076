#pragma once
// A DVD's structure: its titles with their durations, chapters, picture,
// subtitle streams and the cells each one plays, in program order, and the
// disc's volume name. Nothing here decodes video; the decoder plugin reads
// the cells (TDvdCells).
//
// The structure is read by the DVD reader, a small program beside Kelta
// (kelta-dvd-reader), never in Kelta's own process: libdvdread's parsing of a
// damaged disc can crash or hang, and a disc is untrusted input. Kelta checks
// what the reader prints (DvdStructureText.h) before it uses any of it.
//
// A disc whose title information (the IFO files and their backups) cannot be
// read still lists its title sets, each as one video of all its title VOBs,
// without chapters, and says what was wrong in Damage.

#include <chrono>
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

// What Kelta says when the reader crashed, hung or printed nonsense, and not
// even the title sets' video files could be listed.
inline constexpr const char* DamagedDvdMessage =
    "The DVD's structure is damaged; Kelta could not read its titles.";

// A subtitle stream a title offers: the sub-picture stream it plays (0 to 31)
// and its language as the disc names it ("en"; empty when it does not).
struct TDvdSubtitleStream {
  std::int32_t Stream = 0;
  std::string Language;
};

struct TDvdTitle {
  std::int32_t Number = 0;      // as the disc counts its titles, from 1
  std::int64_t DurationMs = 0;  // -1 when the disc does not say
  std::vector<TDvdChapter> Chapters;
  std::int32_t Width = 0;  // picture size from the title set's video attributes; 0 when unknown
  std::int32_t Height = 0;
  std::string Aspect;  // "4:3" or "16:9"; empty when unknown
  TDvdCells Cells;     // program order, neighbouring ranges joined
  std::vector<TDvdSubtitleStream> Subtitles;
  // The sixteen colours its subtitles are drawn from, as the disc gives them
  // (0x00YYCrCb); empty when unknown.
  std::vector<std::uint32_t> Palette;
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

// Where the DVD reader is and how long it may take for one answer. By
// default the reader beside the running program, given 20 s.
struct TDvdReaderPlace {
  std::string Program;
  std::chrono::milliseconds Limit{20000};
};
void SetDvdReaderPlace(TDvdReaderPlace place);
// The reader in `folder`, with the default time limit.
void SetDvdReaderFolder(const std::string& folder);

// Reads the disc's titles through the DVD reader. When the reader crashes,
// hangs or answers nonsense, the disc's title sets are listed as plain video
// with Damage set, as for unreadable title information; when even that
// fails, EDvdError with DamagedDvdMessage. Throws EDvdError when it is no DVD
// or holds no readable title at all.
TDvdDisc ReadDvdDisc(const std::string& chosen);

// True when the title's first sectors cannot be read as plain MPEG: they
// cannot be read at all, hold no MPEG pack headers, or mark their packets as
// scrambled, as an encrypted disc does. The reader reads them the way the
// decoder plugin will; a reader that crashes or hangs on that throws
// EDvdError with DamagedDvdMessage, so that the plugin never tries.
bool TitleEncrypted(const TDvdTitle& title);

// What Damage says when the title information of the disc named
// `volumeName` cannot be read.
std::string TitleInformationDamage(const std::string& volumeName);

// "MY_DISC – Title 2": the title as the status line and messages name it.
std::string DvdTitleName(const TDvdDisc& disc, const TDvdTitle& title);

// A film name from a volume name: underscores become spaces, and a name in
// capitals only gets its words capitalised ("MY_DISC" -> "My Disc"); other
// names keep their letters.
std::string DvdFilmName(const std::string& volumeName);

}  // namespace kelta
