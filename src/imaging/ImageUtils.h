#pragma once
// Small image routines called by name across Kelta: clamp, random image
// names, frame outline, the playback frame copy and the four colour
// adjustments applied when a frame is saved into the library.

#include <cstdint>
#include <string>

#include "codec/FrameView.h"
#include "imaging/FastDIB.h"

namespace kelta {

// low when value < low (tested first), else high when value > high, else value.
std::int32_t Clamp(std::int32_t value, std::int32_t low, std::int32_t high);

// a × b ÷ c for non-negative a, b and positive c, rounded to the nearest
// integer, an exact half to the even neighbour: a side scaled to keep a
// picture's proportions.
std::int64_t ScaleHalfEven(std::int64_t a, std::int64_t b, std::int64_t c);

// Eight characters: an upper-case letter first, at least one digit, letters and
// digits only, never two equal neighbours.
std::string RandomImageName();

// An outline of the given pen width along the buffer's edges; interior untouched.
void DrawFrame(COLORREF colour, int penWidth, TFastDIB& bitmap);

// Copies a decoded frame into a 24-bit bottom-up buffer of exactly its shape
// (width, rows and row stride). The frame's own shape says how much may be
// read: a buffer of any other shape is refused, nothing is copied and the
// result is false.
bool CopyFrameBits(const FrameView& source, TFastDIB& dib);

// Colour adjustments, in place, pixel bytes only (row padding untouched).
// They are meant to be applied in this order: lightness, contrast, saturation, shift.
void AdjustLightness(TFastDIB& dib, std::int32_t amount);   // -255 .. 255, 0 neutral
void AdjustContrast(TFastDIB& dib, std::int32_t amount);    // -128 .. 255, 0 neutral
void AdjustSaturation(TFastDIB& dib, std::int32_t amount);  // 0 .. 510, 255 neutral
void ShiftColors(TFastDIB& dib, std::int32_t red, std::int32_t green, std::int32_t blue);

}  // namespace kelta
