// What a video offers in Playback > Subtitles, and each disc's choice as its
// file keeps it: what is saved loads again per disc, anything else in the
// file is "Off".

#include "video/SubtitleChoice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace {

using kelta::SubtitlesOff;
using kelta::TSubtitleOffer;

kelta::TDvdDisc Disc(const std::string& volume, std::uint32_t lastSector) {
  kelta::TDvdDisc disc;
  disc.VolumeName = volume;
  kelta::TDvdTitle title;
  title.Cells.Ranges = {{0, lastSector}};
  disc.Titles.push_back(title);
  return disc;
}

TEST(SubtitleChoiceTest, TitlesOfferTheirStreamsAndFilesTheirsInFallbackColours) {
  kelta::TDvdTitle title;
  EXPECT_TRUE(kelta::DvdSubtitleOffers(title).empty());
  EXPECT_EQ(kelta::SubtitleLanguagesText(title), "\u2013");
  title.Subtitles = {{0, "en"}, {3, ""}};
  title.Palette.assign(16, 0x108080);
  auto offers = kelta::DvdSubtitleOffers(title);
  ASSERT_EQ(offers.size(), 2u);
  EXPECT_EQ(offers[0].Stream, 0);
  EXPECT_EQ(offers[0].Language, "en");
  EXPECT_EQ(offers[1].Stream, 3);
  EXPECT_FALSE(offers[0].FallbackColours || offers[1].FallbackColours);
  EXPECT_EQ(kelta::SubtitleLanguagesText(title), "en, ?");
  // A title whose palette could not be read draws in the fallback colours.
  title.Palette.clear();
  EXPECT_TRUE(kelta::DvdSubtitleOffers(title).at(0).FallbackColours);

  offers = kelta::FileSubtitleOffers(0x80000009u);
  ASSERT_EQ(offers.size(), 3u);
  EXPECT_EQ(offers[0].Stream, 0);
  EXPECT_EQ(offers[1].Stream, 3);
  EXPECT_EQ(offers[2].Stream, 31);
  for (const TSubtitleOffer& offer : offers) {
    EXPECT_TRUE(offer.FallbackColours);
    EXPECT_TRUE(offer.Language.empty());
  }
}

TEST(SubtitleChoiceTest, EachDiscKeepsItsOwnChoice) {
  const kelta::test::TTempFolder folder;
  const auto file = folder.Path() / "subtitle-choices";
  // Two discs of one generic volume name are told apart by their size.
  const std::string film = kelta::DvdDiscKey(Disc("DVD_VIDEO", 999)), other = kelta::DvdDiscKey(Disc("DVD_VIDEO", 5));
  const std::string odd = kelta::DvdDiscKey(Disc("LINE\nBREAK", 7));
  EXPECT_NE(film, other);
  EXPECT_EQ(kelta::LoadSubtitleChoice(file, film), SubtitlesOff);
  kelta::SaveSubtitleChoice(file, film, 1);
  kelta::SaveSubtitleChoice(file, other, 0);
  kelta::SaveSubtitleChoice(file, odd, 31);
  EXPECT_EQ(kelta::LoadSubtitleChoice(file, film), 1);
  EXPECT_EQ(kelta::LoadSubtitleChoice(file, other), 0);
  EXPECT_EQ(kelta::LoadSubtitleChoice(file, odd), 31);
  kelta::SaveSubtitleChoice(file, film, SubtitlesOff);
  EXPECT_EQ(kelta::LoadSubtitleChoice(file, film), SubtitlesOff);
  EXPECT_EQ(kelta::LoadSubtitleChoice(file, other), 0);
  EXPECT_FALSE(std::filesystem::exists(file.string() + ".new"));

  // The most recent discs are kept, up to the limit.
  for (std::size_t i = 0; i < kelta::MaxRememberedDiscs; ++i)
    kelta::SaveSubtitleChoice(file, "disc " + std::to_string(i), 2);
  EXPECT_EQ(kelta::LoadSubtitleChoice(file, "disc 0"), 2);
  EXPECT_EQ(kelta::LoadSubtitleChoice(file, other), SubtitlesOff);
}

TEST(SubtitleChoiceTest, AnythingElseInTheFileIsOff) {
  const kelta::test::TTempFolder folder;
  const auto file = folder.Path() / "subtitle-choices";
  const std::string key = "100 MY_DISC";
  const std::vector<std::string> foreign = {"",
                                            "1\n",
                                            "x 100 MY_DISC\n",
                                            "32 100 MY_DISC\n",
                                            "-2 100 MY_DISC\n",
                                            "1 100 MY_DISC2\n",
                                            "1" + std::string(600, ' ') + "100 MY_DISC\n"};
  for (const std::string& text : foreign) {
    std::ofstream(file, std::ios::trunc | std::ios::binary) << text;
    EXPECT_EQ(kelta::LoadSubtitleChoice(file, key), SubtitlesOff) << text;
  }
  std::ofstream(file, std::ios::trunc | std::ios::binary) << "nonsense\n\n3 100 MY_DISC\n";
  EXPECT_EQ(kelta::LoadSubtitleChoice(file, key), 3);
  // A folder that cannot be written says so and keeps the file.
  EXPECT_THROW(kelta::SaveSubtitleChoice(folder.Path() / "missing" / "subtitle-choices", key, 1), std::runtime_error);
}

}  // namespace
