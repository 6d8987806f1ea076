#include "DvdCells.h"

#include <dvdread/dvd_reader.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace kelta::codec {

namespace {

constexpr std::int64_t SectorBytes = DVD_VIDEO_LB_LEN;
// Sectors read at once: large reads keep a disc image as fast as a file.
constexpr std::int64_t ChunkSectors = 64;

// A disc that cannot be read is answered by a failed open; libdvdread's own
// complaints would only clutter the program's output.
void Silent(void*, dvd_logger_level_t, const char*, va_list) {}

}  // namespace

DvdCellStream::~DvdCellStream() {
  if (Vobs_) DVDCloseFile(Vobs_);
  if (Disc_) DVDClose(Disc_);
}

bool DvdCellStream::Open(const std::string& disc, int titleSet, const std::vector<KeltaCodecSectorRange>& cells) {
  if (titleSet < 1 || titleSet > 99 || cells.empty()) return false;
  static const dvd_logger_cb quiet = {&Silent};
  Disc_ = DVDOpen2(nullptr, &quiet, disc.c_str());
  if (!Disc_) return false;
  Vobs_ = DVDOpenFile(Disc_, titleSet, DVD_READ_TITLE_VOBS);
  if (!Vobs_) return false;
  const ssize_t sectors = DVDFileSize(Vobs_);
  for (const KeltaCodecSectorRange& range : cells) {
    if (range.Last < range.First || std::int64_t(range.Last) >= std::int64_t(sectors)) return false;
    const std::int64_t bytes = (std::int64_t(range.Last) - range.First + 1) * SectorBytes;
    Cells_.push_back(Cell{range.First, Size_, bytes});
    Size_ += bytes;
  }
  return true;
}

bool DvdCellStream::LoadChunkAt(std::int64_t pos) {
  // The cell holding pos: the last one starting at or before it.
  auto it = std::upper_bound(Cells_.begin(), Cells_.end(), pos,
                             [](std::int64_t p, const Cell& c) { return p < c.start; });
  const Cell& cell = *(it - 1);
  const std::int64_t sectorInCell = (pos - cell.start) / SectorBytes;
  const std::int64_t count = std::min(ChunkSectors, cell.size / SectorBytes - sectorInCell);
  Chunk_.resize(std::size_t(count * SectorBytes));
  const ssize_t got =
      DVDReadBlocks(Vobs_, int(cell.firstSector + sectorInCell), std::size_t(count), Chunk_.data());
  if (got != count) {
    Chunk_.clear();
    return false;
  }
  ChunkStart_ = cell.start + sectorInCell * SectorBytes;
  return true;
}

long DvdCellStream::Read(std::uint8_t* buffer, long size) {
  long done = 0;
  while (done < size && Pos_ < Size_) {
    const bool inChunk = Pos_ >= ChunkStart_ && Pos_ < ChunkStart_ + std::int64_t(Chunk_.size());
    if (!inChunk && !LoadChunkAt(Pos_)) return done > 0 ? done : -1;
    const std::int64_t offset = Pos_ - ChunkStart_;
    const std::int64_t want = std::min<std::int64_t>(size - done, std::int64_t(Chunk_.size()) - offset);
    std::memcpy(buffer + done, Chunk_.data() + offset, std::size_t(want));
    done += long(want);
    Pos_ += want;
  }
  return done;
}

void DvdCellStream::SeekTo(std::int64_t pos) { Pos_ = std::clamp<std::int64_t>(pos, 0, Size_); }

}  // namespace kelta::codec
