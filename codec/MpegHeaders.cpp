#include "MpegHeaders.h"

#include <limits>
#include <numeric>

namespace kelta::codec {

namespace {

// Big-endian bit reader over a bounded buffer; reads past the end give 0.
class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::size_t size) : Data_(data), Size_(size) {}
  unsigned Read(int bits) {
    unsigned value = 0;
    for (int i = 0; i < bits; ++i) {
      const std::size_t byte = Pos_ >> 3;
      const unsigned bit = byte < Size_ ? (Data_[byte] >> (7 - (Pos_ & 7))) & 1u : 0u;
      value = (value << 1) | bit;
      ++Pos_;
    }
    return value;
  }
  void Skip(int bits) { Pos_ += std::size_t(bits); }

 private:
  const std::uint8_t* Data_;
  std::size_t Size_;
  std::size_t Pos_ = 0;
};

constexpr int RateTable[9][2] = {{0, 0},  {24000, 1001}, {24, 1},  {25, 1},      {30000, 1001},
                                 {30, 1}, {50, 1},       {60000, 1001}, {60, 1}};

// The header's rate times (n + 1) / (d + 1), worked out in 64 bits. A result
// that does not fit is refused and the rate left as it was, as a bad rate
// code is.
void ScaleRate(SequenceState& sequence, unsigned n, unsigned d) {
  if (sequence.headerRateNum <= 0 || sequence.headerRateDen <= 0) return;
  const std::int64_t num = std::int64_t(sequence.headerRateNum) * (std::int64_t(n) + 1);
  const std::int64_t den = std::int64_t(sequence.headerRateDen) * (std::int64_t(d) + 1);
  constexpr std::int64_t Largest = std::numeric_limits<int>::max();
  if (num > Largest || den > Largest) return;
  sequence.rateNum = int(num);
  sequence.rateDen = int(den);
}

// MPEG-2 display aspect codes 2..4 as width:height of the display.
constexpr int Mpeg2Aspect[5][2] = {{0, 0}, {0, 0}, {4, 3}, {16, 9}, {221, 100}};

// MPEG-1 pixel shapes, the pixel's height over its width times 10000, by
// aspect code; 0 for the forbidden and reserved codes.
constexpr int Mpeg1PixelShape[16] = {0,    10000, 6735,  7031,  7615,  8055,  8437,  8935,
                                     9157, 9815,  10255, 10695, 10950, 11575, 12015, 0};

DisplayAspect Reduced(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return {};
  const std::int64_t divisor = std::gcd(width, height);
  width /= divisor;
  height /= divisor;
  if (width > std::numeric_limits<int>::max() || height > std::numeric_limits<int>::max()) return {};
  return {int(width), int(height)};
}

bool IsVideoShape(const DisplayAspect& a) {
  return (a.width == 4 && a.height == 3) || (a.width == 16 && a.height == 9);
}

}  // namespace

DisplayAspect DisplayAspectOf(const SequenceState& sequence) {
  const std::int64_t w = sequence.width, h = sequence.height;
  const int code = sequence.aspectCode;
  if (w <= 0 || h <= 0 || code <= 0 || code > 15) return {};
  if (!sequence.mpeg2) {
    const int shape = Mpeg1PixelShape[code];
    return shape > 0 ? Reduced(w * 10000, h * shape) : DisplayAspect{};
  }
  if (code == 1) return Reduced(w, h);  // square pixels
  if (code > 4) return {};
  const std::int64_t dw = Mpeg2Aspect[code][0], dh = Mpeg2Aspect[code][1];
  // The code gives the shape of the display size of the sequence display
  // extension. That is followed only where it makes the whole picture one of
  // the two shapes video is made in; otherwise the extension marks a
  // pan-and-scan window or the analogue picture width (704 of 720 pixels),
  // and the code speaks for the whole picture, as players show it.
  if (sequence.displayWidth > 0 && sequence.displayHeight > 0) {
    const DisplayAspect whole = Reduced(dw * w * sequence.displayHeight, dh * h * sequence.displayWidth);
    if (IsVideoShape(whole)) return whole;
  }
  return Reduced(dw, dh);
}

PacketHeaders ParsePacketHeaders(const std::uint8_t* data, std::size_t size, SequenceState& sequence) {
  PacketHeaders h;
  bool pictureExtension = false;
  std::size_t i = 0;
  while (i + 4 <= size) {
    if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1) {
      ++i;
      continue;
    }
    const std::uint8_t code = data[i + 3];
    const std::uint8_t* body = data + i + 4;
    const std::size_t rest = size - (i + 4);
    BitReader bits(body, rest);
    if (code >= 0x01 && code <= 0xAF) break;  // first slice: headers are over
    switch (code) {
      case 0xB3: {  // sequence header
        h.sequenceHeader = true;
        sequence.width = int(bits.Read(12));
        sequence.height = int(bits.Read(12));
        sequence.aspectCode = int(bits.Read(4));
        sequence.displayWidth = sequence.displayHeight = 0;  // until its display extension
        const unsigned rateCode = bits.Read(4);
        if (rateCode >= 1 && rateCode <= 8) {
          sequence.rateNum = sequence.headerRateNum = RateTable[rateCode][0];
          sequence.rateDen = sequence.headerRateDen = RateTable[rateCode][1];
        }
        sequence.mpeg2 = false;
        sequence.progressiveSequence = true;  // MPEG-1 pictures are frames
        break;
      }
      case 0xB5: {  // extension
        const unsigned id = bits.Read(4);
        if (id == 1) {  // sequence extension
          sequence.mpeg2 = true;
          bits.Skip(8);
          sequence.progressiveSequence = bits.Read(1) != 0;
          bits.Skip(2);
          sequence.width = int((bits.Read(2) << 12) | unsigned(sequence.width & 0xFFF));
          sequence.height = int((bits.Read(2) << 12) | unsigned(sequence.height & 0xFFF));
          bits.Skip(12 + 1 + 8 + 1);
          const unsigned n = bits.Read(2), d = bits.Read(5);
          ScaleRate(sequence, n, d);
        } else if (id == 2) {  // sequence display extension
          bits.Skip(3);
          if (bits.Read(1) != 0) bits.Skip(24);  // colour description
          sequence.displayWidth = int(bits.Read(14));
          bits.Skip(1);
          sequence.displayHeight = int(bits.Read(14));
        } else if (id == 8 && h.type != PictureType::None) {  // picture coding extension
          pictureExtension = true;
          bits.Skip(16 + 2);
          const unsigned structure = bits.Read(2);
          const bool topFieldFirst = bits.Read(1) != 0;
          bits.Skip(5);  // frame_pred_frame_dct .. alternate_scan
          const bool repeatFirstField = bits.Read(1) != 0;
          bits.Skip(1);
          const bool progressiveFrame = bits.Read(1) != 0;
          if (structure != 3) {
            h.fields = 1;
          } else if (!repeatFirstField) {
            h.fields = 2;
          } else if (sequence.progressiveSequence) {
            h.fields = topFieldFirst ? 6 : 4;
          } else {
            h.fields = progressiveFrame ? 3 : 2;
          }
        }
        break;
      }
      case 0xB8:  // group of pictures
        h.gopHeader = true;
        bits.Skip(25);
        h.closedGop = bits.Read(1) != 0;
        h.brokenLink = bits.Read(1) != 0;
        break;
      case 0x00:  // picture header
        h.temporalReference = int(bits.Read(10));
        h.type = PictureType(bits.Read(3));
        if (h.type > PictureType::D) h.type = PictureType::None;
        h.fields = 2;
        break;
      default:
        break;
    }
    i += 4;
  }
  if (h.type != PictureType::None && !pictureExtension) h.fields = 2;
  return h;
}

}  // namespace kelta::codec
