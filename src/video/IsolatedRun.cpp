#include "video/IsolatedRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace kelta {

namespace {

using Clock = std::chrono::steady_clock;

struct Fd {
  int fd = -1;
  ~Fd() { Close(); }
  void Close() {
    if (fd >= 0) close(fd);
    fd = -1;
  }
};

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : int(std::min<long long>(left, 1000));
}

// Waits for the child's end until the deadline; false when it still runs.
bool Reap(pid_t pid, int& status, Clock::time_point deadline) {
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return true;
    if (done < 0 && errno != EINTR) return true;  // nothing left to wait for
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void Kill(pid_t pid) {
  kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

TIsolatedRun RunIsolated(const std::string& program, const std::vector<std::string>& arguments,
                         std::chrono::milliseconds limit, std::size_t maxOutput) {
  TIsolatedRun run;
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) {
    run.Output = std::strerror(errno);
    return run;
  }
  Fd readEnd{ends[0]}, writeEnd{ends[1]};

  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&files, writeEnd.fd, STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  // The helper starts with the default signal handling and nothing blocked,
  // whatever the calling thread has set.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &files, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attributes);
  writeEnd.Close();
  if (spawned != 0) {
    run.Output = std::strerror(spawned);
    return run;
  }

  const Clock::time_point deadline = Clock::now() + limit;
  char buffer[65536];
  for (;;) {
    pollfd wait{readEnd.fd, POLLIN, 0};
    const int ready = poll(&wait, 1, MillisecondsLeft(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0 && Clock::now() >= deadline) {
      Kill(pid);
      run.End = TIsolatedRun::TEnd::TimedOut;
      return run;
    }
    if (ready <= 0) continue;
    const ssize_t got = read(readEnd.fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the helper closed its output: it ends
    run.Output.append(buffer, std::size_t(got));
    if (run.Output.size() > maxOutput) {
      Kill(pid);
      run.End = TIsolatedRun::TEnd::TooLong;
      return run;
    }
  }

  int status = 0;
  if (!Reap(pid, status, deadline)) {
    Kill(pid);
    run.End = TIsolatedRun::TEnd::TimedOut;
    return run;
  }
  if (WIFEXITED(status)) {
    run.End = TIsolatedRun::TEnd::Exited;
    run.ExitCode = WEXITSTATUS(status);
  } else {
    run.End = TIsolatedRun::TEnd::Crashed;
  }
  return run;
}

}  // namespace kelta
