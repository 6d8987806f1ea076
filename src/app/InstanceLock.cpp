#include "app/InstanceLock.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kelta {

namespace {

int InstanceFd = -1;

std::string TemporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace

std::string InstanceLockPath() { return TemporaryFolder() + "/" + InstanceMutexName + ".lock"; }

std::string InstanceSocketPath() { return TemporaryFolder() + "/" + InstanceMutexName + ".socket"; }

bool AlreadyRunning() {
  if (InstanceFd >= 0) return false;
  // Readable and writable by everyone, so that users of one machine share it.
  const int fd = ::open(InstanceLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    InstanceFd = fd;
    return false;
  }
  const bool held = errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}

void ReleaseInstance() {
  if (InstanceFd < 0) return;
  ::flock(InstanceFd, LOCK_UN);
  ::close(InstanceFd);
  InstanceFd = -1;
}

}  // namespace kelta
