#include "DvdStructureReader.h"

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

namespace kelta::dvdreader {

namespace {

namespace fs = std::filesystem;

static_assert(DvdSectorBytes == DVD_VIDEO_LB_LEN);
// Sectors of a title looked at for plain MPEG: the first few VOBUs.
constexpr std::int64_t ProbeSectorCount = 32;

// Problems are reported through the result; libdvdread's own complaints
// would only clutter the output.
void Silent(void*, dvd_logger_level_t, const char*, va_list) {}

struct CloseReader {
  void operator()(dvd_reader_t* dvd) const { DVDClose(dvd); }
};
struct CloseFile {
  void operator()(dvd_file_t* file) const { DVDCloseFile(file); }
};
struct CloseIfo {
  void operator()(ifo_handle_t* ifo) const { ifoClose(ifo); }
};
using ReaderPtr = std::unique_ptr<dvd_reader_t, CloseReader>;
using FilePtr = std::unique_ptr<dvd_file_t, CloseFile>;
using IfoPtr = std::unique_ptr<ifo_handle_t, CloseIfo>;

ReaderPtr OpenReader(const std::string& location) {
  static const dvd_logger_cb quiet = {&Silent};
  return ReaderPtr(DVDOpen2(nullptr, &quiet, location.c_str()));
}

// BCD hours, minutes and seconds, then frames with the rate in the top bits.
std::int64_t TimeMs(const dvd_time_t& time) {
  auto bcd = [](unsigned value) { return std::int64_t((value >> 4) * 10 + (value & 0x0F)); };
  const std::int64_t seconds = bcd(time.hour) * 3600 + bcd(time.minute) * 60 + bcd(time.second);
  const std::int64_t frames = bcd(time.frame_u & 0x3F);
  const double fps = (time.frame_u >> 6) == 1 ? 25.0 : 30000.0 / 1001.0;
  return seconds * 1000 + std::int64_t(double(frames) * 1000.0 / fps);
}

// The cell a program starts with, from 1; 0 when the chain has no such program.
int EntryCell(const pgc_t& pgc, int program) {
  if (program < 1 || program > pgc.nr_of_programs) return 0;
  const int cell = pgc.program_map[program - 1];
  return cell >= 1 && cell <= pgc.nr_of_cells ? cell : 0;
}

void AddRange(std::vector<KeltaCodecSectorRange>& ranges, std::uint32_t first, std::uint32_t last) {
  if (!ranges.empty() && ranges.back().Last + 1 == first) {
    ranges.back().Last = last;
    return;
  }
  ranges.push_back(KeltaCodecSectorRange{first, last});
}

void ReadPicture(const vtsi_mat_t& mat, TDvdTitle& title) {
  const video_attr_t& video = mat.vts_video_attr;
  const bool pal = video.video_format == 1;
  static constexpr std::int32_t widths[4] = {720, 704, 352, 352};
  title.Width = widths[video.picture_size];
  title.Height = (pal ? 576 : 480) / (video.picture_size == 3 ? 2 : 1);
  title.Aspect = video.display_aspect_ratio == 3 ? "16:9" : "4:3";
}

// The subtitle streams the title set describes and its chain lets play, and
// the chain's palette.
void ReadSubtitles(const vtsi_mat_t& mat, const pgc_t& pgc, TDvdTitle& title) {
  const bool wide = mat.vts_video_attr.display_aspect_ratio == 3;
  const int streams = std::min<int>(mat.nr_of_vts_subp_streams, 32);
  for (int i = 0; i < streams; ++i) {
    const std::uint32_t control = pgc.subp_control[i];
    if ((control & 0x80000000u) == 0) continue;
    const subp_attr_t& attributes = mat.vts_subp_attr[i];
    std::string language;
    const char first = char(std::tolower(attributes.lang_code >> 8)), second = char(std::tolower(attributes.lang_code & 0xFF));
    if (attributes.type == 1 && first >= 'a' && first <= 'z' && second >= 'a' && second <= 'z')
      language = std::string{first, second};
    const int stream = int((control >> (wide ? 16 : 24)) & 0x1F);
    title.Subtitles.push_back(TDvdSubtitleStream{stream, language});
  }
  // The chain is packed: its colours are copied one by one.
  for (int i = 0; i < 16; ++i) title.Palette.push_back(std::uint32_t(pgc.palette[i]) & 0xFFFFFF);
}

// The title's cells in program order, from the program of its first chapter
// to the end of that program chain; its chapters where they lie in it.
bool ReadTitle(const ifo_handle_t& vts, const title_info_t& info, TDvdTitle& title) {
  const vts_ptt_srpt_t* parts = vts.vts_ptt_srpt;
  if (info.vts_ttn < 1 || info.vts_ttn > parts->nr_of_srpts) return false;
  const ttu_t& chapters = parts->title[info.vts_ttn - 1];
  if (chapters.nr_of_ptts < 1 || !chapters.ptt) return false;
  const int chain = chapters.ptt[0].pgcn;
  if (chain < 1 || chain > vts.vts_pgcit->nr_of_pgci_srp) return false;
  const pgc_t* pgc = vts.vts_pgcit->pgci_srp[chain - 1].pgc;
  if (!pgc || !pgc->program_map || !pgc->cell_playback) return false;
  const int firstCell = EntryCell(*pgc, chapters.ptt[0].pgn);
  if (firstCell == 0) return false;

  struct Start {
    std::int64_t position = -1;
    std::int64_t ms = 0;
  };
  std::vector<Start> cellStarts(pgc->nr_of_cells);
  std::int64_t position = 0, ms = 0;
  for (int c = firstCell; c <= pgc->nr_of_cells; ++c) {
    const cell_playback_t& cell = pgc->cell_playback[c - 1];
    // Of an angle block only the first angle plays.
    if (cell.block_type == BLOCK_TYPE_ANGLE_BLOCK && cell.block_mode != BLOCK_MODE_FIRST_CELL) continue;
    if (cell.last_sector < cell.first_sector) continue;
    cellStarts[std::size_t(c - 1)] = Start{position, ms};
    AddRange(title.Cells.Ranges, cell.first_sector, cell.last_sector);
    position += (std::int64_t(cell.last_sector) - cell.first_sector + 1) * DvdSectorBytes;
    ms += TimeMs(cell.playback_time);
  }
  if (title.Cells.Ranges.empty()) return false;
  title.DurationMs = ms;
  for (int k = 0; k < chapters.nr_of_ptts; ++k) {
    // A chapter in another program chain is not part of what plays.
    if (chapters.ptt[k].pgcn != chain) continue;
    const int cell = EntryCell(*pgc, chapters.ptt[k].pgn);
    if (cell == 0 || cellStarts[std::size_t(cell - 1)].position < 0) continue;
    const Start& start = cellStarts[std::size_t(cell - 1)];
    if (!title.Chapters.empty() && title.Chapters.back().Position >= start.position) continue;
    title.Chapters.push_back(TDvdChapter{start.position, start.ms});
  }
  ReadPicture(*vts.vtsi_mat, title);
  ReadSubtitles(*vts.vtsi_mat, *pgc, title);
  return true;
}

// Every title the disc's title information lists; false when that
// information, or a title set's, cannot be read.
bool ReadTitles(dvd_reader_t* dvd, const std::string& location, TDvdDisc& disc) {
  IfoPtr vmg(ifoOpen(dvd, 0));
  if (!vmg || !vmg->tt_srpt) return false;
  std::map<int, IfoPtr> sets;
  const tt_srpt_t& titles = *vmg->tt_srpt;
  for (int i = 0; i < titles.nr_of_srpts; ++i) {
    const title_info_t& info = titles.title[i];
    if (info.title_set_nr < 1 || info.title_set_nr > 99) return false;
    IfoPtr& vts = sets[info.title_set_nr];
    if (!vts) vts.reset(ifoOpen(dvd, info.title_set_nr));
    if (!vts || !vts->vtsi_mat || !vts->vts_ptt_srpt || !vts->vts_pgcit) return false;
    TDvdTitle title;
    title.Number = i + 1;
    title.Cells.Disc = location;
    title.Cells.TitleSet = info.title_set_nr;
    if (!ReadTitle(*vts, info, title)) return false;
    disc.Titles.push_back(std::move(title));
  }
  return !disc.Titles.empty();
}

// Without title information: each title set's title VOBs as one video.
std::vector<TDvdTitle> WholeTitleSets(dvd_reader_t* dvd, const std::string& location) {
  std::vector<TDvdTitle> sets;
  for (int set = 1; set <= 99; ++set) {
    FilePtr vobs(DVDOpenFile(dvd, set, DVD_READ_TITLE_VOBS));
    if (!vobs) break;
    const ssize_t sectors = DVDFileSize(vobs.get());
    if (sectors <= 0) continue;
    TDvdTitle title;
    title.Number = set;
    title.DurationMs = -1;
    title.Cells = TDvdCells{location, set, {KeltaCodecSectorRange{0, std::uint32_t(sectors - 1)}}};
    sets.push_back(std::move(title));
  }
  return sets;
}

std::string Trimmed(const char* text) {
  std::string s(text);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
  return s;
}

std::string VolumeName(dvd_reader_t* dvd, const std::string& location) {
  char name[33] = {};
  unsigned char set[128];
  if (DVDUDFVolumeInfo(dvd, name, sizeof name, set, sizeof set) == 0 && !Trimmed(name).empty()) return Trimmed(name);
  if (DVDISOVolumeInfo(dvd, name, sizeof name, set, sizeof set) == 0 && !Trimmed(name).empty()) return Trimmed(name);
  // A folder has no volume: the folder that holds VIDEO_TS names the disc.
  const fs::path folder = fs::path(location).parent_path();
  const std::string named = folder.filename().string();
  return named.empty() ? std::string("DVD") : named;
}

// Whether a sector is an MPEG pack whose packets are all in the clear.
bool PlainPack(const std::uint8_t* sector) {
  if (sector[0] != 0 || sector[1] != 0 || sector[2] != 1 || sector[3] != 0xBA) return false;
  if ((sector[4] & 0xC0) != 0x40) return false;  // not an MPEG-2 pack header
  std::size_t at = 14 + (sector[13] & 0x07);
  while (at + 6 <= std::size_t(DvdSectorBytes)) {
    const std::uint8_t* packet = sector + at;
    if (packet[0] != 0 || packet[1] != 0 || packet[2] != 1) return false;
    const std::uint8_t stream = packet[3];
    const std::size_t length = std::size_t(packet[4]) << 8 | packet[5];
    // System header, padding and navigation packets carry no PES header.
    const bool pesHeader = stream != 0xBB && stream != 0xBE && stream != 0xBF;
    if (pesHeader && at + 7 <= std::size_t(DvdSectorBytes) && (packet[6] & 0x30) != 0) return false;
    at += 6 + length;
  }
  return true;
}

}  // namespace

TReadEnd ReadStructure(const std::string& location, TTitleSource source, TDvdDisc& disc) {
  disc = TDvdDisc{};
  disc.Location = location;
  ReaderPtr dvd = OpenReader(location);
  if (!dvd) return TReadEnd::NotADvd;
  disc.VolumeName = VolumeName(dvd.get(), location);
  if (source == TTitleSource::TitleSetsOnly || !ReadTitles(dvd.get(), location, disc)) {
    disc.Titles = WholeTitleSets(dvd.get(), location);
    disc.Damage = TitleInformationDamage(disc.VolumeName);
  }
  return disc.Titles.empty() ? TReadEnd::NoVideo : TReadEnd::Read;
}

TSectors ProbeSectors(const std::string& location, int titleSet, std::uint32_t first, std::uint32_t last) {
  if (last < first) return TSectors::Unreadable;
  ReaderPtr dvd = OpenReader(location);
  if (!dvd) return TSectors::Unreadable;
  FilePtr vobs(DVDOpenFile(dvd.get(), titleSet, DVD_READ_TITLE_VOBS));
  // The plugin asks for the size before it reads; so does this, so that
  // whatever libdvdread does on that path has been done here first.
  if (!vobs || DVDFileSize(vobs.get()) <= std::int64_t(last)) return TSectors::Unreadable;
  const std::int64_t count = std::min<std::int64_t>(ProbeSectorCount, std::int64_t(last) - first + 1);
  std::vector<std::uint8_t> sectors(std::size_t(count * DvdSectorBytes));
  if (DVDReadBlocks(vobs.get(), int(first), std::size_t(count), sectors.data()) != count) return TSectors::Unreadable;
  for (std::int64_t i = 0; i < count; ++i)
    if (!PlainPack(sectors.data() + i * DvdSectorBytes)) return TSectors::Scrambled;
  return TSectors::Plain;
}

}  // namespace kelta::dvdreader
