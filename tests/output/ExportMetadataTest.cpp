// The description inside exported pictures, read back by the usual tools
// (exiftool and exiv2) as a person's program would read it.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "OutputTestSupport.h"
#include "imaging/ImageFileWriter.h"
#include "output/ExportMetadata.h"
#include "output/PDFExporter.h"

namespace kelta {
namespace {

using test::TTempFolder;

TExportMetadata DiscCapture() {
  TExportMetadata metadata;
  metadata.Title = "Été on the pier";
  metadata.Description = "the boat";
  TCaptureSource source;
  source.DvdVolume = "MY_DISC";
  source.DvdLocation = "/media/Films/my disc.iso";
  source.Title = 2;
  source.Chapter = 3;
  source.Frame = 18517;
  source.TimeMs = 617850;
  source.FrameRate = 30000.0 / 1001.0;
  source.Aspect = {16, 9};
  source.Captured = "2026-12-11T10:16:00Z";
  source.Still = "film frame rebuilt";
  metadata.Source = source;
  return metadata;
}

const std::string Summary = "MY_DISC, title 2, chapter 3 - 00:10:17.850 (SMPTE 00:10:17;25), frame 18518";

// The values exiftool prints for the tags, one line each in the order asked.
std::vector<std::string> ExifTool(const std::string& file, const std::vector<std::string>& tags) {
  std::string command = "exiftool -s3 -charset utf8";
  for (const std::string& tag : tags) command += " '-" + tag + "'";
  std::string output;
  EXPECT_EQ(test::Run(command + " '" + file + "'", &output), 0) << command;
  std::vector<std::string> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct TFormatCase {
  const char* Extension;
  // Tags beside the XMP ones, with what they say.
  std::vector<std::pair<std::string, std::string>> Own;
};

class ExportMetadataTest : public testing::TestWithParam<TFormatCase> {};

TEST_P(ExportMetadataTest, SourceTimecodeAndFrameReadBack) {
  const TFormatCase& format = GetParam();
  TTempFolder folder;
  const std::string file = folder.File(std::string("still") + format.Extension);
  const TFastDIB picture = test::QuadrantPicture(64, 48);
  if (std::string(format.Extension) == ".pdf") {
    TPDFExporter().Export(picture, file, DiscCapture());
    EXPECT_EQ(test::Run("qpdf --check '" + file + "' >/dev/null"), 0) << "a valid document";
  } else {
    const std::string bytes = EncodeImageFile(picture, file, false);
    ASSERT_FALSE(bytes.empty());
    test::WriteFile(file, WithImageMetadata(bytes, DiscCapture()));
  }
  // The frame as the status line counts it (from 1), and its index from 0.
  std::vector<std::string> tags = {"XMP-dc:Source", "XMP-kelta:Timecode", "XMP-kelta:Frame", "XMP-kelta:FrameIndex",
                                   "XMP-kelta:Time",
                                   "XMP-kelta:DvdVolume", "XMP-dc:Title"};
  std::vector<std::string> expected = {Summary, "00:10:17;25", "18518", "18517", "00:10:17.850", "MY_DISC",
                                       "Été on the pier"};
  for (const auto& [tag, value] : format.Own) {
    tags.push_back(tag);
    expected.push_back(value);
  }
  EXPECT_EQ(ExifTool(file, tags), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ExportMetadataTest,
    testing::Values(TFormatCase{".png", {}},
                    TFormatCase{".jpg",
                                {{"EXIF:UserComment", Summary},
                                 {"EXIF:ImageDescription", "Été on the pier"},
                                 {"EXIF:DateTimeOriginal", "2026:12:11 10:16:00"}}},
                    TFormatCase{".pdf",
                                {{"PDF:Subject", Summary},
                                 {"PDF:Title", "Été on the pier"},
                                 {"PDF:Keywords", "frame 18518, timecode 00:10:17;25"}}}),
    [](const testing::TestParamInfo<TFormatCase>& param) { return std::string(param.param.Extension + 1); });

TEST(ExportMetadata, Exiv2ReadsTheCaptureFactsOfPngAndJpeg) {
  TTempFolder folder;
  for (const char* name : {"still.png", "still.jpg"}) {
    const std::string file = folder.File(name);
    test::WriteFile(file, WithImageMetadata(EncodeImageFile(test::QuadrantPicture(32, 32), file, false),
                                            DiscCapture()));
    std::string output;
    ASSERT_EQ(test::Run("exiv2 -px '" + file + "'", &output), 0) << name;
    EXPECT_NE(output.find("Xmp.kelta.Frame"), std::string::npos) << output;
    EXPECT_NE(output.find("18517"), std::string::npos) << output;
    EXPECT_NE(output.find("00:10:17;25"), std::string::npos) << output;
  }
}

TEST(ExportMetadata, NoMetadataLeavesThePictureAsEncoded) {
  const std::string bytes = EncodeImageFile(test::QuadrantPicture(16, 16), "a.png", false);
  EXPECT_EQ(WithImageMetadata(bytes, {}), bytes);
}

}  // namespace
}  // namespace kelta
