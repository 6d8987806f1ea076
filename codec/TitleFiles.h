#pragma once
// The files that make up one video: a single file, or all parts of a DVD
// title (VTS_nn_1.VOB, VTS_nn_2.VOB, ... in any letter case) read as one
// continuous byte stream, or a byte range of that stream.

#include <cstdint>
#include <string>
#include <vector>

#include "ByteStream.h"

namespace kelta::codec {

// Paths of the parts of the title that `path` starts: just `path` unless it
// names the first part of a DVD title and further parts lie beside it.
std::vector<std::string> FindTitleParts(const std::string& path);

class TitleFiles : public ByteStream {
 public:
  TitleFiles() = default;
  ~TitleFiles() override;
  TitleFiles(const TitleFiles&) = delete;
  TitleFiles& operator=(const TitleFiles&) = delete;

  // Opens every part; false when one cannot be opened as a regular file.
  // Only the bytes from `start` up to `end` (the end of the last part when
  // -1 or beyond it) are read then, and positions count from `start`.
  bool Open(const std::vector<std::string>& paths, std::int64_t start = 0, std::int64_t end = -1);
  std::int64_t Size() const override { return Size_; }
  std::int64_t Tell() const override { return Pos_; }
  // Reads across part borders.
  long Read(std::uint8_t* buffer, long size) override;
  void SeekTo(std::int64_t pos) override;

 private:
  struct Part {
    int fd = -1;
    std::int64_t start = 0;
    std::int64_t size = 0;
  };
  std::vector<Part> Parts_;
  std::int64_t Start_ = 0;  // where the range begins in the parts together
  std::int64_t Size_ = 0;   // bytes in the range
  std::int64_t Pos_ = 0;
};

}  // namespace kelta::codec
