#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/CaptureOptions.h"

namespace kelta {
namespace {

TEST(CaptureOptions, ReadsWhatWasAsked) {
  const TCaptureOptions o = ParseCaptureOptions(
      {"film.vob", "--title", "2", "--every=10s", "--at", "00:01:02.500,18517f,12.5s", "--chapters", "--count", "8",
       "--still", "weave", "--aspect", "square-itu", "--lightness", "-20", "--saturation", "300", "--format", "jpeg",
       "--to", "out", "--json"});
  EXPECT_EQ(o.Source, "film.vob");
  EXPECT_EQ(o.Title, 2);
  ASSERT_TRUE(o.Every);
  EXPECT_EQ(o.Every->FramesAt(25), 250);
  ASSERT_EQ(o.At.size(), 3u);
  EXPECT_EQ(o.At[0].FrameAt(25), 1563);  // 62.5 s: 1562.5 frames, rounded to the nearest
  EXPECT_EQ(o.At[1].FrameAt(25), 18516);  // frames count from 1, as the window shows them
  EXPECT_EQ(o.At[2].FrameAt(30000.0 / 1001), 375);
  EXPECT_TRUE(o.Chapters);
  EXPECT_EQ(o.Count, 8);
  EXPECT_EQ(o.Still, TStillMode::Weave);
  EXPECT_EQ(o.Aspect, TCaptureAspect::SquareItu);
  EXPECT_EQ(o.Lightness, -20);
  EXPECT_EQ(o.Saturation, 300);
  EXPECT_EQ(o.Format, TCaptureFormat::Jpeg);
  EXPECT_EQ(o.ToFolder, "out");
  EXPECT_TRUE(o.Json);
}

TEST(CaptureOptions, ListingTitlesNeedsNoFramesAndNoFolder) {
  const TCaptureOptions o = ParseCaptureOptions({"--list-titles", "disc.iso"});
  EXPECT_TRUE(o.ListTitles);
  EXPECT_EQ(o.Source, "disc.iso");
}

TEST(CaptureOptions, AFileMayBeginWithADash) {
  EXPECT_EQ(ParseCaptureOptions({"--count", "2", "--to", "o", "--", "-odd.vob"}).Source, "-odd.vob");
}

TEST(CaptureOptions, RefusesWhatItCannotDo) {
  const struct {
    std::vector<std::string> arguments;
    const char* says;
  } cases[] = {
      {{}, "no source"},
      {{"a.vob", "--to", "o"}, "say which frames"},
      {{"a.vob", "--count", "3"}, "--to FOLDER"},
      {{"a.vob", "b.vob", "--count", "3", "--to", "o"}, "one source at a time"},
      {{"a.vob", "--count", "0", "--to", "o"}, "--count takes a whole number from 1"},
      {{"a.vob", "--every", "0s", "--to", "o"}, "--every needs a step"},
      {{"a.vob", "--every", "soon", "--to", "o"}, "no place in a video"},
      {{"a.vob", "--at", "1:75", "--to", "o"}, "no place in a video"},
      {{"a.vob", "--at", "0f", "--to", "o"}, "the first is 1f"},
      {{"a.vob", "--at", ",", "--to", "o"}, "--at needs at least one place"},
      {{"a.vob", "--count", "2", "--to", "o", "--still", "sharp"}, "--still takes one of auto, blend, weave"},
      {{"a.vob", "--count", "2", "--to", "o", "--aspect", "2:1"}, "--aspect takes one of"},
      {{"a.vob", "--count", "2", "--to", "o", "--format", "tiff"}, "--format takes one of"},
      {{"a.vob", "--count", "2", "--to", "o", "--contrast", "200"}, "--contrast takes a whole number from -128 to 128"},
      {{"a.vob", "--count", "2", "--to"}, "--to needs a value"},
      {{"a.vob", "--count", "2", "--to", "o", "--json=yes"}, "--json takes no value"},
      {{"a.vob", "--count", "2", "--to", "o", "--fast"}, "unknown option \"--fast\""},
  };
  for (const auto& c : cases) {
    try {
      ParseCaptureOptions(c.arguments);
      ADD_FAILURE() << "accepted, should say: " << c.says;
    } catch (const ECaptureUsage& error) {
      EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
    }
  }
}

TEST(VideoPlace, TimesRoundToTheNearestFrame) {
  const struct {
    const char* typed;
    double rate;
    std::int64_t frame;
  } cases[] = {
      {"0", 25, 0},          {"2s", 25, 50},           {"0.5", 25, 13},  // 12.5 rounds up
      {"0.02s", 25, 1},      {"1:00", 25, 1500},       {"01:00:00.000", 25, 90000},
      {"10s", 30000.0 / 1001, 300},                    {"00:00:33.367", 30000.0 / 1001, 1000},
      {"250f", 25, 249},     {"1f", 29.97, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseVideoPlace(c.typed).FrameAt(c.rate), c.frame) << c.typed;
}

}  // namespace
}  // namespace kelta
