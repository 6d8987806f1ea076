#include "TitleFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <map>

namespace kelta::codec {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// "vts_01_3.vob" -> title "01", number 3; false for other names.
bool SplitPartName(const std::string& lowerName, std::string& title, int& part) {
  if (lowerName.size() != 12 || lowerName.compare(0, 4, "vts_") != 0 || lowerName[6] != '_' ||
      lowerName.compare(8, 4, ".vob") != 0)
    return false;
  if (!std::isdigit(static_cast<unsigned char>(lowerName[4])) ||
      !std::isdigit(static_cast<unsigned char>(lowerName[5])) ||
      !std::isdigit(static_cast<unsigned char>(lowerName[7])))
    return false;
  title = lowerName.substr(4, 2);
  part = lowerName[7] - '0';
  return true;
}

}  // namespace

std::vector<std::string> FindTitleParts(const std::string& path) {
  std::vector<std::string> parts{path};
  const auto slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  const std::string prefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string title;
  int part = 0;
  if (!SplitPartName(Lower(name), title, part) || part != 1) return parts;

  // Part number -> file name, whatever the letter case on disk.
  std::map<int, std::string> found;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string otherTitle;
      int otherPart = 0;
      const std::string entryName = entry->d_name;
      if (SplitPartName(Lower(entryName), otherTitle, otherPart) && otherTitle == title && otherPart > 1) {
        // Two names differing only in case: take one, the same every time.
        auto it = found.find(otherPart);
        if (it == found.end() || entryName < it->second) found[otherPart] = entryName;
      }
    }
    closedir(dir);
  }
  for (int next = 2; next <= 9; ++next) {
    auto it = found.find(next);
    if (it == found.end()) break;
    parts.push_back(prefix + it->second);
  }
  return parts;
}

TitleFiles::~TitleFiles() {
  for (Part& p : Parts_)
    if (p.fd >= 0) close(p.fd);
}

bool TitleFiles::Open(const std::vector<std::string>& paths, std::int64_t start, std::int64_t end) {
  std::int64_t total = 0;
  for (const std::string& path : paths) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      close(fd);
      return false;
    }
    Parts_.push_back(Part{fd, total, std::int64_t(st.st_size)});
    total += st.st_size;
  }
  Start_ = std::clamp<std::int64_t>(start, 0, total);
  Size_ = (end < 0 ? total : std::clamp<std::int64_t>(end, Start_, total)) - Start_;
  return !Parts_.empty();
}

long TitleFiles::Read(std::uint8_t* buffer, long size) {
  long done = 0;
  while (done < size && Pos_ < Size_) {
    // The part holding the byte: the last one starting at or before it.
    const std::int64_t at = Start_ + Pos_;
    auto it = std::upper_bound(Parts_.begin(), Parts_.end(), at,
                               [](std::int64_t pos, const Part& p) { return pos < p.start; });
    const Part& part = *(it - 1);
    const std::int64_t offset = at - part.start;
    // Never empty: an empty part starts where the next one does, and the
    // search takes the last part starting at or before the byte.
    const std::int64_t want = std::min({std::int64_t(size - done), part.size - offset, Size_ - Pos_});
    const ssize_t got = pread(part.fd, buffer + done, size_t(want), off_t(offset));
    if (got < 0) {
      if (errno == EINTR) continue;
      return done > 0 ? done : -1;
    }
    if (got == 0) break;  // the file shrank since it was opened
    done += long(got);
    Pos_ += got;
  }
  return done;
}

void TitleFiles::SeekTo(std::int64_t pos) { Pos_ = std::clamp<std::int64_t>(pos, 0, Size_); }

}  // namespace kelta::codec
