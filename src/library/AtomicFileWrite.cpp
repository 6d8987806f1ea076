#include "library/AtomicFileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

namespace kelta {

namespace {

[[noreturn]] void ThrowErrno(int error, const std::string& what) {
  throw std::system_error(error, std::generic_category(), what);
}

class TTempFile {
 public:
  ~TTempFile() {
    if (Fd_ >= 0) ::close(Fd_);
    if (!Path_.empty()) ::unlink(Path_.c_str());
  }

  void Create(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = target.string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                         std::to_string(counter.fetch_add(1));
      // 0666 so the process umask decides, as for any new file.
      const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) {
        Fd_ = fd;
        Path_ = std::move(name);
        return;
      }
      if (errno != EEXIST) ThrowErrno(errno, "cannot create " + name);
    }
    ThrowErrno(EEXIST, "cannot create a temporary file beside " + target.string());
  }

  void Write(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t written = ::write(Fd_, bytes.data(), bytes.size());
      if (written < 0) {
        if (errno == EINTR) continue;
        ThrowErrno(errno, "cannot write " + Path_);
      }
      bytes.remove_prefix(std::size_t(written));
    }
  }

  // For a writer that opens the file by its name: the descriptor stays open
  // only to flush what the writer put there.
  void WriteByName(const std::function<void(const std::filesystem::path&)>& write) {
    write(std::filesystem::path(Path_));
  }

  void CopyModeFrom(const std::filesystem::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) ::fchmod(Fd_, info.st_mode & 07777);
  }

  void SyncAndClose() {
    if (::fsync(Fd_) != 0) ThrowErrno(errno, "cannot flush " + Path_);
    const int fd = Fd_;
    Fd_ = -1;
    if (::close(fd) != 0) ThrowErrno(errno, "cannot close " + Path_);
  }

  void RenameTo(const std::filesystem::path& target) {
    if (::rename(Path_.c_str(), target.c_str()) != 0) ThrowErrno(errno, "cannot replace " + target.string());
    Path_.clear();
  }

 private:
  int Fd_ = -1;
  std::string Path_;
};

// Makes a rename in the folder durable; a folder that cannot be synced still
// holds the complete new file, so this is best effort.
void SyncFolderOf(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
  std::filesystem::path destination = target;
  std::error_code error;
  if (std::filesystem::is_symlink(target, error)) {
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, error);
    if (!error) destination = resolved;
  }

  TTempFile temp;
  temp.Create(destination);
  temp.Write(bytes);
  temp.CopyModeFrom(destination);
  temp.SyncAndClose();
  temp.RenameTo(destination);
  SyncFolderOf(destination);
}

void ReplaceFileAtomically(const std::filesystem::path& target,
                           const std::function<void(const std::filesystem::path& temporary)>& write) {
  TTempFile temp;
  temp.Create(target);
  temp.WriteByName(write);
  temp.SyncAndClose();
  temp.RenameTo(target);
  SyncFolderOf(target);
}

bool IsAtomicWriteLeftover(std::string_view fileName, std::string_view* target) {
  const std::size_t marker = fileName.rfind(".tmp-");
  if (marker == std::string_view::npos || marker == 0) return false;
  const std::string_view numbers = fileName.substr(marker + 5);
  const std::size_t dash = numbers.find('-');
  if (dash == std::string_view::npos || !AllDigits(numbers.substr(0, dash)) || !AllDigits(numbers.substr(dash + 1)))
    return false;
  if (target) *target = fileName.substr(0, marker);
  return true;
}

}  // namespace kelta
