#pragma once
// Runs a helper program in a process of its own and takes what it prints,
// for work that may crash or hang on untrusted input (a damaged disc): the
// helper's fault then ends the helper, never Kelta. It is given a time limit
// and an output limit, and it never outlives the call.

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace kelta {

struct TIsolatedRun {
  enum class TEnd {
    Exited,     // ended by itself; ExitCode holds its code
    Crashed,    // ended by a signal (a crash, an abort)
    TimedOut,   // killed at the time limit
    TooLong,    // killed when its output passed the limit
    NotStarted  // could not be started; Output holds why
  };
  TEnd End = TEnd::NotStarted;
  int ExitCode = -1;
  std::string Output;  // its standard output; its errors are thrown away
};

TIsolatedRun RunIsolated(const std::string& program, const std::vector<std::string>& arguments,
                         std::chrono::milliseconds limit, std::size_t maxOutput);

}  // namespace kelta
