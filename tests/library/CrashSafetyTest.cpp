// A library survives being killed at any moment: a child process captures,
// edits and deletes in a loop and is killed with SIGKILL at random times.
// After each kill the library file loads, every capture the child saw
// completed is listed with its files, and no entry lacks its files.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "imaging/FastDIB.h"
#include "library/CodePage.h"
#include "library/FilmManager.h"
#include "library/ImageSaveManager.h"
#include "library/LibraryStoreChanges.h"
#include "library/LibraryTestSupport.h"
#include "library/StoreMaintenance.h"

namespace kelta {
namespace {

namespace fs = std::filesystem;
using test::TTempFolder;

constexpr int Kills = 60;

void Report(int fd, const std::string& line) {
  const std::string text = line + "\n";
  // One write below the pipe's atomic size: the parent sees the whole line or none.
  if (::write(fd, text.data(), text.size()) != ssize_t(text.size())) _exit(3);
}

// The child's endless work on the library; it reports what it has completed.
[[noreturn]] void WorkUntilKilled(const fs::path& folder, unsigned seed, int reportFd) {
  try {
    TFilmManager films(folder / "config");
    if (films.Document().Root.Children.empty()) {
      films.AddCategory(u"Holidays");
      films.AddFilm(0, {u"Summer", 0});
    }
    std::mt19937 random(seed);
    TFastDIB frame;
    for (int step = 0;; ++step) {
      const auto& images = films.Document().Root.Children[0].Children[0].Children;
      const int count = int(images.size());
      const unsigned choice = random() % 4;
      if (choice < 2 || count == 0) {
        frame.SetSize(160, 120, 24);
        frame.Fill(TBGRColor{std::uint8_t(random()), std::uint8_t(random()), std::uint8_t(step)});
        TimageSaveManager store(folder / "data");
        store.Image = &frame;
        const auto image = StoreCapture(films, store, 0, 0, {AnsiToWide("image " + std::to_string(step)), {}, {}, {}});
        Report(reportFd, "saved " + WideToAnsi(image.FileName));
      } else if (choice == 2) {
        const int index = int(random() % unsigned(count));
        films.UpdateImage(0, 0, index, {u"renamed", {}, {}, AnsiToWide("memo " + std::to_string(step))});
      } else {
        const int index = int(random() % unsigned(count));
        const std::string name = images[std::size_t(index)].Attribute("filename");
        Report(reportFd, "deleting " + name);
        DeleteImageAndFiles(films, folder / "data", 0, 0, index);
      }
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "child failed: %s\n", error.what());
  }
  _exit(2);
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, std::size_t(got));
  return text;
}

// Waits (at most 30 s) until the child has reported its first step.
std::string ReadFirstReport(int fd) {
  std::string text;
  pollfd wait{fd, POLLIN, 0};
  char c;
  while (text.find('\n') == std::string::npos && ::poll(&wait, 1, 30000) > 0 && ::read(fd, &c, 1) == 1) text += c;
  return text;
}

bool LoadsAsBitmap(const fs::path& file) {
  TFastDIB bitmap;
  return bitmap.LoadFromFile(file.string()) && !bitmap.Empty();
}

TEST(CrashSafetyTest, KillsDuringCapturesEditsAndDeletesLoseNothing) {
  TTempFolder folder;
  std::mt19937 random(20261210);
  // What the child reported completed, over all runs: saved and not yet being deleted.
  std::set<std::string> completed;
  int captures = 0, entriesChecked = 0, leftovers = 0;
  for (int kill = 0; kill < Kills; ++kill) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(pipeFds[0]);
      WorkUntilKilled(folder.Path(), unsigned(random() + unsigned(kill)), pipeFds[1]);
    }
    ::close(pipeFds[1]);
    // The kill lands at a random moment after the child's first completed
    // step, however fast this build runs.
    std::string reported = ReadFirstReport(pipeFds[0]);
    ::usleep(useconds_t(random() % 100000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself after kill " << kill;
    std::istringstream lines(reported + ReadAll(pipeFds[0]));
    ::close(pipeFds[0]);
    for (std::string word, name; lines >> word >> name;) {
      if (word == "saved") {
        completed.insert(name);
        ++captures;
      } else {
        completed.erase(name);
      }
    }

    leftovers += RemoveStaleTempFiles(folder / "config", folder / "data");
    const TFilmManager films(folder / "config");
    std::set<std::string> listed;
    for (const TXmlNode& image : films.Document().Root.Children.at(0).Children.at(0).Children) {
      const std::string picture = image.Attribute("filename");
      listed.insert(picture);
      EXPECT_TRUE(LoadsAsBitmap(folder / "data" / picture)) << picture << " after kill " << kill;
      EXPECT_TRUE(LoadsAsBitmap(folder / "data" / image.Attribute("thumbnail"))) << picture << " after kill " << kill;
      ++entriesChecked;
    }
    for (const std::string& name : completed)
      EXPECT_TRUE(listed.count(name)) << "completed capture " << name << " lost after kill " << kill;
    for (const auto& entry : fs::directory_iterator(folder.Path()))
      EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
  }
  std::printf("%d kills, %d completed captures, %d entries checked, %d crash leftovers removed\n", Kills, captures,
              entriesChecked, leftovers);
  EXPECT_GE(captures, Kills / 2) << "the kills came too early to test anything";
}

}  // namespace
}  // namespace kelta
