// DVDs authored at test time with dvdauthor (two titles in one title set,
// with chapters) and a UDF image of them made with genisoimage, read with
// the disc reader and played through the real decoder plugin.

#include "video/DvdDisc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/DvdFixture.h"
#include "support/ReferenceDecoder.h"
#include "support/VideoFixture.h"
#include "support/TempFolder.h"
#include "video/DvdChapters.h"
#include "video/MPEG2Decoder.h"

namespace fs = std::filesystem;
using kelta::FrameView;
using kelta::TDvdDisc;
using kelta::TDvdTitle;
using kelta::TMPEG2Decoder;

namespace {

constexpr int FrameMs = 40;  // 25 fps

struct TitleExpected {
  int frames;
  const char* chapters;
  std::size_t chapterCount;
};
const std::vector<TitleExpected> Expected = {{60, "0,1", 2}, {100, "0,1,2.5", 3}};

std::size_t Hash(const FrameView& frame) {
  return std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(frame.data), frame.Bytes()));
}

struct Decoded {
  std::vector<std::size_t> hashes;
  std::vector<int> counters;
};

Decoded DecodeAll(TMPEG2Decoder& decoder) {
  Decoded all;
  while (const FrameView frame = decoder.GetFrame(0)) {
    all.hashes.push_back(Hash(frame));
    all.counters.push_back(kelta::test::ReadFrameCounter(frame));
  }
  return all;
}

Decoded DecodeTitle(const TDvdTitle& title) {
  TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.OpenDvdCells(title.Cells, "title");
  return DecodeAll(decoder);
}

Decoded DecodeFile(const std::string& path) {
  TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.Open(path);
  return DecodeAll(decoder);
}

// The first clean frame a plain FFmpeg decode of the file gives.
int FirstCounter(const std::string& path) {
  kelta::test::ReferenceDecoder reference(path);
  std::vector<std::uint8_t> bgr;
  while (reference.Next(&bgr)) {
    const int counter = kelta::test::ReadFrameCounter(bgr.data(), reference.Width(), reference.Height(),
                                                      reference.Stride());
    if (counter >= 0) return counter;
  }
  return -1;
}

class DvdTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kelta::SetDvdReaderFolder(KELTA_PROGRAM_DIR);
    Scratch_ = std::make_unique<kelta::test::TTempFolder>();
    Work_ = Scratch_->Path().string();
    Folder_ = Work_ + "/MY_DISC";
    Image_ = Work_ + "/my-disc.iso";
    try {
      std::vector<kelta::test::DvdTitleSource> titles;
      for (const TitleExpected& e : Expected) {
        kelta::test::DvdTitleSource title;
        title.video.frames = e.frames;
        title.chapters = e.chapters;
        titles.push_back(title);
      }
      Sources_ = kelta::test::AuthorDvd(Work_ + "/sources", Folder_, titles);
      kelta::test::MakeDiscImage(Folder_, Image_, "MY_DISC");
    } catch (const std::exception& error) {
      SetupError_ = error.what();
    }
  }
  static void TearDownTestSuite() { Scratch_.reset(); }
  // A missing authoring tool fails every test here, with its message.
  void SetUp() override { ASSERT_TRUE(SetupError_.empty()) << SetupError_; }

  static std::string Vob(const std::string& disc) { return disc + "/VIDEO_TS/VTS_01_1.VOB"; }

  // A copy of the authored disc folder, to change.
  static std::string CopyOfDisc(const std::string& name) {
    const std::string copy = Work_ + "/" + name + "/MY_DISC";
    fs::create_directories(copy);
    fs::copy(Folder_, copy, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    return copy;
  }

  // The title's bytes from `position` of its video to its end, straight from
  // the title set's VOB file, as a file of its own.
  static std::string ExtractFrom(const TDvdTitle& title, std::int64_t position, const std::string& name) {
    const std::string path = Work_ + "/" + name + ".vob";
    fs::remove(path);
    std::int64_t skip = position / 2048;
    for (const KeltaCodecSectorRange& range : title.Cells.Ranges) {
      const std::int64_t sectors = std::int64_t(range.Last) - range.First + 1;
      if (skip >= sectors) {
        skip -= sectors;
        continue;
      }
      kelta::test::CopySectors(Vob(Folder_), unsigned(range.First + skip), range.Last, path);
      skip = 0;
    }
    return path;
  }

  static inline std::unique_ptr<kelta::test::TTempFolder> Scratch_;
  static inline std::string Work_, Folder_, Image_, SetupError_;
  static inline std::vector<std::string> Sources_;
};

// --- the title list --------------------------------------------------------

class DvdChoiceTest : public DvdTest, public ::testing::WithParamInterface<const char*> {
 protected:
  // What a person may choose for the authored disc.
  static std::string Choice(const std::string& kind) {
    if (kind == "folder") return Folder_;
    if (kind == "folder/") return Folder_ + "/";
    if (kind == "VIDEO_TS") return Folder_ + "/VIDEO_TS";
    if (kind == "VIDEO_TS.IFO") return Folder_ + "/VIDEO_TS/VIDEO_TS.IFO";
    if (kind == "image") return Image_;
    // The same folder with VIDEO_TS spelt otherwise.
    const std::string copy = CopyOfDisc(kind);
    fs::rename(copy + "/VIDEO_TS", copy + "/" + kind.substr(std::string("spelt ").size()));
    return copy;
  }
};

TEST_P(DvdChoiceTest, ListsEveryTitleWithDurationChaptersAndPicture) {
  const TDvdDisc disc = kelta::ReadDvdDisc(Choice(GetParam()));
  EXPECT_TRUE(disc.Damage.empty()) << disc.Damage;
  EXPECT_EQ(disc.VolumeName, "MY_DISC");
  ASSERT_EQ(disc.Titles.size(), Expected.size());
  for (std::size_t i = 0; i < Expected.size(); ++i) {
    const TDvdTitle& title = disc.Titles[i];
    SCOPED_TRACE("title " + std::to_string(i + 1));
    EXPECT_EQ(title.Number, int(i + 1));
    EXPECT_NEAR(double(title.DurationMs), Expected[i].frames * FrameMs, FrameMs);
    EXPECT_EQ(title.Width, 720);
    EXPECT_EQ(title.Height, 576);
    EXPECT_EQ(title.Aspect, "4:3");
    EXPECT_EQ(title.Cells.TitleSet, 1);
    ASSERT_EQ(title.Chapters.size(), Expected[i].chapterCount);
    EXPECT_EQ(title.Chapters.front().Position, 0);
    EXPECT_EQ(title.Chapters.front().StartMs, 0);
    for (std::size_t k = 1; k < title.Chapters.size(); ++k) {
      EXPECT_GT(title.Chapters[k].Position, title.Chapters[k - 1].Position);
      EXPECT_GT(title.Chapters[k].StartMs, title.Chapters[k - 1].StartMs);
    }
  }
  // The two titles share their title set, but not one sector.
  EXPECT_LT(disc.Titles[0].Cells.Ranges.back().Last, disc.Titles[1].Cells.Ranges.front().First);
  EXPECT_EQ(disc.LongestTitle(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Choices, DvdChoiceTest,
                         ::testing::Values("folder", "folder/", "VIDEO_TS", "VIDEO_TS.IFO", "image",
                                           "spelt video_ts", "spelt Video_Ts"),
                         [](const auto& param) {
                           std::string name = param.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

TEST_F(DvdTest, RefusesWhatIsNoDvd) {
  const std::string plain = Work_ + "/plain";
  fs::create_directories(plain);
  for (const std::string& choice : {plain, Sources_.front(), Work_ + "/missing.iso"}) {
    EXPECT_EQ(kelta::DvdLocation(choice), "") << choice;
    EXPECT_THROW(kelta::ReadDvdDisc(choice), kelta::EDvdError) << choice;
  }
}

// --- playing titles --------------------------------------------------------

class DvdTitleTest : public DvdTest, public ::testing::WithParamInterface<std::size_t> {};

// Each title plays its own cells only, although both lie in one title set:
// every frame equal to a decode of the title's own sectors cut out of the
// VOB, and as many as its source video has, from its first to its last.
TEST_P(DvdTitleTest, PlaysItsOwnCellsOnly) {
  const std::size_t i = GetParam();
  const TDvdTitle title = kelta::ReadDvdDisc(Folder_).Titles.at(i);
  const Decoded dvd = DecodeTitle(title);
  const Decoded cut = DecodeFile(ExtractFrom(title, 0, "title-" + std::to_string(i + 1)));
  ASSERT_EQ(int(dvd.hashes.size()), Expected[i].frames);
  EXPECT_EQ(int(dvd.hashes.size()), kelta::test::CountFrames(Sources_[i]));
  EXPECT_EQ(dvd.hashes, cut.hashes);
  EXPECT_EQ(dvd.counters.front(), 0);
  EXPECT_EQ(dvd.counters.back(), Expected[i].frames - 1);
}

// A jump to a chapter shows the chapter's first frame: the first one a plain
// decode of its sectors gives.
TEST_P(DvdTitleTest, ChapterJumpLandsOnTheChapterFirstFrame) {
  const std::size_t i = GetParam();
  const TDvdTitle title = kelta::ReadDvdDisc(Folder_).Titles.at(i);
  TMPEG2Decoder decoder(KELTA_PROGRAM_DIR);
  decoder.OpenDvdCells(title.Cells, "title");
  for (std::size_t k = 0; k < title.Chapters.size(); ++k) {
    SCOPED_TRACE("chapter " + std::to_string(k + 1));
    const kelta::TDvdChapter& chapter = title.Chapters[k];
    decoder.Seek(chapter.Position);
    const int landed = kelta::test::ReadFrameCounter(decoder.GetFrame(0));
    EXPECT_EQ(landed, FirstCounter(ExtractFrom(title, chapter.Position, "chapter")));
    EXPECT_NEAR(double(landed * FrameMs), double(chapter.StartMs), 3.0 * FrameMs);
  }
}

// A disc image is read without unpacking and gives the very frames of the folder.
TEST_P(DvdTitleTest, ImageAndFolderGiveIdenticalFrames) {
  const std::size_t i = GetParam();
  const TDvdTitle fromFolder = kelta::ReadDvdDisc(Folder_).Titles.at(i);
  const TDvdTitle fromImage = kelta::ReadDvdDisc(Image_).Titles.at(i);
  ASSERT_EQ(fromImage.Cells.Disc, Image_);
  const Decoded folder = DecodeTitle(fromFolder);
  EXPECT_EQ(int(folder.hashes.size()), Expected[i].frames);
  EXPECT_EQ(DecodeTitle(fromImage).hashes, folder.hashes);
}

INSTANTIATE_TEST_SUITE_P(Titles, DvdTitleTest, ::testing::Values(std::size_t(0), std::size_t(1)),
                         [](const auto& param) { return "title_" + std::to_string(param.param + 1); });

// --- damaged and encrypted discs -------------------------------------------

class DamagedIfoTest : public DvdTest, public ::testing::WithParamInterface<const char*> {};

// Without readable title information the title set's VOBs play as one plain
// video, and the disc says why it has no titles and chapters.
TEST_P(DamagedIfoTest, FallsBackToThePlainVideo) {
  const std::string disc = CopyOfDisc(std::string("damaged-") + GetParam());
  for (const char* extension : {".IFO", ".BUP"})
    kelta::test::ZeroFile(disc + "/VIDEO_TS/" + GetParam() + extension);
  const TDvdDisc read = kelta::ReadDvdDisc(disc);
  EXPECT_NE(read.Damage.find("title information of the DVD MY_DISC is damaged"), std::string::npos) << read.Damage;
  ASSERT_EQ(read.Titles.size(), 1u);
  EXPECT_TRUE(read.Titles[0].Chapters.empty());
  const Decoded fallback = DecodeTitle(read.Titles[0]);
  EXPECT_EQ(fallback.hashes, DecodeFile(Vob(disc)).hashes);
  EXPECT_EQ(int(fallback.hashes.size()), Expected[0].frames + Expected[1].frames);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedIfoTest, ::testing::Values("VIDEO_TS", "VTS_01_0"));

// --- a reader that fails ---------------------------------------------------

// The DVD reader replaced by a script that fails one way in the titles mode
// and, in the title-sets mode, either runs the real reader or fails too.
struct ReaderFault {
  const char* name;
  const char* titles;     // shell commands for the titles mode
  bool titleSetsWork;     // the title-sets mode runs the real reader
};

class FailingReaderTest : public DvdTest, public ::testing::WithParamInterface<ReaderFault> {
 protected:
  void TearDown() override { kelta::SetDvdReaderFolder(KELTA_PROGRAM_DIR); }
};

// A crash, a hang or nonsense from the reader is the damaged disc's fallback
// (the title sets as plain video, with the warning) where the title sets can
// still be listed, and the clear message where not; nothing else, and never
// later than the time limit allows.
TEST_P(FailingReaderTest, EndsInTheFallbackOrTheMessage) {
  const ReaderFault& fault = GetParam();
  const std::string script = Work_ + "/reader-" + fault.name;
  {
    std::ofstream out(script);
    out << "#!/bin/sh\n"
        << "if [ \"$1\" = titles ]; then " << fault.titles << "; fi\n"
        << (fault.titleSetsWork ? std::string("exec ") + KELTA_PROGRAM_DIR + "/kelta-dvd-reader \"$@\"\n"
                                : std::string("kill -SEGV $$\n"));
  }
  fs::permissions(script, fs::perms::owner_all);
  kelta::SetDvdReaderPlace(kelta::TDvdReaderPlace{script, std::chrono::milliseconds(500)});
  const auto start = std::chrono::steady_clock::now();
  if (fault.titleSetsWork) {
    const TDvdDisc read = kelta::ReadDvdDisc(Folder_);
    EXPECT_NE(read.Damage.find("title information of the DVD MY_DISC is damaged"), std::string::npos) << read.Damage;
    ASSERT_EQ(read.Titles.size(), 1u);
    EXPECT_TRUE(read.Titles[0].Chapters.empty());
    EXPECT_EQ(read.Titles[0].Cells.Disc, Folder_ + "/VIDEO_TS");
  } else {
    try {
      kelta::ReadDvdDisc(Folder_);
      FAIL() << "read";
    } catch (const kelta::EDvdError& error) {
      EXPECT_STREQ(error.what(), kelta::DamagedDvdMessage);
    }
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailingReaderTest,
    ::testing::Values(ReaderFault{"crash", "kill -SEGV $$", true}, ReaderFault{"abort", "kill -ABRT $$", true},
                      ReaderFault{"hang", "exec sleep 30", true},
                      ReaderFault{"nonsense", "echo 'kelta-dvd-structure 1'; echo garbage; exit 0", true},
                      ReaderFault{"cut_short", "echo 'kelta-dvd-structure 1'; echo 'volume X'; exit 0", true},
                      ReaderFault{"odd_exit", "exit 77", true}, ReaderFault{"crash_twice", "kill -SEGV $$", false},
                      ReaderFault{"hang_then_crash", "exec sleep 30", false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(DvdTest, AMissingReaderIsNamed) {
  kelta::SetDvdReaderFolder(Work_ + "/nowhere");
  try {
    kelta::ReadDvdDisc(Folder_);
    FAIL() << "read";
  } catch (const kelta::EDvdError& error) {
    EXPECT_NE(std::string(error.what()).find("DVD reader (kelta-dvd-reader)"), std::string::npos) << error.what();
  }
  kelta::SetDvdReaderFolder(KELTA_PROGRAM_DIR);
}

struct SpoilCase {
  const char* name;
  bool spoil;
  kelta::test::SectorSpoil how;
  bool image;
};

class EncryptionTest : public DvdTest, public ::testing::WithParamInterface<SpoilCase> {};

TEST_P(EncryptionTest, TitlesOfScrambledSectorsCountAsEncrypted) {
  const SpoilCase& c = GetParam();
  std::string disc = CopyOfDisc(c.name);
  if (c.spoil) kelta::test::SpoilSectors(Vob(disc), c.how);
  if (c.image) {
    const std::string image = Work_ + "/" + c.name + ".iso";
    kelta::test::MakeDiscImage(disc, image, "MY_DISC");
    disc = image;
  }
  const TDvdDisc read = kelta::ReadDvdDisc(disc);
  ASSERT_EQ(read.Titles.size(), Expected.size());
  for (const TDvdTitle& title : read.Titles) EXPECT_EQ(kelta::TitleEncrypted(title), c.spoil) << title.Number;
}

INSTANTIATE_TEST_SUITE_P(
    Discs, EncryptionTest,
    ::testing::Values(SpoilCase{"clear", false, kelta::test::SectorSpoil::Scrambled, false},
                      SpoilCase{"scrambled", true, kelta::test::SectorSpoil::Scrambled, false},
                      SpoilCase{"scrambled_image", true, kelta::test::SectorSpoil::Scrambled, true},
                      SpoilCase{"unreadable", true, kelta::test::SectorSpoil::Unreadable, false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(DvdDecoderTest, APluginThatCannotReadDvdsSaysSo) {
  TMPEG2Decoder decoder(std::string(KELTA_FAKE_CODECS) + "/omit_openDvdCells");
  const kelta::TDvdCells cells{"/nowhere", 1, {{0, 9}}};
  try {
    decoder.OpenDvdCells(cells, "MY_DISC \u2013 Title 1");
    FAIL() << "opened";
  } catch (const kelta::EMPEG2Error& error) {
    EXPECT_STREQ(error.what(),
                 "Unable to open MY_DISC \u2013 Title 1. This decoder plugin (codec.so) cannot read DVDs");
  }
}

// --- names and chapter steps -----------------------------------------------

TEST(DvdNamesTest, FilmNameFromTheVolumeName) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"MY_DISC", "My Disc"}, {"STAR_WARS_2", "Star Wars 2"}, {"Holiday 2019", "Holiday 2019"},
      {"family_video", "family video"}, {"DVD", "Dvd"}};
  for (const auto& [volume, film] : cases) EXPECT_EQ(kelta::DvdFilmName(volume), film) << volume;
}

TEST(DvdChaptersTest, StepsFromTheChapterThatHoldsThePosition) {
  const std::vector<std::int64_t> starts = {0, 100, 250};
  struct Case {
    std::int64_t position;
    std::size_t at;
    int delta;
    std::size_t to;
  };
  const std::vector<Case> cases = {
      {0, 0, 1, 1},   {99, 0, 1, 1},  {100, 1, 1, 2},  {100, 1, -1, 0}, {249, 1, -1, 0},
      {250, 2, 1, 2}, {900, 2, -1, 1}, {-5, 0, -1, 0}, {120, 1, 5, 2},  {260, 2, -9, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kelta::ChapterAt(starts, c.position), c.at) << c.position;
    EXPECT_EQ(kelta::ChapterStep(starts, c.position, c.delta), c.to) << c.position << " by " << c.delta;
  }
  EXPECT_EQ(kelta::ChapterStep({}, 10, 1), 0u);
}

}  // namespace
