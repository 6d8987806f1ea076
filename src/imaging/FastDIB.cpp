#include "imaging/FastDIB.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>
#include <string>

namespace kelta {

namespace {

constexpr std::uint32_t FileHeaderSize = 14;
constexpr std::uint32_t InfoHeaderSize = 40;
constexpr std::uint32_t PaletteBytes = 256 * 4;

std::uint32_t ReadLE32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}

void WriteLE16(std::uint8_t* p, std::uint16_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
}

void WriteLE32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Bytes per stored row: the row's bits rounded up to 32 bits. Bit counts 1 and 4
// are first rounded up to whole bytes, as the original layout rule does.
std::int64_t StrideFor(std::int64_t width, int bitCount) {
  std::int64_t bits = width * bitCount;
  if (bitCount < 8) bits = ((bits + 7) / 8) * 8;
  return ((bits + 31) & ~std::int64_t(31)) / 8;
}

std::int64_t PixelBytesFor(std::int64_t width, int bitCount) { return (width * bitCount + 7) / 8; }

}  // namespace

TFastDIB::TFastDIB() = default;
TFastDIB::~TFastDIB() = default;
// A moved-from buffer is empty in every respect: callers that check the
// dimensions rather than Bits must not find rows without memory.
TFastDIB::TFastDIB(TFastDIB&& other) noexcept { *this = std::move(other); }

TFastDIB& TFastDIB::operator=(TFastDIB&& other) noexcept {
  if (this == &other) return *this;
  Header_ = other.Header_;
  std::copy(std::begin(other.Palette_), std::end(other.Palette_), Palette_);
  RowCount_ = other.RowCount_;
  RowStride_ = other.RowStride_;
  RowPadding_ = other.RowPadding_;
  Bits_ = std::move(other.Bits_);
  Rows_ = std::move(other.Rows_);
  PenStyle_ = other.PenStyle_;
  PenMode_ = other.PenMode_;
  PenWidth_ = other.PenWidth_;
  PenColour_ = other.PenColour_;
  BrushStyle_ = other.BrushStyle_;
  BrushColour_ = other.BrushColour_;
  PenPos_ = other.PenPos_;
  other.Reset();
  return *this;
}

void TFastDIB::Reset() {
  Bits_.reset();
  Rows_.clear();
  Header_.Width = 0;
  Header_.Height = 0;
  Header_.SizeImage = 0;
  RowCount_ = 0;
  RowStride_ = 0;
  RowPadding_ = 0;
}

void TFastDIB::SetSize(std::int32_t width, std::int32_t height, std::uint8_t bitCount) {
  if (Bits_ && width == Header_.Width && height == Header_.Height && bitCount == Header_.BitCount)
    return;

  Reset();
  Header_.BitCount = bitCount;
  Header_.Compression = 0;

  const std::int64_t rows = height < 0 ? -std::int64_t(height) : std::int64_t(height);
  const bool knownDepth = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                          bitCount == 24 || bitCount == 32;
  if (width <= 0 || rows == 0 || !knownDepth || std::int64_t(width) * rows > MaxPixelArea) return;

  const std::int64_t stride = StrideFor(width, bitCount);
  const std::int64_t size = stride * rows;
  std::unique_ptr<std::uint8_t[]> bits(new (std::nothrow) std::uint8_t[size]());
  if (!bits) return;
  // The row table is made first, so that running out of memory for it leaves
  // the buffer empty rather than half shaped.
  try {
    Rows_.resize(std::size_t(rows));
  } catch (const std::bad_alloc&) {
    Rows_.clear();
    return;
  }

  Header_.Width = width;
  Header_.Height = height;
  Header_.SizeImage = std::uint32_t(size);
  RowCount_ = std::int32_t(rows);
  RowStride_ = std::int32_t(stride);
  RowPadding_ = std::int32_t(stride - PixelBytesFor(width, bitCount));
  Bits_ = std::move(bits);
  for (std::int64_t i = 0; i < rows; ++i) Rows_[std::size_t(i)] = Bits_.get() + i * stride;
}

bool TFastDIB::LoadFromFile(const std::string& fileName) {
  // Every rejection leaves the buffer empty, so callers treat a damaged file
  // like a missing one.
  Reset();
  FilePtr file(std::fopen(fileName.c_str(), "rb"));
  return file && LoadFromStream(file.get());
}

bool TFastDIB::LoadFromMemory(std::span<const std::uint8_t> bytes) {
  Reset();
  // An empty file is refused anyway, and a stream over no memory cannot be opened.
  if (bytes.empty()) return false;
  // A read-only stream over the bytes, so that memory takes the very path a
  // file takes; "rb" never writes through the pointer.
  FilePtr stream(fmemopen(const_cast<std::uint8_t*>(bytes.data()), bytes.size(), "rb"));
  return stream && LoadFromStream(stream.get());
}

bool TFastDIB::LoadFromStream(std::FILE* stream) {
  if (std::fseek(stream, 0, SEEK_END) != 0) return false;
  const long fileSize = std::ftell(stream);
  if (fileSize < 0 || std::fseek(stream, 0, SEEK_SET) != 0) return false;

  std::uint8_t head[FileHeaderSize + InfoHeaderSize + PaletteBytes] = {};
  const std::size_t headBytes = std::min<std::size_t>(std::size_t(fileSize), sizeof head);
  if (std::fread(head, 1, headBytes, stream) != headBytes ||
      headBytes < FileHeaderSize + InfoHeaderSize || head[0] != 'B' || head[1] != 'M')
    return false;

  TBitmapInfoHeader info;
  std::memcpy(&info, head + FileHeaderSize, sizeof info);
  const std::uint32_t dataOffset = ReadLE32(head + 10);
  // Only the uncompressed layouts this program writes are read.
  if (info.Size != InfoHeaderSize || info.Planes != 1 || info.Compression != 0 ||
      dataOffset < FileHeaderSize + InfoHeaderSize || dataOffset > std::uint64_t(fileSize))
    return false;

  // The shape is checked in wide arithmetic, and the file must hold every
  // pixel byte it promises, before anything is allocated: a small damaged file
  // never costs a large allocation, and a truncated one is refused.
  const int bitCount = info.BitCount;
  const std::int64_t rows = std::int64_t(info.Height) < 0 ? -std::int64_t(info.Height) : info.Height;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
      bitCount != 32)
    return false;
  if (info.Width <= 0 || rows == 0 || std::int64_t(info.Width) * rows > MaxPixelArea) return false;
  const std::uint64_t imageBytes = std::uint64_t(StrideFor(info.Width, bitCount) * rows);
  if (std::uint64_t(fileSize) - dataOffset < imageBytes) return false;

  std::fill(std::begin(Palette_), std::end(Palette_), TRGBQuad{});
  if (bitCount <= 8) {
    const std::size_t available = headBytes - (FileHeaderSize + InfoHeaderSize);
    std::memcpy(Palette_, head + FileHeaderSize + InfoHeaderSize,
                std::min<std::size_t>(available, PaletteBytes));
  }
  SetSize(info.Width, info.Height, std::uint8_t(bitCount));
  if (!Bits_ || ImageSize() != imageBytes) return Reset(), false;

  if (std::fseek(stream, long(dataOffset), SEEK_SET) != 0 ||
      std::fread(Bits_.get(), 1, ImageSize(), stream) != ImageSize())
    return Reset(), false;
  return true;
}

std::string TFastDIB::SaveToMemory() const {
  std::uint32_t paletteBytes = 0;
  if (Header_.ClrUsed != 0)
    paletteBytes = 4 * std::min<std::uint32_t>(Header_.ClrUsed, 256);
  else if (Header_.Compression == 3)
    paletteBytes = 12;
  else if (Header_.BitCount <= 8 && Header_.BitCount > 0)
    paletteBytes = 4u << Header_.BitCount;

  std::uint8_t fileHeader[FileHeaderSize] = {};
  WriteLE16(fileHeader, 0x4D42);
  WriteLE32(fileHeader + 2, FileHeaderSize + InfoHeaderSize + paletteBytes + ImageSize());
  WriteLE32(fileHeader + 10, FileHeaderSize + InfoHeaderSize + paletteBytes);

  std::string bytes;
  bytes.reserve(FileHeaderSize + InfoHeaderSize + paletteBytes + ImageSize());
  bytes.append(reinterpret_cast<const char*>(fileHeader), sizeof fileHeader);
  bytes.append(reinterpret_cast<const char*>(&Header_), sizeof Header_);
  bytes.append(reinterpret_cast<const char*>(Palette_), paletteBytes);
  if (ImageSize() > 0 && Bits_) bytes.append(reinterpret_cast<const char*>(Bits_.get()), ImageSize());
  return bytes;
}

bool TFastDIB::SaveToFile(const std::string& fileName) const {
  const std::string bytes = SaveToMemory();
  FilePtr file(std::fopen(fileName.c_str(), "wb"));
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  ok = std::fclose(file.release()) == 0 && ok;
  // A half-written bitmap would later load as a damaged picture; leave none.
  if (!ok) std::remove(fileName.c_str());
  return ok;
}

void TFastDIB::Draw(TFastDIB& dest, int x, int y) const {
  DrawRegion(dest, x, y, Width(), RowCount(), 0, 0);
}

void TFastDIB::DrawRegion(TFastDIB& dest, int x, int y, int width, int height, int srcX,
                          int srcY) const {
  if (!HoldsBgr24() || !dest.HoldsBgr24()) return;
  // Clip against the source, then against the destination, moving both origins together.
  std::int64_t sx = srcX, sy = srcY, dx = x, dy = y, w = width, h = height;
  auto clip = [&](std::int64_t& a, std::int64_t& b, std::int64_t& len, std::int64_t limitA) {
    if (a < 0) { b -= a; len += a; a = 0; }
    if (a + len > limitA) len = limitA - a;
  };
  clip(sx, dx, w, Width());
  clip(sy, dy, h, RowCount());
  clip(dx, sx, w, dest.Width());
  clip(dy, sy, h, dest.RowCount());
  if (w <= 0 || h <= 0) return;
  // Within one buffer the rows are copied in the order that never reads a row
  // already overwritten, as a block copy between overlapping areas must.
  const bool backwards = &dest == this && dy > sy;
  for (std::int64_t i = 0; i < h; ++i) {
    const std::int64_t row = backwards ? h - 1 - i : i;
    const std::uint8_t* from = PixelPtr(int(sx), int(sy + row));
    std::uint8_t* to = dest.PixelPtr(int(dx), int(dy + row));
    std::memmove(to, from, std::size_t(w) * 3);
  }
}

TBGRColor TFastDIB::PixelAt(int row, int column) const {
  TBGRColor c;
  std::memcpy(&c, Rows_[std::size_t(row)] + 3 * column, 3);
  return c;
}

void TFastDIB::Fill(TBGRColor colour) {
  if (!HoldsBgr24()) return;
  std::uint8_t* first = Rows_[0];
  for (int x = 0; x < Width(); ++x) std::memcpy(first + 3 * x, &colour, 3);
  for (int r = 1; r < RowCount_; ++r) std::memcpy(Rows_[std::size_t(r)], first, std::size_t(Width()) * 3);
}

}  // namespace kelta
