#include "output/FileOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "output/OutputErrors.h"

namespace kelta {

void WriteWholeFile(const std::string& fileName, std::string_view data) {
  std::FILE* f = std::fopen(fileName.c_str(), "wb");
  if (!f) {
    const int err = errno;
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(err));
  }
  bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
  int err = ok ? 0 : errno;
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    std::remove(fileName.c_str());
    throw EFCreateError("Error writing file \"" + fileName + "\". " + std::strerror(err ? err : EIO));
  }
}

}  // namespace kelta
