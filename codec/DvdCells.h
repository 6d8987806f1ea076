#pragma once
// The cells of a DVD title, read through libdvdread as one continuous byte
// stream: from a disc image without unpacking it, or from a VIDEO_TS folder.
// The cells are sector ranges of their title set's title VOBs, taken in the
// order given, so a title plays its own cells in program order and nothing
// else of its title set.

#include <cstdint>
#include <string>
#include <vector>

#include "ByteStream.h"
#include "CodecApi.h"

struct dvd_reader_s;
struct dvd_file_s;

namespace kelta::codec {

class DvdCellStream : public ByteStream {
 public:
  DvdCellStream() = default;
  ~DvdCellStream() override;
  DvdCellStream(const DvdCellStream&) = delete;
  DvdCellStream& operator=(const DvdCellStream&) = delete;

  // False when the disc, its title set or a cell cannot be found.
  bool Open(const std::string& disc, int titleSet, const std::vector<KeltaCodecSectorRange>& cells);

  std::int64_t Size() const override { return Size_; }
  std::int64_t Tell() const override { return Pos_; }
  long Read(std::uint8_t* buffer, long size) override;
  void SeekTo(std::int64_t pos) override;

 private:
  struct Cell {
    std::uint32_t firstSector = 0;
    std::int64_t start = 0;  // byte offset in the stream
    std::int64_t size = 0;
  };
  // Fills the chunk with the sectors from the one holding Pos_ to the end of
  // its cell, at most ChunkSectors of them; false when they cannot be read.
  bool LoadChunkAt(std::int64_t pos);

  dvd_reader_s* Disc_ = nullptr;
  dvd_file_s* Vobs_ = nullptr;
  std::vector<Cell> Cells_;
  std::int64_t Size_ = 0;
  std::int64_t Pos_ = 0;
  // Sectors read last, as stream bytes [ChunkStart_, ChunkStart_ + Chunk_.size()).
  std::vector<std::uint8_t> Chunk_;
  std::int64_t ChunkStart_ = 0;
};

}  // namespace kelta::codec
