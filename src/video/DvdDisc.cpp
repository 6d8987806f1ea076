#include "video/DvdDisc.h"

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <filesystem>
#include <map>
#include <memory>

namespace kelta {

namespace {

namespace fs = std::filesystem;

static_assert(DvdSectorBytes == DVD_VIDEO_LB_LEN);
// Sectors of a title looked at for plain MPEG: the first few VOBUs.
constexpr std::int64_t ProbeSectors = 32;

// Problems are reported through the exceptions and Damage; libdvdread's own
// complaints would only clutter the program's output.
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

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
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

std::int64_t TDvdTitle::Bytes() const {
  std::int64_t bytes = 0;
  for (const KeltaCodecSectorRange& r : Cells.Ranges) bytes += (std::int64_t(r.Last) - r.First + 1) * DvdSectorBytes;
  return bytes;
}

std::size_t TDvdDisc::LongestTitle() const {
  auto longer = [](const TDvdTitle& a, const TDvdTitle& b) {
    return a.DurationMs != b.DurationMs ? a.DurationMs < b.DurationMs : a.Bytes() < b.Bytes();
  };
  const auto it = std::max_element(Titles.begin(), Titles.end(), longer);
  return it == Titles.end() ? 0 : std::size_t(it - Titles.begin());
}

std::string DvdLocation(const std::string& chosen) {
  std::error_code ec;
  fs::path path = fs::path(chosen).lexically_normal();
  if (!path.has_filename()) path = path.parent_path();
  const fs::file_status status = fs::status(path, ec);
  if (ec) return {};
  const std::string name = Lower(path.filename().string());
  if (fs::is_regular_file(status)) {
    const std::string extension = Lower(path.extension().string());
    if (extension == ".iso") return path.string();
    // A file of the VIDEO_TS folder stands for the folder.
    const bool discFile = extension == ".ifo" || extension == ".bup";
    if (discFile && Lower(path.parent_path().filename().string()) == "video_ts") return path.parent_path().string();
    return {};
  }
  if (!fs::is_directory(status)) return {};
  if (name == "video_ts") return path.string();
  for (const fs::directory_entry& entry : fs::directory_iterator(path, ec)) {
    if (Lower(entry.path().filename().string()) == "video_ts" && entry.is_directory(ec)) return entry.path().string();
  }
  return {};
}

TDvdDisc ReadDvdDisc(const std::string& chosen) {
  TDvdDisc disc;
  disc.Location = DvdLocation(chosen);
  if (disc.Location.empty())
    throw EDvdError(chosen + " is no DVD: choose a folder that holds VIDEO_TS, the VIDEO_TS folder or a disc image (.iso)");
  ReaderPtr dvd = OpenReader(disc.Location);
  if (!dvd) throw EDvdError("Unable to open the DVD " + chosen + ". It cannot be read as a DVD");
  disc.VolumeName = VolumeName(dvd.get(), disc.Location);
  if (!ReadTitles(dvd.get(), disc.Location, disc)) {
    disc.Titles = WholeTitleSets(dvd.get(), disc.Location);
    disc.Damage = "The title information of the DVD " + disc.VolumeName +
                  " is damaged, so its titles and chapters are unknown; Kelta reads its video files as plain video.";
  }
  if (disc.Titles.empty()) throw EDvdError("Unable to open the DVD " + chosen + ". It holds no video that can be read");
  return disc;
}

bool TitleEncrypted(const TDvdTitle& title) {
  if (title.Cells.Empty()) return false;
  ReaderPtr dvd = OpenReader(title.Cells.Disc);
  if (!dvd) return true;
  FilePtr vobs(DVDOpenFile(dvd.get(), title.Cells.TitleSet, DVD_READ_TITLE_VOBS));
  if (!vobs) return true;
  const KeltaCodecSectorRange& first = title.Cells.Ranges.front();
  const std::int64_t count = std::min<std::int64_t>(ProbeSectors, std::int64_t(first.Last) - first.First + 1);
  std::vector<std::uint8_t> sectors(std::size_t(count * DvdSectorBytes));
  // A drive refuses encrypted sectors it has not been unlocked for.
  if (DVDReadBlocks(vobs.get(), int(first.First), std::size_t(count), sectors.data()) != count) return true;
  for (std::int64_t i = 0; i < count; ++i)
    if (!PlainPack(sectors.data() + i * DvdSectorBytes)) return true;
  return false;
}

std::string DvdTitleName(const TDvdDisc& disc, const TDvdTitle& title) {
  return disc.VolumeName + " \u2013 Title " + std::to_string(title.Number);
}

std::string DvdFilmName(const std::string& volumeName) {
  std::string name = volumeName;
  std::replace(name.begin(), name.end(), '_', ' ');
  const bool capitalsOnly =
      std::none_of(name.begin(), name.end(), [](char c) { return std::islower(static_cast<unsigned char>(c)); });
  if (capitalsOnly) {
    bool wordStart = true;
    for (char& c : name) {
      const auto u = static_cast<unsigned char>(c);
      c = char(wordStart ? std::toupper(u) : std::tolower(u));
      wordStart = c == ' ';
    }
  }
  return name;
}

}  // namespace kelta
