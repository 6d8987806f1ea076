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
  if (vobs_) DVDCloseFile(vobs_);
  if (disc_) DVDClose(disc_);
}

bool DvdCellStream::Open(const std::string& disc, int titleSet, const std::vector<KeltaCodecSectorRange>& cells) {
  if (titleSet < 1 || titleSet > 99 || cells.empty()) return false;
  static const dvd_logger_cb quiet = {&Silent};
  disc_ = DVDOpen2(nullptr, &quiet, disc.c_str());
  if (!disc_) return false;
  vobs_ = DVDOpenFile(disc_, titleSet, DVD_READ_TITLE_VOBS);
  if (!vobs_) return false;
  const ssize_t sectors = DVDFileSize(vobs_);
  for (const KeltaCodecSectorRange& range : cells) {
    if (range.Last < range.First || std::int64_t(range.Last) >= std::int64_t(sectors)) return false;
    const std::int64_t bytes = (std::int64_t(range.Last) - range.First + 1) * SectorBytes;
    cells_.push_back(Cell{range.First, size_, bytes});
    size_ += bytes;
  }
  return true;
}

bool DvdCellStream::LoadChunkAt(std::int64_t pos) {
  // The cell holding pos: the last one starting at or before it.
  auto it = std::upper_bound(cells_.begin(), cells_.end(), pos,
                             [](std::int64_t p, const Cell& c) { return p < c.start; });
  const Cell& cell = *(it - 1);
  const std::int64_t sectorInCell = (pos - cell.start) / SectorBytes;
  const std::int64_t count = std::min(ChunkSectors, cell.size / SectorBytes - sectorInCell);
  chunk_.resize(std::size_t(count * SectorBytes));
  const ssize_t got =
      DVDReadBlocks(vobs_, int(cell.firstSector + sectorInCell), std::size_t(count), chunk_.data());
  if (got != count) {
    chunk_.clear();
    return false;
  }
  chunkStart_ = cell.start + sectorInCell * SectorBytes;
  return true;
}

long DvdCellStream::Read(std::uint8_t* buffer, long size) {
  long done = 0;
  while (done < size && pos_ < size_) {
    const bool inChunk = pos_ >= chunkStart_ && pos_ < chunkStart_ + std::int64_t(chunk_.size());
    if (!inChunk && !LoadChunkAt(pos_)) return done > 0 ? done : -1;
    const std::int64_t offset = pos_ - chunkStart_;
    const std::int64_t want = std::min<std::int64_t>(size - done, std::int64_t(chunk_.size()) - offset);
    std::memcpy(buffer + done, chunk_.data() + offset, std::size_t(want));
    done += long(want);
    pos_ += want;
  }
  return done;
}

void DvdCellStream::SeekTo(std::int64_t pos) { pos_ = std::clamp<std::int64_t>(pos, 0, size_); }

}  // namespace kelta::codec
