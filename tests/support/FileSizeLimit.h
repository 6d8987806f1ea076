#pragma once
// Makes writes past a given file size fail (EFBIG) for as long as it lives:
// a disk that fills up halfway through a file, even for a test run as root.

#include <signal.h>
#include <sys/resource.h>

#include <stdexcept>

namespace kelta::test {

class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    if (::getrlimit(RLIMIT_FSIZE, &Saved_) != 0) throw std::runtime_error("getrlimit failed");
    // Without this the kernel ends the process instead of failing the write.
    OldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = Saved_;
    limit.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("setrlimit failed");
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &Saved_);
    ::signal(SIGXFSZ, OldHandler_);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  rlimit Saved_{};
  sighandler_t OldHandler_ = SIG_DFL;
};

}  // namespace kelta::test
