// A helper process run apart from Kelta: its output comes back, and a crash,
// a hang or endless output ends the helper, never the caller, and leaves no
// process behind.

#include "video/IsolatedRun.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>

namespace {

using kelta::RunIsolated;
using kelta::TIsolatedRun;
using namespace std::chrono_literals;

bool NoChildLeft() {
  int status = 0;
  return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

TIsolatedRun Shell(const char* script, std::chrono::milliseconds limit = 10s, std::size_t maxOutput = 1 << 20) {
  return RunIsolated("/bin/sh", {"-c", script}, limit, maxOutput);
}

TEST(IsolatedRunTest, GivesTheOutputAndTheExitCode) {
  const TIsolatedRun run = Shell("printf 'one\\ntwo\\n'; echo lost >&2; exit 3");
  EXPECT_EQ(run.End, TIsolatedRun::TEnd::Exited);
  EXPECT_EQ(run.ExitCode, 3);
  EXPECT_EQ(run.Output, "one\ntwo\n");
  EXPECT_TRUE(NoChildLeft());
}

TEST(IsolatedRunTest, ACrashIsTheHelpersOwn) {
  const TIsolatedRun run = Shell("echo partial; kill -SEGV $$");
  EXPECT_EQ(run.End, TIsolatedRun::TEnd::Crashed);
  EXPECT_EQ(run.Output, "partial\n");
  EXPECT_TRUE(NoChildLeft());
}

TEST(IsolatedRunTest, AHangIsKilledAtTheLimit) {
  const auto start = std::chrono::steady_clock::now();
  // exec: the shell becomes the sleeper, so killing it leaves nothing behind.
  const TIsolatedRun run = Shell("exec sleep 30", 300ms);
  EXPECT_EQ(run.End, TIsolatedRun::TEnd::TimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_TRUE(NoChildLeft());
}

TEST(IsolatedRunTest, AHelperThatClosesItsOutputAndHangsIsKilledToo) {
  const TIsolatedRun run = Shell("exec >&-; exec sleep 30", 300ms);
  EXPECT_EQ(run.End, TIsolatedRun::TEnd::TimedOut);
  EXPECT_TRUE(NoChildLeft());
}

TEST(IsolatedRunTest, EndlessOutputIsCutAtTheLimit) {
  const TIsolatedRun run = Shell("exec yes", 10s, 100000);
  EXPECT_EQ(run.End, TIsolatedRun::TEnd::TooLong);
  EXPECT_TRUE(NoChildLeft());
}

TEST(IsolatedRunTest, AMissingHelperIsNotStarted) {
  const TIsolatedRun run = RunIsolated("/nonexistent/helper", {}, 1s, 100);
  EXPECT_EQ(run.End, TIsolatedRun::TEnd::NotStarted);
  EXPECT_FALSE(run.Output.empty());
}

}  // namespace
