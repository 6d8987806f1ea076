#pragma once
// What start-up does about what a crash left behind: temporary files of the
// library's and the store's own writes are removed, and pictures that no
// library entry names are found so that they can be offered back.

#include <filesystem>
#include <string>
#include <vector>

#include "library/XmlDocument.h"

namespace kelta {

// Removes "config.tmp-<pid>-<n>" from the program folder and the store's
// "<picture>.tmp-<pid>-<n>" and "<picture>.saving" from the data folder: only
// regular files of exactly these names, nothing else. Only one Kelta runs at a
// time, so none of them is still being written. Returns how many went.
int RemoveStaleTempFiles(const std::filesystem::path& libraryFile, const std::filesystem::path& dataFolder);

// A picture of the store's naming that no entry names, with its thumbnail
// when that is there and unnamed too (empty otherwise).
struct TUnreferencedPicture {
  std::string Picture;
  std::string Thumbnail;
  friend bool operator==(const TUnreferencedPicture&, const TUnreferencedPicture&) = default;
};

// Sorted by picture name.
std::vector<TUnreferencedPicture> FindUnreferencedPictures(const TXmlDocument& document,
                                                           const std::filesystem::path& dataFolder);

// Readies a found picture to be named by the library: reads it, and gives it
// a thumbnail when it has none ("<stem>_thumbnail.bmp", made as a capture's
// is). False, with nothing written, when the picture cannot be read; throws
// EImageStoreError when the thumbnail cannot be written.
bool PrepareForRecovery(const std::filesystem::path& dataFolder, TUnreferencedPicture& picture);

// The pictures the user chose to leave alone, so that they are offered once:
// one bare name a line in `file`; a missing file is an empty list.
std::vector<std::string> ReadLeftAlonePictures(const std::filesystem::path& file);
// Throws std::system_error.
void WriteLeftAlonePictures(const std::filesystem::path& file, const std::vector<std::string>& names);

}  // namespace kelta
