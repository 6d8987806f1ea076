#pragma once
// The one image type of Kelta: a 24-bit bitmap whose pixel memory is laid out
// exactly as a BMP file stores it (bottom-up rows, blue-green-red, rows padded
// to 4 bytes), so frames, captures and files move as single raw copies. The
// same memory is a drawing surface for the small raster routines below.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kelta {

// A colour as the drawing routines take it: 0x00BBGGRR (red in the low byte).
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}

#pragma pack(push, 1)
// One pixel of a 24-bit buffer, in memory order.
struct TBGRColor {
  std::uint8_t Blue = 0;
  std::uint8_t Green = 0;
  std::uint8_t Red = 0;
  friend bool operator==(const TBGRColor&, const TBGRColor&) = default;
};

// The BMP info header, byte for byte (40 bytes, little-endian on our targets).
struct TBitmapInfoHeader {
  std::uint32_t Size = 40;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::uint16_t Planes = 1;
  std::uint16_t BitCount = 0;
  std::uint32_t Compression = 0;
  std::uint32_t SizeImage = 0;
  std::int32_t XPelsPerMeter = 0;
  std::int32_t YPelsPerMeter = 0;
  std::uint32_t ClrUsed = 0;
  std::uint32_t ClrImportant = 0;
};

struct TRGBQuad {
  std::uint8_t Blue = 0, Green = 0, Red = 0, Reserved = 0;
};
#pragma pack(pop)
static_assert(sizeof(TBGRColor) == 3);
static_assert(sizeof(TBitmapInfoHeader) == 40);

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Left/top inclusive, right/bottom exclusive, as the platform's rectangles.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int WidthOf() const { return Right - Left; }
  int HeightOf() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

enum class TPenStyle { Solid, Clear };
// Copy draws the pen colour; Invert flips every bit of the pixels it covers, so
// drawing the same outline twice erases it (the crop outline relies on this).
enum class TPenMode { Copy, Invert };
enum class TBrushStyle { Solid, Clear };

class TFastDIB {
 public:
  // Largest pixel area a buffer accepts; larger requests leave it empty.
  static constexpr std::int64_t MaxPixelArea = std::int64_t(1) << 28;

  TFastDIB();
  ~TFastDIB();
  TFastDIB(const TFastDIB&) = delete;
  TFastDIB& operator=(const TFastDIB&) = delete;
  TFastDIB(TFastDIB&&) noexcept;
  TFastDIB& operator=(TFastDIB&&) noexcept;

  // Shapes the buffer; an unchanged shape keeps the pixels and costs nothing.
  // A shape that cannot be allocated (zero or negative width, zero height, an
  // absurd area) leaves the buffer empty: no pixel memory, zero rows.
  void SetSize(std::int32_t width, std::int32_t height, std::uint8_t bitCount);

  // Reads a BMP file. Returns false and leaves the buffer empty for a file
  // that is missing, damaged, truncated in its headers, compressed or absurd.
  bool LoadFromFile(const std::string& fileName);
  // Reads a BMP file image held in memory, exactly as LoadFromFile reads a file.
  bool LoadFromMemory(std::span<const std::uint8_t> bytes);
  // Writes the buffer as a BMP file; returns false when nothing complete was written.
  bool SaveToFile(const std::string& fileName) const;
  // The bytes SaveToFile writes, for callers that write files their own way.
  std::string SaveToMemory() const;

  // Block copies onto another buffer, clipped to both buffers. Coordinates
  // are picture coordinates (y counts down from the top picture row).
  void Draw(TFastDIB& dest, int x, int y) const;
  void DrawRegion(TFastDIB& dest, int x, int y, int width, int height, int srcX, int srcY) const;

  // Memory row order: row 0 is the bottom picture row of a positive Height.
  TBGRColor PixelAt(int row, int column) const;
  void Fill(TBGRColor colour);

  // Raster routines on 24-bit buffers; all clip to the buffer and draw straight
  // into the pixels, in picture coordinates. The pen mode applies to everything
  // LineTo, Polygon and Rectangle touch (outline and brush interior alike);
  // within one call no pixel is touched twice, so an inverting figure drawn
  // twice restores the pixels. FillRect always paints with the brush colour.
  // A pen width below 1 draws one pixel wide, above 1024 is drawn 1024 wide.
  void SelectPen(TPenStyle style, int width, COLORREF colour, TPenMode mode = TPenMode::Copy);
  // Only solid and clear brushes exist; the hatch is accepted and ignored.
  void SelectBrush(TBrushStyle style, int hatch, COLORREF colour);
  // Fills left..right-1 by top..bottom-1; an inverted rectangle fills nothing.
  void FillRect(const TRect& rect);
  void MoveTo(int x, int y);
  // One pixel wide: Bresenham from the pen position, end point excluded.
  // Wider: round-capped stroke centred on that line, end point included.
  // The pen position moves to (x, y) either way.
  void LineTo(int x, int y);
  // Even-odd fill of the pixels whose top-left corner lies inside (left and
  // top edges included, right and bottom edges left to the outline), then the
  // closed outline through every point with the pen.
  void Polygon(std::span<const TPoint> points);
  // Corners in any order; with a one-pixel pen the outline covers columns left
  // and right-1 and rows top and bottom-1, the brush fills the inside. Wider
  // pens grow the outline inward by width/2 and outward by (width-1)/2.
  void Rectangle(const TRect& rect);

  std::int32_t Width() const { return Header_.Width; }
  std::int32_t Height() const { return Header_.Height; }
  std::int32_t RowCount() const { return RowCount_; }
  std::uint16_t BitCount() const { return Header_.BitCount; }
  std::int32_t RowStride() const { return RowStride_; }
  std::int32_t RowPadding() const { return RowPadding_; }
  std::uint32_t ImageSize() const { return Header_.SizeImage; }
  std::uint8_t* Bits() { return Bits_.get(); }
  const std::uint8_t* Bits() const { return Bits_.get(); }
  // Entry i is Bits + i * RowStride, in memory order.
  std::span<std::uint8_t* const> Rows() const { return Rows_; }
  const TBitmapInfoHeader& Header() const { return Header_; }
  bool Empty() const { return !Bits_; }
  // Pixels of three bytes to work on: what every pixel routine asks for. A
  // buffer that is not empty has at least one pixel.
  bool HoldsBgr24() const { return !Empty() && BitCount() == 24; }

  // Memory row of a picture row (y down from the top row): bottom-up buffers
  // (positive Height) store the top picture row last.
  std::int32_t MemoryRow(int y) const { return Header_.Height < 0 ? y : RowCount_ - 1 - y; }
  // Address of a 24-bit pixel by picture coordinates (y down from the top row).
  std::uint8_t* PixelPtr(int x, int y) { return Rows_[std::size_t(MemoryRow(y))] + 3 * x; }
  const std::uint8_t* PixelPtr(int x, int y) const { return Rows_[std::size_t(MemoryRow(y))] + 3 * x; }

 private:
  void Reset();
  // The reader behind both loads: the whole stream from its start is the file.
  bool LoadFromStream(std::FILE* file);

  TBitmapInfoHeader Header_;
  TRGBQuad Palette_[256] = {};
  std::int32_t RowCount_ = 0;
  std::int32_t RowStride_ = 0;
  std::int32_t RowPadding_ = 0;
  std::unique_ptr<std::uint8_t[]> Bits_;
  std::vector<std::uint8_t*> Rows_;

  // Drawing state of the surface.
  TPenStyle PenStyle_ = TPenStyle::Solid;
  TPenMode PenMode_ = TPenMode::Copy;
  int PenWidth_ = 1;
  COLORREF PenColour_ = 0;
  TBrushStyle BrushStyle_ = TBrushStyle::Solid;
  COLORREF BrushColour_ = RGB(255, 255, 255);
  TPoint PenPos_;
};

}  // namespace kelta
