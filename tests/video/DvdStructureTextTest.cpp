// The text in which the DVD reader hands over a disc's structure: what it
// writes reads back as the same disc, and a text that breaks its rules, as a
// crashed or confused reader leaves it, is refused as a whole.

#include "video/DvdStructureText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kelta::TDvdDisc;
using kelta::TDvdTitle;

TDvdDisc SampleDisc() {
  TDvdDisc disc;
  disc.Location = "/discs/MY DISC/VIDEO_TS";
  disc.VolumeName = "MY DISC 100%";
  TDvdTitle title;
  title.Number = 1;
  title.DurationMs = 125000;
  title.Width = 720;
  title.Height = 576;
  title.Aspect = "16:9";
  title.Cells = kelta::TDvdCells{disc.Location, 2, {{0, 99}, {200, 299}}};
  title.Chapters = {{0, 0}, {100 * 2048, 40000}};
  title.Subtitles = {{0, "en"}, {3, ""}};
  title.Palette.assign(16, 0x108080);
  title.Palette[1] = 0xEB8080;
  disc.Titles.push_back(title);
  TDvdTitle second;
  second.Number = 3;
  second.DurationMs = -1;
  second.Cells = kelta::TDvdCells{disc.Location, 3, {{0, 9}}};
  disc.Titles.push_back(second);
  return disc;
}

TEST(DvdStructureTextTest, ReadsBackWhatItWrites) {
  const TDvdDisc disc = SampleDisc();
  const std::string text = kelta::WriteDvdStructure(disc);
  const std::optional<TDvdDisc> read = kelta::ParseDvdStructure(text, disc.Location);
  ASSERT_TRUE(read.has_value()) << text;
  EXPECT_EQ(read->VolumeName, "MY DISC 100%");
  EXPECT_TRUE(read->Damage.empty());
  ASSERT_EQ(read->Titles.size(), 2u);
  const TDvdTitle& title = read->Titles[0];
  EXPECT_EQ(title.Number, 1);
  EXPECT_EQ(title.DurationMs, 125000);
  EXPECT_EQ(title.Width, 720);
  EXPECT_EQ(title.Aspect, "16:9");
  EXPECT_EQ(title.Cells.Disc, disc.Location);
  EXPECT_EQ(title.Cells.TitleSet, 2);
  ASSERT_EQ(title.Cells.Ranges.size(), 2u);
  EXPECT_EQ(title.Cells.Ranges[1].First, 200u);
  EXPECT_EQ(title.Cells.Ranges[1].Last, 299u);
  ASSERT_EQ(title.Chapters.size(), 2u);
  EXPECT_EQ(title.Chapters[1].Position, 100 * 2048);
  EXPECT_EQ(title.Chapters[1].StartMs, 40000);
  ASSERT_EQ(title.Subtitles.size(), 2u);
  EXPECT_EQ(title.Subtitles[0].Language, "en");
  EXPECT_EQ(title.Subtitles[1].Stream, 3);
  EXPECT_EQ(title.Subtitles[1].Language, "");
  EXPECT_EQ(title.Palette, disc.Titles[0].Palette);
  EXPECT_EQ(read->Titles[1].Aspect, "");
  EXPECT_EQ(read->Titles[1].DurationMs, -1);
  EXPECT_EQ(kelta::WriteDvdStructure(*read), text);
}

TEST(DvdStructureTextTest, ADamagedDiscSaysSoInItsOwnName) {
  TDvdDisc disc = SampleDisc();
  disc.Damage = "anything";
  const std::optional<TDvdDisc> read = kelta::ParseDvdStructure(kelta::WriteDvdStructure(disc), disc.Location);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->Damage, kelta::TitleInformationDamage("MY DISC 100%"));
}

struct Spoilt {
  const char* name;
  std::string from, to;  // the first `from` in the good text becomes `to`
};

class DvdStructureRefusalTest : public ::testing::TestWithParam<Spoilt> {};

TEST_P(DvdStructureRefusalTest, RefusesTheWholeText) {
  const std::string good = kelta::WriteDvdStructure(SampleDisc());
  std::string text = good;
  const std::size_t at = text.find(GetParam().from);
  ASSERT_NE(at, std::string::npos) << GetParam().from;
  text.replace(at, GetParam().from.size(), GetParam().to);
  EXPECT_FALSE(kelta::ParseDvdStructure(text, "/disc").has_value()) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DvdStructureRefusalTest,
    ::testing::Values(Spoilt{"cut_short", "end\n", ""}, Spoilt{"cut_mid_line", "chapter 204800 40000\n", "chapter 2048"},
                      Spoilt{"other_version", "kelta-dvd-structure 1", "kelta-dvd-structure 2"},
                      Spoilt{"title_number_zero", "title 1 ", "title 0 "},
                      Spoilt{"title_set_100", "set 2 ", "set 100 "},
                      Spoilt{"numbers_falling", "\ntitle 3 ", "\ntitle 1 "},
                      Spoilt{"odd_picture", "picture 720 576", "picture 720 577"},
                      Spoilt{"odd_aspect", "16:9", "2:1"}, Spoilt{"cell_backwards", "200-299", "299-200"},
                      Spoilt{"sector_past_any_disc", "200-299", "200-99999999"},
                      Spoilt{"chapter_past_the_title", "chapter 204800", "chapter 409600"},
                      Spoilt{"chapters_falling", "chapter 204800", "chapter 0"},
                      Spoilt{"chapter_before_title", "title 1 ", "chapter 0 0\ntitle 1 "},
                      Spoilt{"title_without_cells", "cells 0-9\n", ""},
                      Spoilt{"subtitle_stream_32", "subtitle 3 ", "subtitle 32 "},
                      Spoilt{"subtitle_language_odd", "subtitle 0 en", "subtitle 0 e1"},
                      Spoilt{"palette_short", "palette 108080", "palette"},
                      Spoilt{"palette_colour_too_big", "palette 108080", "palette 1108080"},
                      Spoilt{"volume_control_character", "volume MY", "volume %01MY"},
                      Spoilt{"volume_bad_escape", "volume MY", "volume %G1MY"},
                      Spoilt{"negative_number", "ms 125000", "ms -5"}, Spoilt{"plus_sign", "ms 125000", "ms +5"},
                      Spoilt{"unknown_record", "end\n", "angle 2\nend\n"},
                      Spoilt{"after_the_end", "end\n", "end\nend\n"}, Spoilt{"double_space", "set 2", "set  2"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
