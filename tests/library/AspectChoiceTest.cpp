// The aspect choice the save dialog starts with for a video's frame, and the
// user's preference that makes it, as its file keeps it.

#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <system_error>

#include "library/AspectChoice.h"
#include "library/ImageSaveManager.h"
#include "support/TempFolder.h"

namespace kelta {
namespace {

struct TChoiceCase {
  const char* Name;
  int Width, Height;
  TDisplayAspect Aspect;
  TAspectRatio Expected;
};
void PrintTo(const TChoiceCase& c, std::ostream* os) { *os << c.Name; }

class MatchingChoice : public ::testing::TestWithParam<TChoiceCase> {};

TEST_P(MatchingChoice, StoresTheFrameInItsShape) {
  const TChoiceCase& c = GetParam();
  EXPECT_EQ(MatchingAspectChoice(c.Width, c.Height, c.Aspect), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    AspectChoice, MatchingChoice,
    ::testing::Values(TChoiceCase{"Pal4x3", 720, 576, {4, 3}, TAspectRatio::Ratio4x3},
                      TChoiceCase{"Pal16x9", 720, 576, {16, 9}, TAspectRatio::Ratio16x9},
                      TChoiceCase{"Ntsc4x3", 720, 480, {4, 3}, TAspectRatio::Ratio4x3},
                      TChoiceCase{"Ntsc16x9", 720, 480, {16, 9}, TAspectRatio::Ratio16x9},
                      TChoiceCase{"UnknownAsAlways", 720, 576, {}, TAspectRatio::Ratio16x9},
                      TChoiceCase{"Mpeg1SifNearly4x3", 352, 288, {110000, 82413}, TAspectRatio::Ratio4x3},
                      TChoiceCase{"SquarePixelsAlready", 720, 480, {3, 2}, TAspectRatio::AsCaptured},
                      TChoiceCase{"TwoPointTwentyOne", 720, 576, {221, 100}, TAspectRatio::SquarePixels}),
    [](const auto& p) { return std::string(p.param.Name); });

struct TPreferenceCase {
  const char* Name;
  TAspectPreference Preference;
  TDisplayAspect Aspect;  // of a 720 x 576 frame
  TAspectRatio Expected;
};
void PrintTo(const TPreferenceCase& c, std::ostream* os) { *os << c.Name; }

class PreferredChoice : public ::testing::TestWithParam<TPreferenceCase> {};

// What the preference makes for a frame, and that the choice made for it
// expresses the preference again (a fixed ratio picked for a video of that
// very shape stands for the matching one).
TEST_P(PreferredChoice, MakesItsChoiceAndIsMadeByIt) {
  const TPreferenceCase& c = GetParam();
  const TAspectRatio choice = PreferredAspectChoice(c.Preference, 720, 576, c.Aspect);
  EXPECT_EQ(choice, c.Expected);
  EXPECT_EQ(PreferredAspectChoice(PreferenceOfChoice(choice, 720, 576, c.Aspect), 720, 576, c.Aspect), choice);
}

INSTANTIATE_TEST_SUITE_P(
    AspectPreference, PreferredChoice,
    ::testing::Values(
        TPreferenceCase{"SquareOf16x9KeepsEveryLine", TAspectPreference::SquarePixels, {16, 9},
                        TAspectRatio::SquarePixels},
        TPreferenceCase{"SquareOf4x3", TAspectPreference::SquarePixels, {4, 3}, TAspectRatio::SquarePixels},
        TPreferenceCase{"SquareOfUnknownShape", TAspectPreference::SquarePixels, {}, TAspectRatio::SquarePixels},
        TPreferenceCase{"ShownShapeOf4x3", TAspectPreference::ShownShapeAtWidth, {4, 3}, TAspectRatio::Ratio4x3},
        TPreferenceCase{"ShownShapeOf16x9", TAspectPreference::ShownShapeAtWidth, {16, 9}, TAspectRatio::Ratio16x9},
        TPreferenceCase{"Fixed16x9Of4x3", TAspectPreference::Ratio16x9, {4, 3}, TAspectRatio::Ratio16x9},
        TPreferenceCase{"Fixed4x3Of16x9", TAspectPreference::Ratio4x3, {16, 9}, TAspectRatio::Ratio4x3},
        TPreferenceCase{"AsCaptured", TAspectPreference::AsCaptured, {16, 9}, TAspectRatio::AsCaptured},
        TPreferenceCase{"Band185", TAspectPreference::Ratio185, {16, 9}, TAspectRatio::Ratio185},
        TPreferenceCase{"ItuOf16x9", TAspectPreference::SquarePixelsItu, {16, 9}, TAspectRatio::SquarePixelsItu},
        TPreferenceCase{"ItuOf4x3", TAspectPreference::SquarePixelsItu, {4, 3}, TAspectRatio::SquarePixelsItu}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(AspectPreference, SixteenNinePickedForA16x9VideoMeansTheShownShape) {
  EXPECT_EQ(PreferenceOfChoice(TAspectRatio::Ratio16x9, 720, 576, {16, 9}), TAspectPreference::ShownShapeAtWidth);
  EXPECT_EQ(PreferredAspectChoice(TAspectPreference::ShownShapeAtWidth, 720, 576, {4, 3}), TAspectRatio::Ratio4x3);
  EXPECT_EQ(PreferenceOfChoice(TAspectRatio::Ratio16x9, 720, 576, {4, 3}), TAspectPreference::Ratio16x9);
}

TEST(AspectPreference, WhatIsSavedLoadsAgain) {
  const test::TTempFolder folder;
  const auto file = folder / "save-aspect";
  EXPECT_EQ(LoadAspectPreference(file), TAspectPreference::SquarePixels);
  for (const TAspectPreference preference :
       {TAspectPreference::AsCaptured, TAspectPreference::ShownShapeAtWidth, TAspectPreference::Ratio4x3,
        TAspectPreference::Ratio16x9, TAspectPreference::Ratio185, TAspectPreference::SquarePixelsItu,
        TAspectPreference::SquarePixels}) {
    SaveAspectPreference(file, preference);
    EXPECT_EQ(LoadAspectPreference(file), preference) << AspectPreferenceName(preference);
  }
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"save-aspect"});
}

// What a preference file holds picks the same choice, and so stores the same
// picture, as it did before the ITU shape was added: a 720 x 576 frame of a
// 16:9 video. The frame's views show it at the ITU aspect after the new word only.
struct TWordCase {
  const char* Name;
  const char* Word;
  TAspectRatio Choice;
  TPictureSize Stored;
  TDisplayAspect Viewed;
};
void PrintTo(const TWordCase& c, std::ostream* os) { *os << c.Name; }

class PreferenceFileWord : public ::testing::TestWithParam<TWordCase> {};

TEST_P(PreferenceFileWord, PicksItsChoiceAndStoredSize) {
  const TWordCase& c = GetParam();
  const test::TTempFolder folder;
  const auto file = folder / "save-aspect";
  std::ofstream(file, std::ios::trunc | std::ios::binary) << c.Word;
  const TAspectPreference preference = LoadAspectPreference(file);
  const TAspectRatio choice = PreferredAspectChoice(preference, 720, 576, {16, 9});
  EXPECT_EQ(choice, c.Choice);
  TFastDIB frame, shaped;
  frame.SetSize(720, 576, 24);
  frame.Fill(TBGRColor{90, 120, 150});
  const TFastDIB& stored = TimageSaveManager::ShapePicture(frame, choice, {16, 9}, shaped);
  EXPECT_EQ((TPictureSize{stored.Width(), stored.RowCount()}), c.Stored);
  EXPECT_EQ(ViewedFrameAspect(preference, 720, 576, {16, 9}), c.Viewed);
}

INSTANTIATE_TEST_SUITE_P(
    AspectPreference, PreferenceFileWord,
    ::testing::Values(
        TWordCase{"NoFile", "", TAspectRatio::SquarePixels, {1024, 576}, {16, 9}},
        TWordCase{"SquarePixels", "square-pixels\n", TAspectRatio::SquarePixels, {1024, 576}, {16, 9}},
        TWordCase{"AsCaptured", "as-captured\n", TAspectRatio::AsCaptured, {720, 576}, {16, 9}},
        TWordCase{"ShownShape", "shown-shape\n", TAspectRatio::Ratio16x9, {720, 405}, {16, 9}},
        TWordCase{"Fixed4x3", "4:3\n", TAspectRatio::Ratio4x3, {720, 540}, {16, 9}},
        TWordCase{"Fixed16x9", "16:9\n", TAspectRatio::Ratio16x9, {720, 405}, {16, 9}},
        TWordCase{"Band185", "1.85:1\n", TAspectRatio::Ratio185, {720, 389}, {16, 9}},
        TWordCase{"Itu", "square-pixels-itu\n", TAspectRatio::SquarePixelsItu, {1048, 576}, {20, 11}},
        // What an older program reading the new word would keep: not ours.
        TWordCase{"ItuCutShort", "square-pixels-it\n", TAspectRatio::SquarePixels, {1024, 576}, {16, 9}}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(AspectPreference, AMissingOrGarbledFileMeansSquarePixels) {
  const test::TTempFolder folder;
  const auto file = folder / "save-aspect";
  for (const char* text : {"", "16:9x\n", "SHOWN-SHAPE\n", "\x01\xff\xfe", "4:3:4:3:4:3:4:3:4:3:4:3"}) {
    std::ofstream(file, std::ios::trunc | std::ios::binary) << text;
    EXPECT_EQ(LoadAspectPreference(file), TAspectPreference::SquarePixels) << text;
  }
  std::ofstream(file, std::ios::trunc) << "  1.85:1 \n";
  EXPECT_EQ(LoadAspectPreference(file), TAspectPreference::Ratio185);
  EXPECT_THROW(SaveAspectPreference(folder / "missing" / "save-aspect", TAspectPreference::AsCaptured),
               std::system_error);
}

}  // namespace
}  // namespace kelta
