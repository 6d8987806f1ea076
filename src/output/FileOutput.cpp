#include "output/FileOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "output/FileNames.h"
#include "output/OutputErrors.h"

namespace kelta {

namespace {

std::string Quoted(const std::string& fileName) { return "\"" + fileName + "\""; }

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(std::size_t(written));
  }
  return true;
}

// The permission bits a new file gets from the process's umask, or those of
// the file being replaced.
mode_t ModeFor(const std::string& fileName) {
  struct stat existing {};
  if (::stat(fileName.c_str(), &existing) == 0) return existing.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The temporary file's path: the target's name with a random ending, the
// name cut as needed so the ending fits too, since a target whose own name
// just fits the file system must still be writable.
std::string TemporaryTemplate(const std::string& fileName) {
  const std::size_t slash = fileName.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  return fileName.substr(0, start) + FittedFileName(fileName.substr(start), ".part-XXXXXX");
}

}  // namespace

void WriteWholeFile(const std::string& fileName, std::string_view data) {
  // The bytes go to a new file beside the target, which replaces the target
  // only once it is complete: a failed write leaves the old file (or none).
  const std::string pattern = TemporaryTemplate(fileName);
  std::vector<char> temporary(pattern.begin(), pattern.end());
  temporary.push_back('\0');
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    const int err = errno;
    throw EFCreateError("Cannot create file " + Quoted(fileName) + ". " + std::strerror(err));
  }
  bool ok = ::fchmod(fd, ModeFor(fileName)) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
  int err = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && ::rename(temporary.data(), fileName.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(temporary.data());
    throw EFCreateError("Error writing file " + Quoted(fileName) + ". " + std::strerror(err ? err : EIO));
  }
}

}  // namespace kelta
