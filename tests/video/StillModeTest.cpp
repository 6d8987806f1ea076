// The still choice as its file keeps it: what is saved loads again, and a
// missing, foreign or damaged file gives the automatic clean still.

#include "video/StillMode.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/TempFolder.h"

namespace {

using kelta::TStillMode;

TEST(StillModeTest, WhatIsSavedLoadsAgain) {
  const kelta::test::TTempFolder folder;
  const auto file = folder.Path() / "still-mode";
  EXPECT_EQ(kelta::LoadStillMode(file), TStillMode::Clean);
  for (const TStillMode mode : {TStillMode::Weave, TStillMode::Blend, TStillMode::Clean}) {
    kelta::SaveStillMode(file, mode);
    EXPECT_EQ(kelta::LoadStillMode(file), mode);
  }
  EXPECT_FALSE(std::filesystem::exists(file.string() + ".new"));
}

TEST(StillModeTest, AnythingElseInTheFileIsTheCleanStill) {
  const kelta::test::TTempFolder folder;
  const auto file = folder.Path() / "still-mode";
  for (const char* text : {"", "Weave\n", "blendblendblendblendblend\n", "\x01\xff", "weav"}) {
    std::ofstream(file, std::ios::trunc) << text;
    EXPECT_EQ(kelta::LoadStillMode(file), TStillMode::Clean) << text;
  }
  std::ofstream(file, std::ios::trunc) << "  weave  \n";
  EXPECT_EQ(kelta::LoadStillMode(file), TStillMode::Weave);
}

TEST(StillModeTest, AFolderThatCannotBeWrittenKeepsTheOldChoice) {
  const kelta::test::TTempFolder folder;
  const auto file = folder.Path() / "missing-folder" / "still-mode";
  EXPECT_THROW(kelta::SaveStillMode(file, TStillMode::Weave), std::runtime_error);
}

}  // namespace
