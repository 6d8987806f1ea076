// The display aspect the plugin reads from sequence headers, over headers
// assembled bit by bit: the codes of both MPEG versions, the forbidden and
// reserved ones, and sequence display extensions that do and do not describe
// the shape of the whole picture.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "codec/MpegHeaders.h"

namespace {

using kelta::codec::DisplayAspect;
using kelta::codec::DisplayAspectOf;
using kelta::codec::ParsePacketHeaders;
using kelta::codec::SequenceState;

class BitWriter {
 public:
  void StartCode(std::uint8_t code) {
    Align();
    Bytes_.insert(Bytes_.end(), {0x00, 0x00, 0x01, code});
  }
  void Put(unsigned value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (Used_ == 0) Bytes_.push_back(0);
      if ((value >> i) & 1u) Bytes_.back() = std::uint8_t(Bytes_.back() | (0x80u >> Used_));
      Used_ = (Used_ + 1) % 8;
    }
  }
  const std::vector<std::uint8_t>& Bytes() {
    Align();
    return Bytes_;
  }

 private:
  void Align() { Used_ = 0; }
  std::vector<std::uint8_t> Bytes_;
  int Used_ = 0;
};

struct HeaderCase {
  const char* name;
  bool mpeg2;
  int width, height, code;
  int displayWidth, displayHeight;  // 0: no sequence display extension
  bool colourDescription;
  DisplayAspect expected;
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

// A sequence header, for MPEG-2 its extension and the display extension
// asked for, and a picture header: the packet that starts a group.
std::vector<std::uint8_t> SequencePacket(const HeaderCase& c) {
  BitWriter w;
  w.StartCode(0xB3);
  w.Put(unsigned(c.width), 12);
  w.Put(unsigned(c.height), 12);
  w.Put(unsigned(c.code), 4);
  w.Put(3, 4);       // 25 frames per second
  w.Put(20000, 18);  // bit rate
  w.Put(1, 1);       // marker
  w.Put(112, 10);    // VBV buffer size
  w.Put(0, 3);       // constrained, no quantiser matrices
  if (c.mpeg2) {
    w.StartCode(0xB5);
    w.Put(1, 4);     // sequence extension
    w.Put(0x48, 8);  // main profile at main level
    w.Put(0, 1);     // interlaced sequence
    w.Put(1, 2);     // 4:2:0
    w.Put(0, 2 + 2 + 12);
    w.Put(1, 1);  // marker
    w.Put(0, 8 + 1 + 2 + 5);
    if (c.displayWidth > 0) {
      w.StartCode(0xB5);
      w.Put(2, 4);  // sequence display extension
      w.Put(1, 3);  // PAL
      w.Put(c.colourDescription ? 1 : 0, 1);
      if (c.colourDescription) w.Put(0x050505, 24);
      w.Put(unsigned(c.displayWidth), 14);
      w.Put(1, 1);  // marker
      w.Put(unsigned(c.displayHeight), 14);
    }
  }
  w.StartCode(0x00);
  w.Put(0, 10);       // temporal reference
  w.Put(1, 3);        // I picture
  w.Put(0xFFFF, 16);  // VBV delay
  w.StartCode(0x01);  // the first slice ends the headers
  return w.Bytes();
}

class SequenceAspect : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(SequenceAspect, IsReadFromTheHeaders) {
  const HeaderCase& c = GetParam();
  const std::vector<std::uint8_t> packet = SequencePacket(c);
  SequenceState sequence;
  ParsePacketHeaders(packet.data(), packet.size(), sequence);
  ASSERT_EQ(sequence.width, c.width);
  EXPECT_EQ(sequence.mpeg2, c.mpeg2);
  EXPECT_EQ(sequence.displayWidth, c.displayWidth);
  EXPECT_EQ(DisplayAspectOf(sequence), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, SequenceAspect,
    ::testing::Values(HeaderCase{"Mpeg2FourThree", true, 720, 576, 2, 0, 0, false, {4, 3}},
                      HeaderCase{"Mpeg2SixteenNine", true, 720, 480, 3, 0, 0, false, {16, 9}},
                      HeaderCase{"Mpeg2TwoPointTwentyOne", true, 720, 576, 4, 0, 0, false, {221, 100}},
                      HeaderCase{"Mpeg2SquarePixels", true, 720, 480, 1, 0, 0, false, {3, 2}},
                      HeaderCase{"Mpeg2ForbiddenCode", true, 720, 576, 0, 0, 0, false, {}},
                      HeaderCase{"Mpeg2ReservedCode", true, 720, 576, 5, 0, 0, false, {}},
                      HeaderCase{"Mpeg1Sif625", false, 352, 288, 8, 0, 0, false, {110000, 82413}},
                      HeaderCase{"Mpeg1Sif525", false, 352, 240, 12, 0, 0, false, {880, 657}},
                      HeaderCase{"Mpeg1SquarePixels", false, 320, 240, 1, 0, 0, false, {4, 3}},
                      HeaderCase{"Mpeg1ReservedCode", false, 352, 288, 15, 0, 0, false, {}},
                      HeaderCase{"DisplayOfTheFullSize", true, 720, 576, 3, 720, 576, true, {16, 9}},
                      HeaderCase{"DisplayWithoutColours", true, 720, 576, 2, 720, 576, false, {4, 3}},
                      HeaderCase{"AnalogueWidth704", true, 720, 576, 2, 704, 576, true, {4, 3}},
                      HeaderCase{"PanScanWindow540Of16x9", true, 720, 576, 3, 540, 576, true, {16, 9}},
                      HeaderCase{"FourThreeOn540MakesSixteenNine", true, 720, 576, 2, 540, 576, false, {16, 9}},
                      HeaderCase{"HalfWidthOnFullDisplay", true, 352, 576, 2, 704, 576, true, {4, 3}},
                      HeaderCase{"SvcdOnFullDisplay", true, 480, 576, 2, 720, 576, true, {4, 3}}),
    [](const auto& p) { return std::string(p.param.name); });

// A display extension belongs to the sequence header before it: the next
// header without one no longer follows it.
TEST(SequenceAspect, ANewSequenceHeaderForgetsTheDisplayExtension) {
  SequenceState sequence;
  const std::vector<std::uint8_t> windowed = SequencePacket(HeaderCase{"", true, 720, 576, 2, 540, 576, false, {}});
  ParsePacketHeaders(windowed.data(), windowed.size(), sequence);
  EXPECT_EQ(DisplayAspectOf(sequence), (DisplayAspect{16, 9}));
  const std::vector<std::uint8_t> plain = SequencePacket(HeaderCase{"", true, 720, 576, 2, 0, 0, false, {}});
  ParsePacketHeaders(plain.data(), plain.size(), sequence);
  EXPECT_EQ(DisplayAspectOf(sequence), (DisplayAspect{4, 3}));
}

}  // namespace
