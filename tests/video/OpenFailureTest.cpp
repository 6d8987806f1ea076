// Why a refused file cannot be opened, told from its first bytes.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "video/OpenFailure.h"

namespace kelta {
namespace {

struct TFailureCase {
  const char* Name;
  std::string Bytes;
  std::string Why;
};

const std::string WhatKeltaOpens =
    "Kelta opens DVD folders and disc images, VOB files and other MPEG-1 and MPEG-2 program, transport and video "
    "streams, and MPEG-2, H.264 and HEVC video in Matroska and MP4 files";

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += char(v);
  return bytes;
}

// A program stream pack header followed by one audio packet and nothing else.
std::string AudioOnlyProgramStream() {
  std::string bytes = Bytes({0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4, 1, 1, 0x89, 0xC3, 0xF8});
  bytes += Bytes({0, 0, 1, 0xC0, 0, 8, 0x81, 0x80, 0x05, 0x21, 0, 1, 0, 1});
  bytes += std::string(2000, char(0x55));
  return bytes;
}

// The same, with the bytes of a video sequence header inside the sound.
std::string AudioOnlyWithStrayHeader() {
  return AudioOnlyProgramStream() + Bytes({0, 0, 1, 0xB3}) + std::string(100, char(0x55));
}

// A Matroska or MP4 file holding MPEG-2 video: its sequence header sits in
// the track's set-up bytes.
std::string InContainer(const std::string& start) {
  return start + std::string(40, '\0') + Bytes({0, 0, 1, 0xB3, 0x2D, 0x02, 0x40}) + std::string(3000, char(0x11));
}

std::string DamagedVideo() {
  // A sequence header, then nothing a decoder can use.
  return Bytes({0, 0, 1, 0xBA}) + std::string(10, char(0x44)) + Bytes({0, 0, 1, 0xB3, 0x2D, 0x02, 0x40}) +
         std::string(3000, char(0xFF));
}

class OpenFailureTest : public testing::TestWithParam<TFailureCase> {};

TEST_P(OpenFailureTest, SaysWhy) {
  const TFailureCase& c = GetParam();
  const std::string path = testing::TempDir() + "kelta-open-failure-" + c.Name;
  std::ofstream(path, std::ios::binary) << c.Bytes;
  EXPECT_EQ(WhyVideoCannotOpen(path), c.Why);
  std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Files, OpenFailureTest,
    testing::Values(
        TFailureCase{"Empty", "", "The file is empty"},
        TFailureCase{"Text", "This is not a video.\n", "It is not a video Kelta reads. " + WhatKeltaOpens},
        TFailureCase{"Png", Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0x0D}),
                     "It is a PNG picture. " + WhatKeltaOpens},
        // Kelta reads these containers: what the decoder refused lies inside.
        TFailureCase{"Matroska", InContainer(Bytes({0x1A, 0x45, 0xDF, 0xA3})), "It is damaged beyond use"},
        TFailureCase{"Mp4", InContainer(Bytes({0, 0, 0, 0x20}) + "ftypisom"), "It is damaged beyond use"},
        TFailureCase{"Avi", InContainer("RIFF" + Bytes({0, 0, 1, 0}) + "AVI LIST"), "It is an AVI file. " + WhatKeltaOpens},
        TFailureCase{"AudioOnly", AudioOnlyProgramStream(), "It holds no video stream, only sound or data"},
        TFailureCase{"AudioWithStrayHeader", AudioOnlyWithStrayHeader(), "It holds no video stream, only sound or data"},
        TFailureCase{"Damaged", DamagedVideo() + Bytes({0, 0, 1, 0xE0}), "It is damaged beyond use"}),
    [](const auto& param) { return std::string(param.param.Name); });

// What the decoder found comes first: the codec or pictures it does not
// decode, a container without video; its other answers leave it to the bytes.
TEST(OpenFailure, TheDecodersReasonNamesWhatItFound) {
  const std::string path = testing::TempDir() + "kelta-open-failure-rip.mkv";
  std::ofstream(path, std::ios::binary) << InContainer(Bytes({0x1A, 0x45, 0xDF, 0xA3}));
  EXPECT_EQ(WhyVideoCannotOpen(path, KeltaOpenUnsupportedCodec, "Google VP9"),
            "Its video is Google VP9, which Kelta does not decode. Kelta decodes MPEG-1, MPEG-2, H.264 and HEVC video");
  EXPECT_EQ(WhyVideoCannotOpen(path, KeltaOpenUnsupportedPictures, "10-bit 4:2:0"),
            "Its pictures are 10-bit 4:2:0, which Kelta does not convert. Kelta opens H.264 and HEVC video of 8 bits "
            "in 4:2:0");
  EXPECT_EQ(WhyVideoCannotOpen(path, KeltaOpenNoVideo, ""), "It holds no video stream, only sound or data");
  EXPECT_EQ(WhyVideoCannotOpen(path, KeltaOpenFailed, ""), "It is damaged beyond use");
  std::remove(path.c_str());
  // An older decoder's plain refusal of an AVI file: the bytes name it.
  const std::string avi = testing::TempDir() + "kelta-open-failure-rip.avi";
  std::ofstream(avi, std::ios::binary) << InContainer("RIFF" + Bytes({0, 0, 1, 0}) + "AVI LIST");
  EXPECT_EQ(WhyVideoCannotOpen(avi, KeltaOpenUnknownContainer, "AVI (Audio Video Interleaved)"),
            "It is an AVI file. " + WhatKeltaOpens);
  std::remove(avi.c_str());
}

TEST(OpenFailure, AMissingFileCannotBeRead) {
  EXPECT_EQ(WhyVideoCannotOpen("/no/such/folder/film.vob"), "It cannot be read: No such file or directory");
}

}  // namespace
}  // namespace kelta
